// bounce_vsync: an OpenGL fullscreen display with vertical sync suggested.
#include "demo_core.h"

static const demo_settings settings = {
    "bounce_vsync",                      // name
    "bmp.jpg",                           // image_path
    1024,                                // start_width
    768,                                 // start_height
    800,                                 // alt_width
    600,                                 // alt_height
    ALLEGRO_FULLSCREEN | ALLEGRO_OPENGL, // display_flags
    true,                                // suggest_vsync
    true,                                // place_window
    {0.5f, 0.5f, 0.5f},                  // first_clear
    0.01,                                // step_interval
    false,                               // fit_limit
    800,                                 // fixed_limit
    false,                               // flash_on_toggle
};

int main(int /*argc*/, char ** /*argv*/) {
  return run_demo(settings);
}
