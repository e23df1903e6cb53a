// A program's whole run: set-up in a fixed order, the polling main loop, and shutdown.
#include <allegro5/allegro_image.h>
#include <cstdarg>
#include <cstdio>

#include "demo_loop.h"
#include "run_endings.h"

namespace {
// One line on stderr naming the program and what went wrong.
struct message {
  char text[200];
};

message line(const demo_settings &settings, const char *format, ...) {
  char what[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(what, sizeof what, format, args);
  va_end(args);
  message m;
  std::snprintf(m.text, sizeof m.text, "%s: %s\n", settings.name, what);
  return m;
}

// Decodes the picture into a memory bitmap and makes the display bitmap from it, so that a
// decoder failing half-way leaves nothing behind on the display (a half-made display bitmap
// stays locked and stops the display from ever being destroyed).
ALLEGRO_BITMAP *load_picture(const demo_settings &settings) {
  int flags = al_get_new_bitmap_flags();
  al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
  ALLEGRO_BITMAP *decoded = al_load_bitmap(settings.image_path);
  al_set_new_bitmap_flags(flags);
  if (!decoded)
    return nullptr;
  ALLEGRO_BITMAP *picture = al_clone_bitmap(decoded);
  al_destroy_bitmap(decoded);
  return picture;
}

// Creates every object of the run, stopping at the first that cannot be made; `failure` then
// holds the line that says what failed, already written to stderr.
bool set_up(const demo_settings &settings, demo_state &state, message &failure) {
  // Writes the line whole, in one call; always false, for `return fail(...)`.
  auto fail = [&failure](const message &m) {
    std::fputs(m.text, stderr);
    failure = m;
    return false;
  };
  if (!al_init())
    return fail(line(settings, "cannot initialise the Allegro library"));
  if (!al_init_image_addon())
    return fail(line(settings, "cannot initialise the image add-on"));
  if (!al_install_keyboard())
    return fail(line(settings, "cannot install the keyboard"));
  if (!al_init_font_addon())
    return fail(line(settings, "cannot initialise the font add-on"));
  // The queue listens before the window shows: a key pressed as soon as the window has the
  // focus, while the rest is still being made, would otherwise be lost.
  state.queue = al_create_event_queue();
  if (!state.queue)
    return fail(line(settings, "cannot create the event queue"));
  al_register_event_source(state.queue, al_get_keyboard_event_source());
  if (settings.suggest_vsync)
    al_set_new_display_option(ALLEGRO_VSYNC, 1, ALLEGRO_SUGGEST);
  al_set_new_display_flags(settings.display_flags);
  // A server that refuses the mode makes Xlib end the process from inside this call.
  message no_display = line(settings, "cannot open a %dx%d fullscreen display",
                            settings.start_width, settings.start_height);
  arm_exit_guard(no_display.text);
  state.display = al_create_display(settings.start_width, settings.start_height);
  if (!state.display)
    return fail(no_display);
  al_register_event_source(state.queue, al_get_display_event_source(state.display));
  arm_exit_guard(line(settings, "lost the connection to the display").text);
  if (settings.place_window)
    al_set_window_position(state.display, 0, 0);
  const float *clear = settings.first_clear;
  al_clear_to_color(al_map_rgb_f(clear[0], clear[1], clear[2]));
  state.font = al_create_builtin_font();
  if (!state.font)
    return fail(line(settings, "cannot create the built-in font"));
  state.overlay = al_create_bitmap(overlay_width, overlay_height);
  if (!state.overlay)
    return fail(
        line(settings, "cannot create the %dx%d status bitmap", overlay_width, overlay_height));
  // A new bitmap's contents are undefined on some drivers; start from fully transparent.
  al_set_target_bitmap(state.overlay);
  al_clear_to_color(al_map_rgba_f(0.0, 0.0, 0.0, 0.0));
  al_set_target_backbuffer(state.display);
  state.image = load_picture(settings);
  if (!state.image)
    return fail(line(settings, "cannot load the picture \"%s\" from the current directory",
                     settings.image_path));
  return true;
}

// After a failed set-up: frees what was made, last made first; the display gives the desktop
// its video mode back.
void tear_down_partial(demo_state &state) {
  if (state.image)
    al_destroy_bitmap(state.image);
  if (state.overlay)
    al_destroy_bitmap(state.overlay);
  if (state.font)
    al_destroy_font(state.font);
  if (state.display)
    al_destroy_display(state.display);
  if (state.queue)
    al_destroy_event_queue(state.queue);
}

// A function of its own, called once, so that the benchmark can count the instructions of
// its passes alone.
[[gnu::noinline]] void run_loop(const demo_settings &settings, demo_state &state) {
  ALLEGRO_EVENT event;
  // Escape is tested in the state captured by the previous pass, and its key-down in the
  // queue counts too: a pass spent in a size switch can miss a quick press and release in the
  // captured state.
  bool escape_pressed = false;
  while (!stop_signal && !escape_pressed && !al_key_down(&state.keyboard, ALLEGRO_KEY_ESCAPE)) {
    al_get_keyboard_state(&state.keyboard);
    if (al_get_time() > state.last_step + settings.step_interval) {
      state.last_step = al_get_time();
      step_position(settings, state);
      render_frame(state);
    }
    while (al_get_next_event(state.queue, &event)) {
      if (event.type != ALLEGRO_EVENT_KEY_DOWN)
        continue;
      if (event.keyboard.keycode == ALLEGRO_KEY_Q)
        toggle_display_size(settings, state);
      else if (event.keyboard.keycode == ALLEGRO_KEY_ESCAPE)
        escape_pressed = true;
    }
    if (al_get_time() > state.next_refresh)
      refresh_status_overlay(state);
    else
      state.pass_count++;
  }
}
} // namespace

int run_demo(const demo_settings &settings) {
  saved_signals saved;
  catch_stop_signals(saved);
  demo_state state{};
  message failure{};
  int status = 1;
  if (set_up(settings, state, failure)) {
    run_loop(settings, state);
    // The overlay, the font and the queue live on until the library's own shutdown at exit.
    al_destroy_bitmap(state.image);
    al_destroy_display(state.display);
    status = 0;
  } else {
    tear_down_partial(state);
#ifdef ALLEGRO_WINDOWS
    // Nobody sees the stderr of a program started from Explorer.
    show_failure_box(settings.name, failure.text);
#endif
  }
  disarm_exit_guard();
  release_stop_signals(saved);
  // A signal ends the process as it would have at once, now that the desktop has its mode back.
  if (stop_signal)
    end_as_signalled(stop_signal);
  return status;
}
