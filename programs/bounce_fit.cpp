// bounce_fit: a PNG picture whose right-hand turn is fitted to the display width.
#include "demo_core.h"

static const demo_settings settings = {
    "bounce_fit",       // name
    "bmp.png",          // image_path
    800,                // start_width
    600,                // start_height
    640,                // alt_width
    480,                // alt_height
    ALLEGRO_FULLSCREEN, // display_flags
    false,              // suggest_vsync
    true,               // place_window
    {0.5f, 0.5f, 0.5f}, // first_clear
    0.01,               // step_interval
    true,               // fit_limit
    0,                  // fixed_limit: not used
    false,              // flash_on_toggle
};

int main(int /*argc*/, char ** /*argv*/) {
  return run_demo(settings);
}
