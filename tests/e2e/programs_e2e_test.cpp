// Each of the five programs as a user meets it on a display that can switch modes.
#include <X11/keysym.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "e2e_support.h"

namespace {
struct program_e2e : e2e_test, ::testing::WithParamInterface<program_row> {};

// Pixels a second the picture's left edge moves over one second, its top row read every 10 ms:
// a turn then costs at most one reading's travel, and a second moving left counts as one moving
// right. A second long, so that a compositor's frame of delay (1/60 s) moves it by under 2 %.
double speed_over_a_second(const x_screen &screen) {
  double first_time = 0.0, last_time = 0.0, travel = 0.0, end = seconds_now() + 1.0;
  int last_left = -1;
  while (seconds_now() < end) {
    double before = seconds_now();
    int left = picture_on_top_row(screen).left;
    double time = (before + seconds_now()) / 2;
    if (left >= 0) {
      if (last_left < 0)
        first_time = time;
      else
        travel += std::abs(left - last_left);
      last_left = left;
      last_time = time;
    }
    sleep_seconds(0.01);
  }
  return last_time > first_time ? travel / (last_time - first_time) : 0.0;
}

// The best of up to five seconds, ending at the first that reaches `floor`: a machine busy
// elsewhere slows the drawing for a while (CI once read 120 of bounce_1024's 200 pixels a second
// under mutter, where 193 to 200 is usual here), a program that steps too slowly is slow in
// every second.
double measured_speed(const x_screen &screen, double floor) {
  double best = 0.0;
  for (int second = 0; second < 5 && best <= floor; second++)
    best = std::max(best, speed_over_a_second(screen));
  return best;
}

void tap(const x_screen &screen, KeySym key) {
  screen_tap_key(screen, key, key_hold_ms());
}
} // namespace

TEST_P(program_e2e, runs_switches_sizes_ignores_close_and_ends_on_escape) {
  const program_row &row = GetParam();
  const bool under_wine = std::getenv("E2E_LAUNCHER") != nullptr;
  // The pointer where a person left it, in the middle.
  const screen_point pointer{row.start.width / 2, row.start.height / 2};
  screen_move_pointer(screen, pointer.x, pointer.y);
  double started = seconds_now();
  program = start_demo(row.name, folder);

  // The first status line counts no passes yet. Another comes only once the program's clock,
  // which starts after `started`, passes one second: a line read before then is the first. A
  // compositing window manager zooms a new window in, and its scaled frames misread: only a
  // whole line counts.
  std::string first;
  double read_by = 0.0;
  EXPECT_TRUE(wait_until(
      [&] {
        first = read_status_line(screen_grab(screen, 512, 32), glyphs());
        read_by = seconds_now();
        return parse_status_line(first).read;
      },
      10, 0.005));
  char expected[64];
  std::snprintf(expected, sizeof expected, "FPS-      0 Szer-%4d Wys-%4d", row.start.width,
                row.start.height);
  if (read_by - started < 1.0) {
    EXPECT_EQ(first, expected);
  }

  // Opens its start mode, covers all of it, and the status line reads that size.
  EXPECT_TRUE(wait_until([&] { return mode_is(screen, row.start); }, 10)) << "start mode";
  EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.start); }, 10)) << "status";
  EXPECT_TRUE(wait_until([&] { return grey_covers(screen, row.start); }, 5)) << "coverage";
  // And the pointer stays in the middle half of the screen. kwin_x11 keeps its place relative
  // to the screen when the mode changes; confined to a window that the frame did not show whole
  // yet, it was taken into the top left corner, KDE's hot corner.
  screen_point now_at = screen_pointer(screen);
  EXPECT_TRUE(std::abs(now_at.x - pointer.x) < pointer.x / 2 &&
              std::abs(now_at.y - pointer.y) < pointer.y / 2)
      << "pointer at " << now_at.x << "," << now_at.y;

  // The picture's top edge is row 0, and it moves one pixel per step interval, at most one step
  // a frame. A machine busy elsewhere draws fewer frames (bounce_1024 under mutter: 115 to 131
  // of its 200 with four busy loops on two cores): the floor, 0.6 of the pace, still fails a
  // step interval 5/3 as long or more. Under Wine each frame goes through Wine's Direct3D on
  // software OpenGL, and bounce_1024's 200 frames a second are not always reached (131 to 140
  // measured): there the floor only says that it moves on steadily.
  screen_image image = screen_grab(screen);
  column_run top = find_colour_run(image, 0, picture_colour, colour_tolerance);
  EXPECT_EQ(top.right - top.left + 1, 100) << "top row of the picture";
  EXPECT_EQ(find_colour_run(image, 59, picture_colour, colour_tolerance).left, top.left);
  EXPECT_EQ(find_colour_run(image, 60, picture_colour, colour_tolerance).left, -1);
  // Under an emulator (qemu: about 40 frames a second) only the motion is checked, since the
  // pace then tells the emulator's speed, not the program's.
  double nominal = 1.0 / row.step_interval, floor = (under_wine ? 0.5 : 0.6) * nominal;
  if (under_emulation())
    floor = 0.0;
  double speed = measured_speed(screen, floor);
  EXPECT_GT(speed, floor) << "pixels a second";
  EXPECT_LT(speed, 1.05 * nominal) << "pixels a second";

  // Q switches to the alternate mode and back, covering the whole screen each time; the status
  // line follows.
  tap(screen, XK_q);
  EXPECT_TRUE(wait_until([&] { return mode_is(screen, row.alt); }, 5)) << "first Q";
  EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.alt); }, 5)) << "status after Q";
  EXPECT_TRUE(wait_until([&] { return grey_covers(screen, row.alt); }, 5)) << "coverage after Q";
  tap(screen, XK_q);
  EXPECT_TRUE(wait_until([&] { return mode_is(screen, row.start); }, 5)) << "second Q";
  EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.start); }, 5));
  EXPECT_TRUE(wait_until([&] { return grey_covers(screen, row.start); }, 5))
      << "coverage after the second Q";

  // Two presses in one burst pass through the alternate mode and end where they began. The
  // library takes a release and a press in the same millisecond for auto-repeat, so they are
  // a few milliseconds apart, as a person's fastest double tap would be. Not under mutter: at
  // times such double switches stop it painting for good (docs/mutter-x11), so the
  // mutter_quick_switches test has them instead. Under Wine, keys are held as a person's are.
  const char *window_manager = std::getenv("E2E_WINDOW_MANAGER");
  bool under_mutter = window_manager && std::string(window_manager) == "mutter";
  if (!under_mutter) {
    // Each switch takes a few milliseconds: the modes set are read from the server's
    // notifications, not polled.
    screen_watch_modes(screen);
    tap(screen, XK_q);
    sleep_seconds(0.02);
    tap(screen, XK_q);
    std::vector<video_mode> seen;
    auto there_and_back = [&] {
      for (video_mode mode : screen_modes_seen(screen))
        if (seen.empty() || mode.width != seen.back().width || mode.height != seen.back().height)
          seen.push_back(mode);
      return seen.size() >= 2 && seen[seen.size() - 2].width == row.alt.width &&
             seen.back().width == row.start.width && seen.back().height == row.start.height;
    };
    EXPECT_TRUE(wait_until(there_and_back, 5)) << "burst: " << seen.size() << " modes set";
    EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.start); }, 5));
  }

  // A window manager's close request is ignored: the loop goes on and redraws the status line.
  // (A program that ended would leave its last frame, or a black screen, behind.)
  std::string before = read_status_line(screen_grab(screen), glyphs());
  EXPECT_EQ(screen_request_close(screen, program.pid), 1);
  EXPECT_TRUE(wait_until(
      [&] {
        std::string now = read_status_line(screen_grab(screen), glyphs());
        return now != before && status_reads(now, row.start);
      },
      5))
      << "no new status line after a close request";
  EXPECT_TRUE(still_running(program)) << "ended on a close request";

  // Escape ends it with status 0, having printed nothing, and the desktop's mode is back.
  int status = end_with_escape(screen, program);
  EXPECT_TRUE(WIFEXITED(status)) << "wait status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_file(program.out_path), "");
  EXPECT_EQ(read_file(program.err_path), "");
  video_mode desktop = desktop_mode_given_back();
  if (desktop.width != 1024 || desktop.height != 768)
    std::printf("NOTE: the mode recorded as the desktop's is %dx%d, not 1024x768\n", desktop.width,
                desktop.height);
  bool desktop_back = wait_until([&] { return mode_is(screen, desktop); }, 2);
  video_mode now = screen_mode(screen);
  EXPECT_TRUE(desktop_back) << "desktop mode " << now.width << "x" << now.height << ", not "
                            << desktop.width << "x" << desktop.height;
}

