/* Which Allegro key each key of the main block is, on the X server's current layout: the key
 * at each place is pressed through XTest by its keycode, as a finger presses it, and the key
 * code and name Allegro reports are printed, one line a place.
 * Build: gcc key_names.c -o key_names $(pkg-config --cflags --libs allegro-5 x11 xtst)
 * Run:   setxkbmap ru; ./key_names
 */
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <allegro5/allegro.h>
#include <stdio.h>
#include <string.h>

static const char *const places[] = {
   "TLDE", "AE01", "AE02", "AE03", "AE04", "AE05", "AE06", "AE07", "AE08", "AE09", "AE10",
   "AE11", "AE12", "AD01", "AD02", "AD03", "AD04", "AD05", "AD06", "AD07", "AD08", "AD09",
   "AD10", "AD11", "AD12", "BKSL", "AC01", "AC02", "AC03", "AC04", "AC05", "AC06", "AC07",
   "AC08", "AC09", "AC10", "AC11", "LSGT", "AB01", "AB02", "AB03", "AB04", "AB05", "AB06",
   "AB07", "AB08", "AB09", "AB10",
};

static int keycode_at(XkbDescPtr xkb, const char *place)
{
   int code;
   for (code = xkb->min_key_code; code <= xkb->max_key_code; code++)
      if (strncmp(xkb->names->keys[code].name, place, XkbKeyNameLength) == 0)
         return code;
   return 0;
}

int main(void)
{
   Display *x = XOpenDisplay(NULL);
   XkbDescPtr xkb;
   ALLEGRO_EVENT_QUEUE *queue;
   unsigned i;

   if (!x || !al_init() || !al_install_keyboard())
      return 1;
   xkb = XkbGetMap(x, 0, XkbUseCoreKbd);
   if (!xkb || XkbGetNames(x, XkbKeyNamesMask, xkb) != Success)
      return 1;
   al_set_new_display_flags(ALLEGRO_FULLSCREEN_WINDOW);
   if (!al_create_display(640, 480))
      return 1;
   queue = al_create_event_queue();
   al_register_event_source(queue, al_get_keyboard_event_source());
   al_rest(0.5);
   for (i = 0; i < sizeof places / sizeof *places; i++) {
      int code = keycode_at(xkb, places[i]);
      ALLEGRO_EVENT event;
      bool seen = false;
      if (!code)
         continue;
      XTestFakeKeyEvent(x, code, True, CurrentTime);
      XTestFakeKeyEvent(x, code, False, CurrentTime);
      XSync(x, False);
      while (al_wait_for_event_timed(queue, &event, 0.2)) {
         if (event.type == ALLEGRO_EVENT_KEY_DOWN && !seen) {
            printf("%s %3d %s\n", places[i], event.keyboard.keycode,
               al_keycode_to_name(event.keyboard.keycode));
            seen = true;
         }
      }
   }
   return 0;
}
