// bounce_flash: OpenGL, left where the system puts it, a black first clear and a colour flash on Q.
#include "demo_core.h"

static const demo_settings settings = {
    "bounce_flash",                      // name
    "bmp.jpg",                           // image_path
    1024,                                // start_width
    768,                                 // start_height
    800,                                 // alt_width
    600,                                 // alt_height
    ALLEGRO_FULLSCREEN | ALLEGRO_OPENGL, // display_flags
    false,                               // suggest_vsync
    false,                               // place_window
    {0.0f, 0.0f, 0.0f},                  // first_clear
    0.01,                                // step_interval
    false,                               // fit_limit
    800,                                 // fixed_limit
    true,                                // flash_on_toggle
};

int main(int /*argc*/, char ** /*argv*/) {
  return run_demo(settings);
}
