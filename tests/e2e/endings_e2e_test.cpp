// Every way a run ends besides Escape leaves the desktop as it was: signals, a desktop smaller
// than the start size, and the display server going away.
#include <csignal>
#include <cstdio>
#include <sys/wait.h>

#include "e2e_support.h"

namespace {
// Starts bounce_fit (800x600) and waits until its status line shows on the screen.
void start_and_wait_for_status(const x_screen &screen, running_program &program,
                               const std::string &path, const std::string &folder,
                               const std::vector<std::string> &args = {}) {
  program = start_program(path, folder, args);
  EXPECT_TRUE(wait_until([&] { return status_shows(screen, {800, 600}); }, 10)) << path;
}

// A shell command's first line of output, or "" if it failed.
std::string first_line_of(const std::string &command) {
  std::string line;
  if (FILE *out = popen(command.c_str(), "r")) {
    char text[256];
    if (std::fgets(text, sizeof text, out))
      line = text;
    if (pclose(out) != 0)
      line.clear();
  }
  if (!line.empty() && line.back() == '\n')
    line.pop_back();
  return line;
}
} // namespace

TEST_F(e2e_test, a_termination_signal_gives_the_mode_back_and_ends_as_that_signal) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE("signal " + std::to_string(signal_number));
    start_and_wait_for_status(screen, program, PROGRAM_DIR "/bounce_fit", folder);
    EXPECT_TRUE(mode_is(screen, {800, 600}));
    kill(program.pid, signal_number);
    int status = wait_for_exit(program, 5);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
        << "wait status " << status;
    EXPECT_TRUE(wait_until([&] { return mode_is(screen, {1024, 768}); }, 2)) << "desktop mode";
    EXPECT_EQ(read_file(folder + "/bounce_fit.err"), "");
  }
}

TEST_F(e2e_test, a_hang_up_ignored_at_start_stays_ignored) {
  // As `nohup bounce_fit` starts it.
  start_and_wait_for_status(screen, program, "/usr/bin/nohup", folder, {PROGRAM_DIR "/bounce_fit"});
  std::string before = read_status_line(screen_grab(screen), glyphs());
  kill(program.pid, SIGHUP);
  EXPECT_TRUE(
      wait_until([&] { return read_status_line(screen_grab(screen), glyphs()) != before; }, 5))
      << "no new status line after the hang-up";
  int status = end_with_escape(screen, program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST_F(e2e_test, a_desktop_smaller_than_the_start_size_fails_cleanly_and_stays_as_it_was) {
  struct small_desktop {
    const char *program;
    video_mode desktop, start;
  };
  const small_desktop cases[] = {{"bounce_800", {640, 480}, {800, 600}},
                                 {"bounce_1024", {800, 600}, {1024, 768}}};
  for (const small_desktop &c : cases) {
    SCOPED_TRACE(c.program);
    ASSERT_TRUE(screen_set_desktop(screen, c.desktop.width, c.desktop.height));
    double started = seconds_now();
    program = start_demo(c.program, folder);
    int status = wait_for_exit(program, 5);
    EXPECT_LT(seconds_now() - started, 5.0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "wait status " << status;
    char line[96];
    std::snprintf(line, sizeof line, "%s: cannot open a %dx%d fullscreen display\n", c.program,
                  c.start.width, c.start.height);
    // Xlib's own report of the refused request comes first.
    std::string err = read_file(folder + "/" + c.program + ".err");
    EXPECT_TRUE(ends_with(err, line)) << err;
    video_mode desktop = screen_desktop(screen);
    EXPECT_EQ(desktop.width, c.desktop.width);
    EXPECT_EQ(desktop.height, c.desktop.height);
    EXPECT_TRUE(mode_is(screen, c.desktop));
  }
}

TEST_F(e2e_test, the_display_server_going_away_ends_the_program_with_one_line) {
  // A server of the test's own, ended as a logout ends it and as a crash does.
  const std::string script = SCRIPTS_DIR "/virtual_display.sh", state = folder + "/server";
  for (int how : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE("server ended by signal " + std::to_string(how));
    std::string display = first_line_of("'" + script + "' start '" + state + "'");
    ASSERT_NE(display, "");
    x_screen own{};
    // The server is stopped below whatever happens here.
    if (screen_open(own, display.c_str())) {
      program = start_demo("bounce_800", folder, {}, display.c_str());
      EXPECT_TRUE(wait_until([&] { return status_shows(own, {800, 600}); }, 10));
      // This test's own connection goes first, or losing the server would end the test too.
      screen_close(own);
      kill(std::stoi(read_file(state + "/pid")), how);
      double gone = seconds_now();
      int status = wait_for_exit(program, 3);
      EXPECT_LT(seconds_now() - gone, 3.0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "wait status " << status;
      std::string err = read_file(folder + "/bounce_800.err");
      // Xlib reports the broken connection first.
      EXPECT_TRUE(ends_with(err, "bounce_800: lost the connection to the display\n")) << err;
    } else {
      ADD_FAILURE() << "cannot reach the test's own server at " << display;
    }
    std::system(("'" + script + "' stop '" + state + "'").c_str());
  }
}
