// The benchmark's yardstick: the programs' set-up and main loop written inline in one main,
// with the fewest library calls a pass can make and nothing between them. Built once for each
// program's settings, given as REF_* definitions; Q is not handled.
#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_image.h>

int main(int, char **) {
  if (!al_init() || !al_init_image_addon() || !al_install_keyboard() || !al_init_font_addon())
    return 1;
  if (REF_VSYNC)
    al_set_new_display_option(ALLEGRO_VSYNC, 1, ALLEGRO_SUGGEST);
  al_set_new_display_flags(REF_FLAGS);
  ALLEGRO_DISPLAY *display = al_create_display(REF_WIDTH, REF_HEIGHT);
  if (!display)
    return 1;
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
  ALLEGRO_EVENT_QUEUE *queue = al_create_event_queue();
  if (!image || !queue)
    return 1;
  al_register_event_source(queue, al_get_keyboard_event_source());
  al_register_event_source(queue, al_get_display_event_source(display));

  ALLEGRO_KEYBOARD_STATE keyboard{};
  ALLEGRO_EVENT event;
  int x = 0, passes = 0;
  bool left = false;
  double last_step = 0.0, next_refresh = 0.0;
  while (!al_key_down(&keyboard, ALLEGRO_KEY_ESCAPE)) {
    al_get_keyboard_state(&keyboard);
    if (al_get_time() > last_step + REF_INTERVAL) {
      last_step = al_get_time();
      int limit = REF_FIT ? al_get_display_width(display) - al_get_bitmap_width(image) : 800;
      if (x < limit && !left)
        x++;
      if (x >= limit)
        left = true;
      if (left)
        x--;
      if (x <= 0)
        left = false;
      al_clear_to_color(al_map_rgb_f(0.5, 0.5, 0.5));
      al_draw_bitmap(image, static_cast<float>(x), 0.0, 0);
      al_draw_scaled_bitmap(overlay, 0.0, 0.0, 250.0, 12.0, 2.0, 2.0, 500.0, 24.0, 0);
      al_flip_display();
    }
    while (al_get_next_event(queue, &event)) {
    }
    if (al_get_time() > next_refresh) {
      next_refresh += 1.0;
      al_set_target_bitmap(overlay);
      al_clear_to_color(al_map_rgba_f(0.0, 0.0, 0.0, 0.0));
      al_draw_textf(font, al_map_rgb(255, 255, 0), 2.0, 2.0, 0, "FPS-%7d Szer-%4d Wys-%4d", passes,
                    al_get_display_width(display), al_get_display_height(display));
      al_set_target_backbuffer(display);
      passes = 1;
    } else {
      passes++;
    }
  }
  al_destroy_bitmap(image);
  al_destroy_display(display);
  return 0;
}
