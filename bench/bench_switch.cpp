// The benchmark's switch: Q key-down to the first frame at the other size, for each program, its
// reference loop, the bare mode set and an SDL2 program.
#include "bench_support.h"

#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>

namespace {
// Where a switch is seen: on a bare X server, the screen and its mode; under Xwayland
// (`window` set), the program's window: there the root window shows no program, and a mode is
// its own client's alone.
struct switch_view {
  const x_screen *screen;
  Window window; // 0: the screen
};

video_mode view_size(const switch_view &view) {
  return view.window ? screen_window_size(*view.screen, view.window) : screen_mode(*view.screen);
}

bool view_at(const switch_view &view, video_mode size) {
  video_mode now = view_size(view);
  return now.width == size.width && now.height == size.height;
}

// A frame at `size` shown: on a bare X server, the mode; in a window, the picture's width, which
// the window's own size scales where the compositor keeps the window at the monitor's size and
// the library scales its frame into it (KWin, sway, Weston).
bool frame_at(const switch_view &view, video_mode size) {
  if (!view.window)
    return view_at(view, size);
  column_run run = picture_on_top_row(*view.screen, view.window);
  int scaled = bench_picture_width * view_size(view).width / size.width;
  return run.left >= 0 && std::abs(run.right + 1 - run.left - scaled) <= 2;
}

// Seconds from a Q key-down to the first frame at the other size: once the new size is seen,
// the picture seen at a new place (a frame drawn since). The key is held `hold_ms` while the
// screen is watched.
double switch_seconds(const switch_view &view, video_mode to, int hold_ms) {
  double pressed = seconds_now();
  screen_press_key(*view.screen, XK_q, true);
  bool held = true;
  int before = -2;
  double shown = -1.0;
  wait_until(
      [&] {
        if (held && seconds_now() - pressed >= hold_ms / 1000.0) {
          screen_press_key(*view.screen, XK_q, false);
          held = false;
        }
        if (!frame_at(view, to))
          return false;
        int left = picture_on_top_row(*view.screen, view.window).left;
        if (before == -2)
          before = left;
        else if (left >= 0 && left != before)
          shown = seconds_now();
        return shown >= 0;
      },
      5, 0.0005);
  if (held) {
    sleep_seconds(hold_ms / 1000.0 - (seconds_now() - pressed));
    screen_press_key(*view.screen, XK_q, false);
  }
  return shown < 0 ? -1.0 : shown - pressed;
}

// Each way's switch times of one run of `path` (through `how.launcher`, if any), `presses` each
// way.
bool time_switches(const x_screen &screen, const std::string &path, const std::string &folder,
                   const program_row &row, int presses, const switch_run &how,
                   std::vector<double> times[2]) {
  running_program program = start_program(path, folder, {}, nullptr, how.launcher);
  switch_view view{&screen, 0};
  bool shown =
      (!how.xwayland ||
       wait_until([&] { return (view.window = screen_window_of(screen, program.pid)) != 0; },
                  15)) &&
      wait_until(
          [&] {
            return frame_at(view, row.start) &&
                   picture_on_top_row(*view.screen, view.window).left >= 0;
          },
          15, 0.001);
  if (!shown) {
    kill_program(program);
    return false;
  }
  sleep_seconds(0.2);
  for (int press = 0; press < 2 * presses; press++) {
    int way = press % 2; // 0: to the alternate size, 1: back
    // Wine misses key taps of a few milliseconds at times: there keys are held as a person
    // holds them.
    double seconds = switch_seconds(view, way == 0 ? row.alt : row.start, how.launcher ? 150 : 5);
    if (seconds < 0) {
      kill_program(program);
      return false;
    }
    times[way].push_back(seconds * 1000);
    sleep_seconds(0.1);
  }
  return ends_on_escape(screen, program);
}

// The server's own mode set alone, to the same mode, until it is seen: on a bare X server, the
// mode reported; under Xwayland, which reports no client's emulated mode, a fullscreen window
// of this client's own sized to it by the compositor. No program can switch faster there.
void time_mode_sets(const x_screen &screen, const program_row &row, int presses, bool xwayland,
                    std::vector<double> times[2]) {
  switch_view view{&screen, xwayland ? screen_show_fullscreen_window(screen) : 0};
  wait_until([&] { return view_at(view, screen_desktop(screen)); }, 5);
  for (int press = 0; press < 2 * presses; press++) {
    video_mode to = press % 2 == 0 ? row.alt : row.start;
    double start = seconds_now();
    screen_set_mode(screen, to.width, to.height);
    // mutter 43 sizes the window to its client's first emulated mode unasked, to later ones
    // only when the client asks for the size, as the library does; mutter 48 to the first
    // alone (the library's own switch, which also makes its window fullscreen again, is
    // shown both ways there): a set it does not show is reported as not seen.
    if (view.window)
      screen_resize_window(screen, view.window, to.width, to.height);
    if (wait_until([&] { return view_at(view, to); }, 5, 0.0005))
      times[press % 2].push_back((seconds_now() - start) * 1000);
    sleep_seconds(0.1);
  }
  if (view.window)
    screen_destroy_window(screen, view.window);
}

} // namespace

