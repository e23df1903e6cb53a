// Set-up that cannot succeed: a bad picture, no X server, an X server without the start mode.
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "e2e_support.h"

namespace {
// Runs the program to its end and checks: exit status 1, its one line last on stderr (a
// library may print its own first, where `library_prints` says so), nothing on stdout.
void expect_clean_failure(running_program &program, const std::string &folder,
                          const std::string &name, const std::string &message,
                          bool library_prints = false) {
  int status = wait_for_exit(program, 5);
  EXPECT_TRUE(WIFEXITED(status)) << name << ": wait status " << status << " (signal or hang)";
  EXPECT_EQ(WEXITSTATUS(status), 1) << name;
  std::string line = name + ": " + message + "\n", err = read_file(folder + "/" + name + ".err");
  if (library_prints)
    EXPECT_TRUE(ends_with(err, line)) << err;
  else
    EXPECT_EQ(err, line);
  EXPECT_EQ(read_file(folder + "/" + name + ".out"), "");
}

// PNG's chunk checksum, so a forged header still reaches the decoder's size check.
uint32_t png_crc(const std::string &bytes) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; bit++)
      crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string big_endian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A few hundred bytes whose header claims a 16000 x 16000 picture.
std::string huge_png_header() {
  std::string ihdr = "IHDR" + big_endian(16000) + big_endian(16000) + "\x08\x06\x00\x00\x00";
  std::string idat = "IDAT" + std::string(300, '\x5a');
  return "\x89PNG\r\n\x1a\n" + big_endian(13) + ihdr + big_endian(png_crc(ihdr)) + big_endian(300) +
         idat + big_endian(png_crc(idat));
}

// A display number no server answers on.
std::string unused_display() {
  for (int n = 90; n < 200; n++)
    if (access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) != 0 &&
        access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) != 0)
      return ":" + std::to_string(n);
  return ":199";
}

// Starts Xvfb at 1024x768 on a free display; returns the display's name, or "" (with `pid`
// reaped) if the server did not come up.
std::string start_xvfb(pid_t &pid) {
  int fds[2];
  if (pipe(fds) != 0)
    return "";
  pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset", static_cast<char *>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // The server writes the number and its newline in two writes, and dies if the second finds
  // the pipe closed: read up to the newline.
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n')
    number += c;
  close(fds[0]);
  if (number.empty())
    waitpid(pid, nullptr, 0);
  return number.empty() ? "" : ":" + number;
}
} // namespace

TEST_F(e2e_test, missing_empty_garbage_truncated_or_corrupt_picture_fails_cleanly) {
  // The build's own pictures, large enough that half of each is inside the picture data.
  const std::string png = read_file(PROGRAM_DIR "/bmp.png"),
                    jpeg = read_file(PROGRAM_DIR "/bmp.jpg");
  std::string bad_checksum = png;
  bad_checksum[bad_checksum.size() * 3 / 4] ^= 0x55;
  struct bad_picture {
    const char *program, *file;
    bool exists;
    std::string bytes;
    bool library_prints; // the JPEG decoder warns of a premature end before failing
  };
  const bad_picture cases[] = {
      {"bounce_800", "bmp.jpg", false, "", false},
      {"bounce_800", "bmp.jpg", true, "", false},
      {"bounce_800", "bmp.jpg", true, "not a picture at all \x01\x02\x03\xff\xfe", false},
      {"bounce_fit", "bmp.png", false, "", false},
      {"bounce_fit", "bmp.png", true, "", false},
      {"bounce_fit", "bmp.png", true, "\x89PNG but then nothing that a PNG has", false},
      // The decoder is chosen by content, so each kind fails the same under either name.
      {"bounce_fit", "bmp.png", true, png.substr(0, png.size() / 2), false},
      {"bounce_800", "bmp.jpg", true, png.substr(0, png.size() / 2), false},
      {"bounce_fit", "bmp.png", true, bad_checksum, false},
      {"bounce_800", "bmp.jpg", true, huge_png_header(), false},
      {"bounce_800", "bmp.jpg", true, jpeg.substr(0, jpeg.size() / 2), true},
      {"bounce_fit", "bmp.png", true, jpeg.substr(0, jpeg.size() / 2), true},
  };
  int row = 0;
  for (const bad_picture &c : cases) {
    SCOPED_TRACE("picture case " + std::to_string(row++));
    std::string path = folder + "/" + c.file;
    unlink(path.c_str());
    if (c.exists)
      write_file(path, c.bytes);
    running_program run = start_demo(c.program, folder);
    expect_clean_failure(run, folder, c.program,
                         std::string("cannot load the picture \"") + c.file +
                             "\" from the current directory",
                         c.library_prints);
    // The display was opened before the picture failed; closing it gave the mode back.
    EXPECT_TRUE(wait_until(
        [&] {
          return mode_is(screen, {1024, 768});
        },
        2))
        << c.program << " left the mode changed";
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
  pid_t xvfb = -1;
  std::string display = start_xvfb(xvfb);
  ASSERT_NE(display, "") << "Xvfb did not start";
  running_program run = start_demo("bounce_800", folder, {}, display.c_str());
  expect_clean_failure(run, folder, "bounce_800", "cannot open a 800x600 fullscreen display");
  x_screen xvfb_screen{};
  EXPECT_TRUE(screen_open(xvfb_screen, display.c_str()));
  if (xvfb_screen.display) {
    EXPECT_TRUE(mode_is(xvfb_screen, {1024, 768}));
  }
  screen_close(xvfb_screen);
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
}
