// Processes, deadlines, pictures and screen checks for the end-to-end tests.
#include "e2e_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#ifndef PROGRAM_DIR
#error "PROGRAM_DIR names the folder the programs are built into"
#endif

void PrintTo(const program_row &row, std::ostream *out) {
  *out << row.name;
}

void e2e_test::SetUp() {
  ASSERT_TRUE(screen_open(screen, nullptr)) << "no X display at $DISPLAY";
  // Each test starts from the desktop's size and mode, whatever the one before left.
  video_mode desktop = screen_desktop(screen);
  if (desktop.width != 1024 || desktop.height != 768)
    screen_set_desktop(screen, 1024, 768);
  if (!mode_is(screen, {1024, 768}))
    screen_set_mode(screen, 1024, 768);
  // A compositing window manager fades the last program's window out after it ends; until it
  // is gone its status line would pass for the next program's.
  ASSERT_TRUE(wait_until(
      [&] {
        std::string line = read_status_line(screen_grab(screen, 512, 32), glyphs());
        return line.find("Szer") == std::string::npos;
      },
      5))
      << "the last program's window is still on screen";
  folder = make_scratch_folder();
  ASSERT_TRUE(save_test_picture(folder + "/bmp.jpg", 100, 60));
  ASSERT_TRUE(save_test_picture(folder + "/bmp.png", 100, 60));
}

void e2e_test::TearDown() {
  kill_program(program);
  screen_close(screen);
  if (!folder.empty())
    std::system(("rm -rf '" + folder + "'").c_str());
}

std::string make_scratch_folder() {
  char path[] = "/tmp/bounce_e2e_XXXXXX";
  return mkdtemp(path) ? path : "";
}

void write_file(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool ends_with(const std::string &text, const std::string &tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

running_program start_demo(const std::string &name, const std::string &folder,
                           const std::vector<std::string> &args, const char *display) {
  if (name.find('/') != std::string::npos)
    return start_program(name, folder, args, display);
  const char *launcher = std::getenv("E2E_LAUNCHER");
  const char *programs = std::getenv("E2E_PROGRAM_DIR");
  if (launcher)
    return start_program(std::string(programs ? programs : ".") + "/" + name + ".exe", folder, args,
                         display, launcher);
  return start_program(std::string(programs ? programs : PROGRAM_DIR) + "/" + name, folder, args,
                       display, std::getenv("E2E_EMULATOR"));
}

bool under_emulation() {
  return std::getenv("E2E_EMULATOR") != nullptr;
}

int key_hold_ms() {
  const char *hold = std::getenv("E2E_KEY_HOLD_MS");
  return hold ? std::atoi(hold) : 5;
}

video_mode desktop_mode_given_back() {
  const char *command = std::getenv("E2E_RECORDED_MODE");
  if (!command)
    return {1024, 768};
  video_mode mode = {0, 0};
  if (FILE *out = popen(command, "r")) {
    if (std::fscanf(out, "%dx%d", &mode.width, &mode.height) != 2)
      mode = {0, 0};
    pclose(out);
  }
  return mode;
}

bool mode_is(const x_screen &screen, video_mode mode) {
  video_mode now = screen_mode(screen);
  return now.width == mode.width && now.height == mode.height;
}

bool status_shows(const x_screen &screen, video_mode size) {
  return status_reads(read_status_line(screen_grab(screen), glyphs()), size);
}

bool status_reads(const std::string &line, video_mode size) {
  status_reading status = parse_status_line(line);
  return status.read && status.width == size.width && status.height == size.height;
}

bool grey_covers(const x_screen &screen, video_mode mode) {
  const rgb_colour grey = {128, 128, 128};
  screen_image image = screen_grab(screen, mode.width, mode.height);
  if (image.width != mode.width || image.height != mode.height)
    return false;
  auto grey_at = [&](int x, int y) {
    return near_colour(image.pixels[static_cast<size_t>(y) * image.width + x], grey, 8);
  };
  // The picture, at most 60 rows high in the tests, and the status line stay above row 64.
  for (int y = 64; y < mode.height; y += 32)
    for (int x = 0; x < mode.width; x += 32)
      if (!grey_at(x, y) || !grey_at(mode.width - 1, y) || !grey_at(x, mode.height - 1))
        return false;
  return true;
}

const glyph_table &glyphs() {
  static const glyph_table table = builtin_glyphs();
  return table;
}
