// One whole frame: grey, the picture, the status line doubled in size, then the flip.
#include "demo_loop.h"

void render_frame(const demo_state &state) {
  al_clear_to_color(al_map_rgb_f(0.5, 0.5, 0.5));
  al_draw_bitmap(state.image, static_cast<float>(state.x), 0.0, 0);
  al_draw_scaled_bitmap(state.overlay, 0.0, 0.0, overlay_width, overlay_height, 2.0, 2.0,
                        2 * overlay_width, 2 * overlay_height, 0);
  al_flip_display();
}
