// Set-up that cannot succeed: a bad picture, no X server, an X server without the start mode.
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "e2e_support.h"

namespace {
// Runs the program to its end and checks: exit status 1, the one line, nothing on stdout.
void expect_clean_failure(running_program &program, const std::string &folder,
                          const std::string &name, const std::string &message) {
  int status = wait_for_exit(program, 15);
  EXPECT_TRUE(WIFEXITED(status)) << name << ": wait status " << status << " (signal or hang)";
  EXPECT_EQ(WEXITSTATUS(status), 1) << name;
  EXPECT_EQ(read_file(folder + "/" + name + ".err"), name + ": " + message + "\n");
  EXPECT_EQ(read_file(folder + "/" + name + ".out"), "");
}

// A display number no server answers on.
std::string unused_display() {
  for (int n = 90; n < 200; n++)
    if (access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) != 0 &&
        access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) != 0)
      return ":" + std::to_string(n);
  return ":199";
}
} // namespace

TEST_F(e2e_test, missing_empty_or_garbage_picture_fails_cleanly) {
  struct bad_picture {
    const char *program, *file;
    const char *bytes; // null: no file at all
  };
  const bad_picture cases[] = {
      {"bounce_800", "bmp.jpg", nullptr},
      {"bounce_800", "bmp.jpg", ""},
      {"bounce_800", "bmp.jpg", "not a picture at all \x01\x02\x03\xff\xfe"},
      {"bounce_fit", "bmp.png", nullptr},
      {"bounce_fit", "bmp.png", ""},
      {"bounce_fit", "bmp.png", "\x89PNG but then nothing that a PNG has"},
  };
  for (const bad_picture &c : cases) {
    std::string path = folder + "/" + c.file;
    unlink(path.c_str());
    if (c.bytes)
      write_file(path, c.bytes);
    running_program run = start_demo(c.program, folder);
    expect_clean_failure(run, folder, c.program,
                         std::string("cannot load the picture \"") + c.file +
                             "\" from the current directory");
    // The display was opened before the picture failed; closing it gave the mode back.
    EXPECT_TRUE(mode_is(screen, {1024, 768})) << c.program << " left the mode changed";
  }
}

TEST_F(e2e_test, no_reachable_x_server_fails_cleanly) {
  std::string display = unused_display();
  for (const program_row &row : program_rows) {
    running_program run = start_demo(row.name, folder, {}, display.c_str());
    char message[64];
    std::snprintf(message, sizeof message, "cannot open a %dx%d fullscreen display",
                  row.start.width, row.start.height);
    expect_clean_failure(run, folder, row.name, message);
  }
}

TEST_F(e2e_test, x_server_without_the_start_mode_fails_cleanly) {
  // Xvfb has one fixed mode, 1024x768, so the 800x600 program cannot open its display.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t xvfb = fork();
  if (xvfb == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset", static_cast<char *>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[16] = {};
  ssize_t got = read(fds[0], number, sizeof number - 1);
  close(fds[0]);
  ASSERT_GT(got, 0) << "Xvfb did not start";
  std::string display = ":" + std::string(number, std::strcspn(number, "\n"));

  running_program run = start_demo("bounce_800", folder, {}, display.c_str());
  expect_clean_failure(run, folder, "bounce_800", "cannot open a 800x600 fullscreen display");
  x_screen xvfb_screen{};
  EXPECT_TRUE(screen_open(xvfb_screen, display.c_str()));
  EXPECT_TRUE(mode_is(xvfb_screen, {1024, 768}));
  screen_close(xvfb_screen);
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
}
