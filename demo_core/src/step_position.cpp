// The bounce motion: one pixel per step between the left edge and the right-hand limit.
#include "demo_loop.h"

// Read anew at each use, so a fitted limit follows a size switch at once.
static int right_limit(const demo_settings &settings, const demo_state &state) {
  if (!settings.fit_limit)
    return settings.fixed_limit;
  int display_width = al_get_display_width(state.display);
  return display_width - al_get_bitmap_width(state.image);
}

void step_position(const demo_settings &settings, demo_state &state) {
  if (state.x < right_limit(settings, state) && !state.moving_left)
    state.x++;
  if (state.x >= right_limit(settings, state))
    state.moving_left = true;
  if (state.moving_left)
    state.x--;
  if (state.x <= 0)
    state.moving_left = false;
}
