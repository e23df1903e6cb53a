// What the end-to-end tests share: running a program on a display, waiting with deadlines,
// reading the screen, and a scratch folder with pictures the tests draw themselves.
#ifndef E2E_SUPPORT_H
#define E2E_SUPPORT_H

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "process_control.h"
#include "program_rows.h"
#include "screen_reading.h"

void PrintTo(const program_row &row, std::ostream *out); // names the row in test output

// A scratch folder with a test picture in both formats, and the screen of $DISPLAY.
struct e2e_test : ::testing::Test {
  std::string folder;
  x_screen screen{};
  running_program program;
  void SetUp() override;
  void TearDown() override;
};

std::string make_scratch_folder();
void write_file(const std::string &path, const std::string &bytes);
std::string read_file(const std::string &path);
bool ends_with(const std::string &text, const std::string &tail);

// Starts the program NAME from the build (or the one at a path), as start_program does; with
// E2E_LAUNCHER set (Wine), NAME.exe from E2E_PROGRAM_DIR through it; with E2E_EMULATOR set
// (qemu-aarch64-static), NAME from E2E_PROGRAM_DIR, built for another machine, through it.
running_program start_demo(const std::string &name, const std::string &folder,
                           const std::vector<std::string> &args = {},
                           const char *display = nullptr);
bool under_emulation(); // E2E_EMULATOR is set
// How long a test holds a key it taps: E2E_KEY_HOLD_MS, or 5 ms. Wine can miss short taps.
int key_hold_ms();
// The mode a program gives the desktop back when it ends: 1024x768, or under Wine the one Wine
// records as the desktop's, which the command E2E_RECORDED_MODE prints (Wine 8 at times records
// a program's mode there instead, docs/windows.md); 0x0 where that command fails.
video_mode desktop_mode_given_back();

bool mode_is(const x_screen &screen, video_mode mode);
// The status line, on the screen or as read off it, shows this display size (with any pass
// count).
bool status_shows(const x_screen &screen, video_mode size);
bool status_reads(const std::string &line, video_mode size);
// The program's grey covers the whole mode below the picture's rows: no desktop, no other
// window and no stale picture shows anywhere (sampled every 32 pixels, and the last row and
// column).
bool grey_covers(const x_screen &screen, video_mode mode);
const glyph_table &glyphs();

#endif
