// bounce_1024: 1024x768 with the faster motion step of 5 ms.
#include "demo_core.h"

static const demo_settings settings = {
    "bounce_1024",      // name
    "bmp.jpg",          // image_path
    1024,               // start_width
    768,                // start_height
    800,                // alt_width
    600,                // alt_height
    ALLEGRO_FULLSCREEN, // display_flags
    false,              // suggest_vsync
    true,               // place_window
    {0.5f, 0.5f, 0.5f}, // first_clear
    0.005,              // step_interval
    false,              // fit_limit
    800,                // fixed_limit
    false,              // flash_on_toggle
};

int main(int /*argc*/, char ** /*argv*/) {
  return run_demo(settings);
}
