// bounce_800: 800x600 with a fixed right-hand limit of 800, so the picture slides off the edge.
#include "demo_core.h"

static const demo_settings settings = {
    "bounce_800",       // name
    "bmp.jpg",          // image_path
    800,                // start_width
    600,                // start_height
    640,                // alt_width
    480,                // alt_height
    ALLEGRO_FULLSCREEN, // display_flags
    false,              // suggest_vsync
    true,               // place_window
    {0.5f, 0.5f, 0.5f}, // first_clear
    0.01,               // step_interval
    false,              // fit_limit
    800,                // fixed_limit
    false,              // flash_on_toggle
};

int main(int /*argc*/, char ** /*argv*/) {
  return run_demo(settings);
}
