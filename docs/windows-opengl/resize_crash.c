/* al_resize_display on a fullscreen OpenGL display on Windows reads the backbuffer that it has
 * just destroyed, when the backbuffer is the calling thread's target bitmap (as it is right
 * after al_create_display). Run with the argument "release" to set no target during the
 * resizes: then every switch works.
 * Build: x86_64-w64-mingw32-gcc resize_crash.c -o resize_crash.exe $(pkg-config --cflags --libs allegro-5)
 */
#include <allegro5/allegro.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
   bool release = argc > 1 && strcmp(argv[1], "release") == 0;
   ALLEGRO_DISPLAY *display;
   int i;

   if (!al_init())
      return 1;
   al_set_new_display_flags(ALLEGRO_FULLSCREEN | ALLEGRO_OPENGL);
   display = al_create_display(1024, 768);
   if (!display)
      return 1;
   printf("created 1024x768, target %s\n", release ? "released around each resize" : "the backbuffer");
   fflush(stdout);
   for (i = 0; i < 6; i++) {
      int w = i % 2 == 0 ? 800 : 1024, h = i % 2 == 0 ? 600 : 768;
      bool resized;
      if (release)
         al_set_target_bitmap(NULL);
      resized = al_resize_display(display, w, h);
      if (release)
         al_set_target_backbuffer(display);
      al_clear_to_color(al_map_rgb(0, 0, 0));
      al_flip_display();
      printf("al_resize_display(%dx%d): %s, display now %dx%d\n", w, h, resized ? "true" : "false",
         al_get_display_width(display), al_get_display_height(display));
      fflush(stdout);
   }
   al_destroy_display(display);
   return 0;
}
