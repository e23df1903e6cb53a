// What one frame, one status redraw and one size switch draw, and in which order.
#include "demo_loop.h"
#include "test_rows.h"

namespace {
// A state with the objects set-up makes, without running set-up's own checks.
demo_state made_state() {
  demo_state state{};
  state.display = al_create_display(800, 600);
  state.font = al_create_builtin_font();
  state.overlay = al_create_bitmap(250, 12);
  state.image = al_clone_bitmap(al_load_bitmap("bmp.jpg"));
  fake().calls.clear();
  return state;
}
} // namespace

TEST_F(core_test, frame_is_grey_picture_then_doubled_status_then_flip) {
  demo_state state = made_state();
  state.x = -7;
  render_frame(state);
  EXPECT_EQ(fake().calls, (std::vector<std::string>{
                              "al_clear_to_color(backbuffer,0.5,0.5,0.5,1)",
                              "al_draw_bitmap(backbuffer,image,-7,0,0)",
                              "al_draw_scaled_bitmap(backbuffer,overlay,0,0,250,12,2,2,500,24,0)",
                              "al_flip_display()"}));
}

TEST_F(core_test, status_redraw_writes_yellow_text_into_the_overlay_and_returns_target) {
  demo_state state = made_state();
  state.next_refresh = 3.0;
  state.pass_count = 12345678; // eight digits widen the field
  fake().display_width = 1024;
  fake().display_height = 768;
  refresh_status_overlay(state);
  EXPECT_EQ(fake().calls,
            (std::vector<std::string>{
                "al_set_target_bitmap(overlay)", "al_clear_to_color(overlay,0,0,0,0)",
                "al_draw_textf(overlay,font,1,1,0,1,2,2,0,FPS-12345678 Szer-1024 Wys- 768)",
                "al_set_target_backbuffer(display)"}));
  EXPECT_EQ(state.next_refresh, 4.0);
  EXPECT_EQ(state.pass_count, 1);
}

TEST_F(core_test, size_switch_alternates_flashes_where_asked_and_resizes_with_no_target) {
  struct toggle_case {
    bool flash;
    bool resize_fails;
    std::vector<std::string> calls; // for three presses
  };
  // The library's OpenGL resize on Windows reads a freed backbuffer if it is the target.
  const std::string release = "al_set_target_bitmap(none)",
                    to_alt = "al_resize_display(display,640,480,target none)",
                    to_start = "al_resize_display(display,800,600,target none)",
                    back = "al_set_target_backbuffer(display)",
                    green = "al_clear_to_color(backbuffer,0,128,0,1)",
                    yellow = "al_clear_to_color(backbuffer,128,128,0,1)",
                    flip = "al_flip_display()";
  const toggle_case cases[] = {
      {false, false, {release, to_alt, back, release, to_start, back, release, to_alt, back}},
      // The flag follows the presses.
      {false, true, {release, to_alt, back, release, to_start, back, release, to_alt, back}},
      {true,
       false,
       {green, release, to_alt, back, flip, yellow, release, to_start, back, flip, green, release,
        to_alt, back, flip}},
  };
  for (const toggle_case &c : cases) {
    fake_reset();
    demo_settings settings = row_800();
    settings.flash_on_toggle = c.flash;
    fake().resize_fails = c.resize_fails;
    demo_state state = made_state();
    for (int press = 1; press <= 3; press++) {
      toggle_display_size(settings, state);
      EXPECT_EQ(state.alt_size, press % 2 == 1);
    }
    EXPECT_EQ(fake().calls, c.calls) << "flash " << c.flash << ", resize fails " << c.resize_fails;
    EXPECT_EQ(fake().display_width, c.resize_fails ? 800 : 640);
  }
}
