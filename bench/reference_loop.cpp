// The benchmark's yardstick: the programs' set-up and main loop written plainly, with the
// fewest library calls a pass can make and nothing between them. Built once for each program's
// settings, given as REF_* definitions. Q switches the size with the same library calls as
// the programs' switch. The loop is a function of its own, named as the programs' is, so that
// an instruction count can be taken of it alone.
#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_image.h>

namespace {
struct objects {
  ALLEGRO_DISPLAY *display;
  ALLEGRO_FONT *font;
  ALLEGRO_BITMAP *overlay, *image;
  ALLEGRO_EVENT_QUEUE *queue;
};

struct motion {
  int x;
  bool left;
};

// The step and the frame, the status line and the size switch are functions of their own, as
// in the programs, so that a count of the loop's own instructions leaves them out on both sides.
[[gnu::noinline]] void step_and_draw(const objects &o, motion &m) {
  int limit = REF_FIT ? al_get_display_width(o.display) - al_get_bitmap_width(o.image) : 800;
  if (m.x < limit && !m.left)
    m.x++;
  if (m.x >= limit)
    m.left = true;
  if (m.left)
    m.x--;
  if (m.x <= 0)
    m.left = false;
  al_clear_to_color(al_map_rgb_f(0.5, 0.5, 0.5));
  al_draw_bitmap(o.image, static_cast<float>(m.x), 0.0, 0);
  al_draw_scaled_bitmap(o.overlay, 0.0, 0.0, 250.0, 12.0, 2.0, 2.0, 500.0, 24.0, 0);
  al_flip_display();
}

[[gnu::noinline]] void refresh_status(const objects &o, int passes) {
  al_set_target_bitmap(o.overlay);
  al_clear_to_color(al_map_rgba_f(0.0, 0.0, 0.0, 0.0));
  al_draw_textf(o.font, al_map_rgb(255, 255, 0), 2.0, 2.0, 0, "FPS-%7d Szer-%4d Wys-%4d", passes,
                al_get_display_width(o.display), al_get_display_height(o.display));
  al_set_target_backbuffer(o.display);
}

[[gnu::noinline]] void switch_size(const objects &o, bool alt) {
  if (REF_FLASH)
    al_clear_to_color(alt ? al_map_rgb_f(0.0, 128.0, 0.0) : al_map_rgb_f(128.0, 128.0, 0.0));
  al_set_target_bitmap(nullptr);
  al_resize_display(o.display, alt ? REF_ALT_WIDTH : REF_WIDTH, alt ? REF_ALT_HEIGHT : REF_HEIGHT);
  al_set_target_backbuffer(o.display);
  if (REF_FLASH)
    al_flip_display();
}

[[gnu::noinline]] void run_loop(const objects &o) {
  ALLEGRO_KEYBOARD_STATE keyboard{};
  ALLEGRO_EVENT event;
  motion m{0, false};
  int passes = 0;
  bool alt = false;
  double last_step = 0.0, next_refresh = 0.0;
  while (!al_key_down(&keyboard, ALLEGRO_KEY_ESCAPE)) {
    al_get_keyboard_state(&keyboard);
    if (al_get_time() > last_step + REF_INTERVAL) {
      last_step = al_get_time();
      step_and_draw(o, m);
    }
    while (al_get_next_event(o.queue, &event)) {
      if (event.type == ALLEGRO_EVENT_KEY_DOWN && event.keyboard.keycode == ALLEGRO_KEY_Q) {
        alt = !alt;
        switch_size(o, alt);
      }
    }
    if (al_get_time() > next_refresh) {
      next_refresh += 1.0;
      refresh_status(o, passes);
      passes = 1;
    } else {
      passes++;
    }
  }
}
} // namespace

int main(int, char **) {
  if (!al_init() || !al_init_image_addon() || !al_install_keyboard() || !al_init_font_addon())
    return 1;
  ALLEGRO_EVENT_QUEUE *queue = al_create_event_queue();
  if (!queue)
    return 1;
  al_register_event_source(queue, al_get_keyboard_event_source());
  if (REF_VSYNC)
    al_set_new_display_option(ALLEGRO_VSYNC, 1, ALLEGRO_SUGGEST);
  al_set_new_display_flags(REF_FLAGS);
  ALLEGRO_DISPLAY *display = al_create_display(REF_WIDTH, REF_HEIGHT);
  if (!display)
    return 1;
  al_register_event_source(queue, al_get_display_event_source(display));
  if (REF_PLACE)
    al_set_window_position(display, 0, 0);
  al_clear_to_color(al_map_rgb_f(REF_FIRST_CLEAR, REF_FIRST_CLEAR, REF_FIRST_CLEAR));
  ALLEGRO_FONT *font = al_create_builtin_font();
  ALLEGRO_BITMAP *overlay = al_create_bitmap(250, 12);
  if (!font || !overlay)
    return 1;
  // The programs start the status bitmap fully transparent, so the yardstick does too.
  al_set_target_bitmap(overlay);
  al_clear_to_color(al_map_rgba_f(0.0, 0.0, 0.0, 0.0));
  al_set_target_backbuffer(display);
  ALLEGRO_BITMAP *image = al_load_bitmap(REF_IMAGE);
  if (!image)
    return 1;
  run_loop({display, font, overlay, image, queue});
  al_destroy_bitmap(image);
  al_destroy_display(display);
  return 0;
}
