// Where the picture turns: the fitted limit at both sizes, and the fixed limit of 800.
#include <X11/keysym.h>
#include <sys/wait.h>

#include "e2e_support.h"

namespace {
// Watches row 0 until the picture's run satisfies `wanted`, failing the test if any grab
// on the way shows picture colour right of `last_column`.
bool watch_until(const x_screen &screen, int last_column,
                 const std::function<bool(column_run)> &wanted, double seconds) {
  return wait_until(
      [&] {
        column_run run = picture_on_top_row(screen);
        EXPECT_LE(run.right, last_column) << "the picture passed its turn";
        return wanted(run);
      },
      seconds, 0.0);
}

void expect_escape_ends(const x_screen &screen, running_program &program) {
  int status = end_with_escape(screen, program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}
} // namespace

TEST_F(e2e_test, fitted_limit_turns_one_pixel_short_and_settles_when_too_wide) {
  ASSERT_TRUE(save_test_picture(folder + "/bmp.png", 700, 60));
  program = start_demo("bounce_fit", folder);
  ASSERT_TRUE(wait_until([&] { return status_shows(screen, {800, 600}); }, 10));

  // At 800 wide the limit is 100: the right edge turns at column 798, one short of the edge.
  EXPECT_TRUE(watch_until(
      screen, 798, [](column_run r) { return r.right == 798; }, 5));

  // At 640 wide the limit is -60: it walks left and stays with its left edge at -61.
  screen_tap_key(screen, XK_q, 5);
  ASSERT_TRUE(wait_until([&] { return mode_is(screen, {640, 480}); }, 5));
  const int settled_right = -61 + 700 - 1;
  EXPECT_TRUE(watch_until(
      screen, 799, [&](column_run r) { return r.left == 0 && r.right == settled_right; }, 5));
  double settled_until = seconds_now() + 0.5;
  EXPECT_TRUE(watch_until(
      screen, settled_right, [&](column_run) { return seconds_now() > settled_until; }, 2));

  // Back at 800 wide it moves on again.
  screen_tap_key(screen, XK_q, 5);
  EXPECT_TRUE(watch_until(
      screen, 798, [](column_run r) { return r.right > 660; }, 5));
  expect_escape_ends(screen, program);
}

TEST_F(e2e_test, fixed_limit_takes_the_picture_off_a_narrower_display) {
  program = start_demo("bounce_800", folder);
  ASSERT_TRUE(wait_until([&] { return status_shows(screen, {800, 600}); }, 10));
  screen_tap_key(screen, XK_q, 5);
  ASSERT_TRUE(wait_until([&] { return mode_is(screen, {640, 480}); }, 5));

  // At 640 wide the left edge still runs on to 799, so the picture leaves the display: row 0
  // is grey from edge to edge (not black, as between a mode switch and the next frame).
  const rgb_colour grey = {128, 128, 128};
  EXPECT_TRUE(wait_until(
      [&] {
        column_run run = find_colour_run(screen_grab(screen), 0, grey, 2);
        return run.left == 0 && run.right == 639 && picture_on_top_row(screen).left < 0;
      },
      12));

  // ...and back at 800 wide it turns with only its first column on the screen.
  screen_tap_key(screen, XK_q, 5);
  EXPECT_TRUE(watch_until(
      screen, 799, [](column_run r) { return r.left == 799; }, 5));
  expect_escape_ends(screen, program);
}
