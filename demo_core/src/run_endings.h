// The ways a run ends besides Escape: a termination signal, the library ending the process, or
// a failed set-up.
#ifndef RUN_ENDINGS_H
#define RUN_ENDINGS_H

#include <csignal>

// 0 until SIGINT, SIGTERM or SIGHUP arrives, then that signal's number. The loop reads it once
// a pass; a signal handler can share nothing else.
extern volatile std::sig_atomic_t stop_signal;

// The handlers found before a run, so that it can put them back.
struct saved_signals {
  void (*handlers[3])(int);
  void (*broken_pipe)(int);
};

// Turns each termination signal into a stop request, except one that was ignored at start
// (nohup), which stays ignored. A second signal of the same kind ends the process at once.
// A broken pipe is ignored, so that a lost display server ends the run through the exit guard.
void catch_stop_signals(saved_signals &saved);
void release_stop_signals(const saved_signals &saved);
// Ends the process as `signal_number` ends it when nobody catches it, so a shell or a parent
// sees the usual status (128 + n).
[[noreturn]] void end_as_signalled(int signal_number);

// Libraries below ours end the process from inside when the display server refuses a request
// or goes away (Xlib calls exit), and the exit-time shutdown of the library and of the
// graphics driver then hangs or crashes. While armed, such an exit writes `line` to stderr and
// ends the process with status 1 at once, ahead of every exit handler registered before the
// arming: arm it after al_init, and again once the display (and so the driver) is there.
void arm_exit_guard(const char *line);
void disarm_exit_guard();

// Shows a set-up failure's line in a message box and returns once the user has closed it.
// Windows only, where a program started from Explorer has no console.
void show_failure_box(const char *title, const char *line);

#endif