// The switch back covers the whole screen however long the program drew at the smaller size.
// mutter on X11 lets a window that has covered the monitor for 100 of its frames (1.7 s) draw
// straight to the screen, and keeps the size it had then: grown back, the window was covered
// by mutter's background outside that corner. The project's Allegro asks mutter to keep
// compositing it; with Debian's the test only reports what it sees there (docs/mutter-x11).
TEST_P(program_e2e, a_switch_back_after_a_pause_covers_the_whole_screen) {
  const program_row &row = GetParam();
#ifdef DEMO_PATCHED_ALLEGRO
  const bool only_reported = false;
#else
  const char *window_manager = std::getenv("E2E_WINDOW_MANAGER");
  const bool only_reported = window_manager && std::string(window_manager) == "mutter";
#endif
  program = start_demo(row.name, folder);
  ASSERT_TRUE(wait_until([&] { return status_shows(screen, row.start); }, 10)) << "status";
  for (double pause : {0.5, 1.0, 3.0, 5.0}) {
    SCOPED_TRACE(testing::Message() << pause << " s at " << row.alt.width << "x" << row.alt.height);
    tap(screen, XK_q);
    EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.alt); }, 5)) << "first Q";
    sleep_seconds(pause);
    tap(screen, XK_q);
    EXPECT_TRUE(wait_until([&] { return mode_is(screen, row.start); }, 5)) << "second Q";
    bool covered = wait_until([&] { return grey_covers(screen, row.start); }, 2);
    if (only_reported)
      std::printf("NOTE: %s after %.1f s at the smaller size: %s\n", row.name, pause,
                  covered ? "covered" : "not covered");
    else
      EXPECT_TRUE(covered) << "coverage";
  }
  int status = end_with_escape(screen, program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST_P(program_e2e, command_line_arguments_change_nothing) {
  const program_row &row = GetParam();
  program = start_demo(row.name, folder, {"--help", "-w", "640", "bmp.png", "x y"});
  EXPECT_TRUE(wait_until([&] { return mode_is(screen, row.start); }, 10));
  EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.start); }, 10));
  int status = end_with_escape(screen, program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  EXPECT_EQ(read_file(folder + "/" + row.name + ".err"), "");
}

INSTANTIATE_TEST_SUITE_P(all, program_e2e, ::testing::ValuesIn(program_rows),
                         [](const auto &info) { return std::string(info.param.name); });
