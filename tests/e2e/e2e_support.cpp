// Processes, deadlines, pictures and screen checks for the end-to-end tests.
#include "e2e_support.h"

#include <X11/keysym.h>
#include <allegro5/allegro.h>
#include <allegro5/allegro_image.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef PROGRAM_DIR
#error "PROGRAM_DIR names the folder the programs are built into"
#endif

const program_row program_rows[5] = {
    {"bounce_fit", {800, 600}, {640, 480}, 0.01, "bmp.png"},
    {"bounce_800", {800, 600}, {640, 480}, 0.01, "bmp.jpg"},
    {"bounce_1024", {1024, 768}, {800, 600}, 0.005, "bmp.jpg"},
    {"bounce_vsync", {1024, 768}, {800, 600}, 0.01, "bmp.jpg"},
    {"bounce_flash", {1024, 768}, {800, 600}, 0.01, "bmp.jpg"},
};

void PrintTo(const program_row &row, std::ostream *out) {
  *out << row.name;
}

void e2e_test::SetUp() {
  ASSERT_TRUE(screen_open(screen, nullptr)) << "no X display at $DISPLAY";
  // Each test starts from the desktop's mode, whatever the one before left.
  if (!mode_is(screen, {1024, 768}))
    screen_set_mode(screen, 1024, 768);
  folder = make_scratch_folder();
  ASSERT_TRUE(save_test_picture(folder + "/bmp.jpg", 100, 60));
  ASSERT_TRUE(save_test_picture(folder + "/bmp.png", 100, 60));
}

void e2e_test::TearDown() {
  if (still_running(program)) {
    kill(program.pid, SIGKILL);
    waitpid(program.pid, nullptr, 0);
  }
  screen_close(screen);
  if (!folder.empty())
    std::system(("rm -rf '" + folder + "'").c_str());
}

std::string make_scratch_folder() {
  char path[] = "/tmp/bounce_e2e_XXXXXX";
  return mkdtemp(path) ? path : "";
}

bool save_test_picture(const std::string &path, int width, int height) {
  if (!al_is_system_installed() && !al_init())
    return false;
  if (!al_is_image_addon_initialized())
    al_init_image_addon();
  al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
  ALLEGRO_BITMAP *bitmap = al_create_bitmap(width, height);
  if (!bitmap)
    return false;
  ALLEGRO_BITMAP *target = al_get_target_bitmap();
  al_set_target_bitmap(bitmap);
  al_clear_to_color(al_map_rgb(picture_colour.r, picture_colour.g, picture_colour.b));
  bool saved = al_save_bitmap(path.c_str(), bitmap);
  al_set_target_bitmap(target);
  al_destroy_bitmap(bitmap);
  return saved;
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

running_program start_program(const std::string &name, const std::string &folder,
                              const std::vector<std::string> &args, const char *display) {
  running_program program;
  std::string base = name.substr(name.rfind('/') + 1);
  program.out_path = folder + "/" + base + ".out";
  program.err_path = folder + "/" + base + ".err";
  std::string path =
      name.find('/') == std::string::npos ? std::string(PROGRAM_DIR) + "/" + name : name;
  std::vector<char *> argv{const_cast<char *>(path.c_str())};
  for (const std::string &arg : args)
    argv.push_back(const_cast<char *>(arg.c_str()));
  argv.push_back(nullptr);
  program.pid = fork();
  if (program.pid == 0) {
    int out = open(program.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(program.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || chdir(folder.c_str()) != 0)
      _exit(127);
    dup2(out, 1);
    dup2(err, 2);
    if (display)
      setenv("DISPLAY", display, 1);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  return program;
}

int wait_for_exit(running_program &program, double seconds) {
  int status = -1;
  bool ended = wait_until([&] { return waitpid(program.pid, &status, WNOHANG) == program.pid; },
                          seconds, 0.01);
  if (!ended) {
    kill(program.pid, SIGKILL);
    waitpid(program.pid, nullptr, 0);
    status = -1;
  }
  program.pid = -1;
  return status;
}

bool still_running(const running_program &program) {
  return program.pid > 0 && waitpid(program.pid, nullptr, WNOHANG) == 0;
}

double seconds_now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool wait_until(const std::function<bool()> &condition, double seconds, double poll) {
  double deadline = seconds_now() + seconds;
  while (!condition()) {
    if (seconds_now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::duration<double>(poll));
  }
  return true;
}

bool mode_is(const x_screen &screen, video_mode mode) {
  video_mode now = screen_mode(screen);
  return now.width == mode.width && now.height == mode.height;
}

bool status_shows(const x_screen &screen, video_mode size) {
  std::string text = read_status_line(screen_grab(screen), glyphs());
  char pattern[64];
  std::snprintf(pattern, sizeof pattern, "FPS- *[0-9]+ Szer-%4d Wys-%4d", size.width, size.height);
  return std::regex_match(text, std::regex(pattern));
}

const glyph_table &glyphs() {
  static const glyph_table table = builtin_glyphs();
  return table;
}

void press_escape(const x_screen &screen) {
  screen_tap_key(screen, XK_Escape, 150);
}
