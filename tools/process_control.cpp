// Programs started with fork and exec, deadlines on a steady clock, and plain test pictures.
#include "process_control.h"

#include <X11/keysym.h>
#include <allegro5/allegro.h>
#include <allegro5/allegro_image.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

running_program start_program(const std::string &path, const std::string &folder,
                              const std::vector<std::string> &args, const char *display,
                              const char *launcher) {
  running_program program;
  std::string base = path.substr(path.rfind('/') + 1);
  program.out_path = folder + "/" + base + ".out";
  program.err_path = folder + "/" + base + ".err";
  std::string command = launcher ? launcher : path;
  std::vector<char *> argv{const_cast<char *>(command.c_str())};
  if (launcher)
    argv.push_back(const_cast<char *>(path.c_str()));
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
    // As a terminal starts it, whatever this process was started with (CI may ignore hang-ups).
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP})
      signal(signal_number, SIG_DFL);
    execvp(command.c_str(), argv.data());
    _exit(127);
  }
  return program;
}

int wait_for_exit(running_program &program, double seconds) {
  int status = -1;
  bool ended = wait_until([&] { return waitpid(program.pid, &status, WNOHANG) == program.pid; },
                          seconds, 0.01);
  if (!ended) {
    kill_program(program);
    status = -1;
  }
  program.pid = -1;
  return status;
}

bool still_running(const running_program &program) {
  return program.pid > 0 && waitpid(program.pid, nullptr, WNOHANG) == 0;
}

void kill_program(running_program &program) {
  if (still_running(program)) {
    kill(program.pid, SIGKILL);
    waitpid(program.pid, nullptr, 0);
  }
  program.pid = -1;
}

int end_with_escape(const x_screen &screen, running_program &program) {
  screen_tap_key(screen, XK_Escape, 150);
  return wait_for_exit(program, 10);
}

double seconds_now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void sleep_seconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool wait_until(const std::function<bool()> &condition, double seconds, double poll) {
  double deadline = seconds_now() + seconds;
  while (!condition()) {
    if (seconds_now() > deadline)
      return false;
    sleep_seconds(poll);
  }
  return true;
}

bool save_plain_picture(const std::string &path, int width, int height, int r, int g, int b) {
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
  al_clear_to_color(al_map_rgb(r, g, b));
  bool saved = al_save_bitmap(path.c_str(), bitmap);
  al_set_target_bitmap(target);
  al_destroy_bitmap(bitmap);
  return saved;
}
