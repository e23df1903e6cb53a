// Starting a program the way a person would, and waiting on it and on the screen with deadlines.
#ifndef PROCESS_CONTROL_H
#define PROCESS_CONTROL_H

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "x_screen.h"

// One started program, with what it wrote to stdout and stderr kept in files.
struct running_program {
  pid_t pid = -1;
  std::string out_path, err_path;
};

// Starts the executable at `path` from `folder` with `args`, through `launcher` (such as Wine,
// for a Windows program) when one is given; its output goes to NAME.out and NAME.err in
// `folder`. `display` overrides $DISPLAY when given.
running_program start_program(const std::string &path, const std::string &folder,
                              const std::vector<std::string> &args = {},
                              const char *display = nullptr, const char *launcher = nullptr);
// Waits for the program to end; returns its wait status, or -1 (after killing it) on timeout.
int wait_for_exit(running_program &program, double seconds);
bool still_running(const running_program &program);
// Ends it at once, if it still runs.
void kill_program(running_program &program);
// Presses Escape, held as long as a person would (the programs poll the keyboard's state for
// it, so a loaded machine must get to see it down), and waits up to 10 s for the program to
// end; returns its wait status, as wait_for_exit does.
int end_with_escape(const x_screen &screen, running_program &program);

// Seconds on a steady clock.
double seconds_now();
// Polls `condition` until it holds or `seconds` have passed.
bool wait_until(const std::function<bool()> &condition, double seconds, double poll = 0.02);
void sleep_seconds(double seconds);

// Saves a width x height picture of one plain colour; the image add-on picks the format by
// the file's extension.
bool save_plain_picture(const std::string &path, int width, int height, int r, int g, int b);

#endif
