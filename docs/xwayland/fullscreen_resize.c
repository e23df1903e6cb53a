/* With Allegro alone: a fullscreen display on Xwayland is not fullscreen until the first
 * al_resize_display, and a resize back to the desktop's own size fails after seconds of
 * retries. Build: cc fullscreen_resize.c $(pkg-config --cflags --libs allegro-5)
 * Run it in a Wayland session (GNOME's by default), and look at the window's
 * _NET_WM_STATE with `xprop` while it waits. */
#include <allegro5/allegro.h>
#include <stdio.h>

static void resize(ALLEGRO_DISPLAY *display, int w, int h) {
  double start = al_get_time();
  bool done = al_resize_display(display, w, h);
  printf("al_resize_display(%dx%d): %s after %.2f s, display now %dx%d\n", w, h,
         done ? "true" : "false", al_get_time() - start, al_get_display_width(display),
         al_get_display_height(display));
}

int main(void) {
  if (!al_init())
    return 1;
  al_set_new_display_flags(ALLEGRO_FULLSCREEN);
  ALLEGRO_DISPLAY *display = al_create_display(1024, 768);
  if (!display)
    return 1;
  printf("created %dx%d; _NET_WM_STATE has no _NET_WM_STATE_FULLSCREEN yet (xprop)\n",
         al_get_display_width(display), al_get_display_height(display));
  al_rest(3.0);
  resize(display, 800, 600); /* now fullscreen, at Xwayland's emulated 800x600 */
  al_rest(3.0);
  resize(display, 1024, 768); /* fails: stays 800x600 */
  al_rest(3.0);
  al_destroy_display(display);
  return 0;
}
