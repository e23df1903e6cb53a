/* Display-size switches under mutter's X11 session, with Allegro alone. Opens a 1024x768
 * fullscreen display and, once a second, switches to 800x600 and back, as a user's quick
 * double press of a "switch size" key would, drawing red frames all along.
 * Usage: quick_mode_switches [ROUNDS (20)] [GAP: seconds between the two switches (0)] [release]
 * With "release", no target bitmap (and so no current OpenGL context) during each switch.
 * See README.md for what to look at once it ends. */
#include <allegro5/allegro.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void draw(ALLEGRO_DISPLAY *display) {
  al_set_target_backbuffer(display);
  al_clear_to_color(al_map_rgb(255, 0, 0));
  al_flip_display();
}

/* Draws frame after frame for `seconds`, as a game does. */
/* One switch, with or without the target released around it. */
static bool resize(ALLEGRO_DISPLAY *display, int w, int h, bool release) {
  if (release)
    al_set_target_bitmap(NULL);
  bool resized = al_resize_display(display, w, h);
  al_set_target_backbuffer(display);
  return resized;
}

static void keep_drawing(ALLEGRO_DISPLAY *display, double seconds) {
  double until = al_get_time() + seconds;
  while (al_get_time() < until)
    draw(display);
}

int main(int argc, char **argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : 20;
  double gap = argc > 2 ? atof(argv[2]) : 0.0; /* seconds of drawing between the two switches */
  bool release = argc > 3 && strcmp(argv[3], "release") == 0;
  if (!al_init()) {
    fprintf(stderr, "al_init failed\n");
    return 1;
  }
  al_set_new_display_flags(ALLEGRO_FULLSCREEN);
  ALLEGRO_DISPLAY *display = al_create_display(1024, 768);
  if (!display) {
    fprintf(stderr, "no 1024x768 fullscreen display\n");
    return 1;
  }
  keep_drawing(display, 1.0);
  for (int round = 1; round <= rounds; round++) {
    bool there = resize(display, 800, 600, release);
    draw(display);
    keep_drawing(display, gap);
    bool back = resize(display, 1024, 768, release);
    draw(display);
    printf("round %d: to 800x600 %s, back %s\n", round, there ? "ok" : "failed",
           back ? "ok" : "failed");
    fflush(stdout);
    keep_drawing(display, 1.0);
  }
  al_destroy_display(display);
  return 0;
}
