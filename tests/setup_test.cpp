// Set-up: the order of its calls, and each failure's message, exit status and clean-up.
#include <algorithm>

#include "test_rows.h"

namespace {
std::vector<std::string> calls_before_loop() {
  std::vector<std::string> &calls = fake().calls;
  return {calls.begin(), std::find(calls.begin(), calls.end(), "al_get_keyboard_state()")};
}

// The queue hears the keyboard before the window shows: a key pressed as soon as the window has
// the focus must not be lost.
const std::vector<std::string> library_start = {
    "al_install_system(version,atexit)",
    "al_init_image_addon()",
    "al_install_keyboard()",
    "al_init_font_addon()",
    "al_create_event_queue()",
    "al_register_event_source(queue,keyboard)",
};

const std::vector<std::string> objects_after_first_clear = {
    "al_create_builtin_font()",           "al_create_bitmap(250,12)",
    "al_set_target_bitmap(overlay)",
    "al_clear_to_color(overlay,0,0,0,0)", // a new bitmap's contents are undefined
    "al_set_target_backbuffer(display)",
    "al_load_bitmap(bmp.jpg,memory)", // a failed decode leaves nothing on the display
    "al_clone_bitmap(decoded,video)",     "al_destroy_bitmap(decoded)",
};

std::vector<std::string> joined(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto &part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}
} // namespace

TEST_F(core_test, set_up_order_with_vsync_hint_and_placed_window) {
  demo_settings settings = row_800();
  settings.start_width = 1024;
  settings.start_height = 768;
  settings.suggest_vsync = true;
  settings.display_flags = ALLEGRO_FULLSCREEN | ALLEGRO_OPENGL;
  escape_at(1);
  EXPECT_EQ(run_demo(settings), 0);
  EXPECT_EQ(calls_before_loop(),
            joined({library_start,
                    {"al_set_new_display_option(26,1,2)", "al_set_new_display_flags(6)",
                     "al_create_display(1024,768)", "al_register_event_source(queue,display)",
                     "al_set_window_position(display,0,0)",
                     "al_clear_to_color(backbuffer,0.5,0.5,0.5,1)"},
                    objects_after_first_clear}));
}

TEST_F(core_test, set_up_order_without_hint_or_placing_and_a_black_first_clear) {
  demo_settings settings = row_800();
  settings.place_window = false;
  settings.first_clear[0] = settings.first_clear[1] = settings.first_clear[2] = 0.0f;
  escape_at(1);
  EXPECT_EQ(run_demo(settings), 0);
  EXPECT_EQ(
      calls_before_loop(),
      joined({library_start,
              {"al_set_new_display_flags(2)", "al_create_display(800,600)",
               "al_register_event_source(queue,display)", "al_clear_to_color(backbuffer,0,0,0,1)"},
              objects_after_first_clear}));
}

TEST_F(core_test, each_set_up_failure_prints_one_line_frees_what_was_made_and_returns_1) {
  struct failure {
    const char *call;
    const char *message;
    std::vector<std::string> destroyed; // in this order
  };
  const std::string display = "al_destroy_display(display)", font = "al_destroy_font(font)",
                    overlay = "al_destroy_bitmap(overlay)", image = "al_destroy_bitmap(image)",
                    decoded = "al_destroy_bitmap(decoded)", queue = "al_destroy_event_queue(queue)";
  const char *no_picture = "cannot load the picture \"bmp.jpg\" from the current directory";
  const failure cases[] = {
      {"al_install_system", "cannot initialise the Allegro library", {}},
      {"al_init_image_addon", "cannot initialise the image add-on", {}},
      {"al_install_keyboard", "cannot install the keyboard", {}},
      {"al_init_font_addon", "cannot initialise the font add-on", {}},
      {"al_create_event_queue", "cannot create the event queue", {}},
      {"al_create_display", "cannot open a 800x600 fullscreen display", {queue}},
      {"al_create_builtin_font", "cannot create the built-in font", {display, queue}},
      {"al_create_bitmap", "cannot create the 250x12 status bitmap", {font, display, queue}},
      {"al_load_bitmap", no_picture, {overlay, font, display, queue}},
      {"al_clone_bitmap", no_picture, {decoded, overlay, font, display, queue}},
  };
  for (const failure &c : cases) {
    fake_reset();
    fake().failing_call = c.call;
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_demo(row_800()), 1) << c.call;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("t: ") + c.message + "\n");
    EXPECT_EQ(fake().passes, 0) << c.call << ": the loop was entered";
    EXPECT_EQ(fake_calls("al_destroy"), c.destroyed) << c.call;
  }
}

TEST_F(core_test, success_prints_nothing_and_leaves_overlay_font_and_queue_alive) {
  escape_at(2);
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_demo(row_800()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(fake_calls("al_destroy"),
            (std::vector<std::string>{"al_destroy_bitmap(decoded)", "al_destroy_bitmap(image)",
                                      "al_destroy_display(display)"}));
}