// The size switch timed both ways for each program, its reference loop and the bare mode
// set (under Xwayland, its emulation for this client); printed, never judged: wall-clock
// times on this machine wander. Under a launcher (Wine), the Windows programs alone.
int switches(const x_screen &screen, const std::string &folder, int presses,
             const switch_run &how) {
  std::printf("| program | way | program, ms | reference, ms | ratio | bare mode set, ms |\n"
              "|---|---|---|---|---|---|\n");
  bool all_ok = true;
  for (const program_row &row : program_rows) {
    std::vector<double> program[2], reference[2], bare[2];
    std::string path = how.launcher ? how.program_dir + "/" + row.name + ".exe"
                                    : std::string(PROGRAM_DIR "/") + row.name;
    if (!time_switches(screen, path, folder, row, presses, how, program) ||
        (!how.launcher &&
         !time_switches(screen, reference_path(row), folder, row, presses, how, reference))) {
      std::fprintf(stderr, "bench_runner: a switch of %s or its reference loop was not seen\n",
                   row.name);
      all_ok = false;
      continue;
    }
    // Not under Wine, which sets the desktop's mode again, by way of no mode at all, a couple
    // of seconds after a program ends: the bare X server's figures hold there.
    if (!how.launcher)
      time_mode_sets(screen, row, presses, how.xwayland, bare);
    for (int way = 0; way < 2; way++) {
      video_mode to = way == 0 ? row.alt : row.start;
      std::string against, ratio, mode_set; // left empty under Wine
      if (!how.launcher) {
        char number[16];
        std::snprintf(number, sizeof number, "%.3f", median(program[way]) / median(reference[way]));
        against = spread(reference[way], "%.0f");
        ratio = number;
        mode_set = bare[way].empty() ? "not seen" : spread(bare[way], "%.1f");
      }
      std::printf("| %s | to %dx%d | %s | %s | %s | %s |\n", row.name, to.width, to.height,
                  spread(program[way], "%.0f").c_str(), against.c_str(), ratio.c_str(),
                  mode_set.c_str());
    }
    std::fflush(stdout);
  }
  // SDL2's own switch, the peer a user would otherwise pick, between the sizes of bounce_1024;
  // on X servers only: in mutter's Wayland session its window never showed a switch here.
  if (*SDL2_PEER && !how.xwayland && !how.launcher) {
    const program_row peer = {"sdl2_peer (SDL2)", {1024, 768}, {800, 600}, 0.01};
    std::vector<double> times[2];
    if (!save_test_picture(folder + "/bmp.bmp", bench_picture_width, bench_picture_height) ||
        !time_switches(screen, SDL2_PEER, folder, peer, presses, how, times)) {
      std::fprintf(stderr, "bench_runner: a switch of the SDL2 peer was not seen\n");
      all_ok = false;
    } else {
      for (int way = 0; way < 2; way++) {
        video_mode to = way == 0 ? peer.alt : peer.start;
        std::printf("| %s | to %dx%d | %s | | | |\n", peer.name, to.width, to.height,
                    spread(times[way], "%.0f").c_str());
      }
    }
  }
  return all_ok ? 0 : 1;
}
