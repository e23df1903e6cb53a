// The records shared by the five demo programs, and run_demo, the one call a program makes.
#ifndef DEMO_CORE_H
#define DEMO_CORE_H

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>

// What makes one program differ from the others; each program has one constant row of it.
struct demo_settings {
  const char *name;       // the program's name, for its set-up failure message
  const char *image_path; // picture file, relative to the current directory
  int start_width, start_height;
  int alt_width, alt_height; // size the 1st, 3rd, 5th ... press of Q switches to
  int display_flags;         // for al_set_new_display_flags
  bool suggest_vsync;
  bool place_window;    // move the display to (0, 0) right after creating it
  float first_clear[3]; // red, green, blue of the one clear made in set-up
  double step_interval; // seconds that must pass between two motion steps
  bool fit_limit;       // right-hand limit is display width less picture width
  int fixed_limit;      // right-hand limit when fit_limit is false
  bool flash_on_toggle; // a size switch flashes a colour
};

// The objects, counters and flags of one run. A value-initialised record holds the starting
// values: no objects, no key down, x 0 moving right, start size, both times 0.0, no passes.
struct demo_state {
  ALLEGRO_DISPLAY *display;
  ALLEGRO_FONT *font;
  ALLEGRO_BITMAP *overlay; // 250 x 12 bitmap holding the status line
  ALLEGRO_BITMAP *image;
  ALLEGRO_EVENT_QUEUE *queue;
  ALLEGRO_KEYBOARD_STATE keyboard; // captured once per pass
  int x;                           // picture's left edge; its top edge is always 0
  bool moving_left;
  bool alt_size; // true while the display is switched to the alternate size
  double last_step;
  double next_refresh;
  int pass_count; // passes since the last status redraw
};

// Sets up, runs the main loop until Escape and shuts down. Returns 0 after Escape, or 1 when
// set-up fails, after one line on stderr that says what failed. SIGINT, SIGTERM and SIGHUP
// end the loop too: after the same shutdown the process ends as that signal ends it. Should
// the display server refuse the start mode or go away, the process ends with status 1 and one
// line, without returning.
int run_demo(const demo_settings &settings);

#endif
