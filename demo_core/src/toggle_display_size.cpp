// The Q key's size switch between the start size and the alternate size.
#include "demo_loop.h"

void toggle_display_size(const demo_settings &settings, demo_state &state) {
  // The flag follows the presses, not the display: a failed resize still counts as a switch.
  state.alt_size = !state.alt_size;
  // Components far above 1.0 on purpose: the driver clamps them, so the flash is pure green
  // on the way to the alternate size and pure yellow on the way back.
  if (settings.flash_on_toggle)
    al_clear_to_color(state.alt_size ? al_map_rgb_f(0.0, 128.0, 0.0)
                                     : al_map_rgb_f(128.0, 128.0, 0.0));
  // No target during the resize: the library's OpenGL resize on Windows destroys the
  // backbuffer while it is still the target and then reads it, and crashes.
  al_set_target_bitmap(nullptr);
  if (state.alt_size)
    al_resize_display(state.display, settings.alt_width, settings.alt_height);
  else
    al_resize_display(state.display, settings.start_width, settings.start_height);
  al_set_target_backbuffer(state.display);
  if (settings.flash_on_toggle)
    al_flip_display();
}
