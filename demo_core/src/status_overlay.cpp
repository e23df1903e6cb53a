// The once-a-second status line: passes counted since the last redraw and the display size.
#include "demo_loop.h"

void refresh_status_overlay(demo_state &state) {
  // From the old deadline, not from now, so the redraws keep to whole seconds of the clock.
  state.next_refresh += 1.0;
  al_set_target_bitmap(state.overlay);
  al_clear_to_color(al_map_rgba_f(0.0, 0.0, 0.0, 0.0));
  int height = al_get_display_height(state.display);
  int width = al_get_display_width(state.display);
  al_draw_textf(state.font, al_map_rgb(255, 255, 0), 2.0, 2.0, 0, "FPS-%7d Szer-%4d Wys-%4d",
                state.pass_count, width, height);
  al_set_target_backbuffer(state.display);
  // The redrawing pass counts towards the next reading.
  state.pass_count = 1;
}
