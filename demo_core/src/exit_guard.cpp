// A process exit from inside the libraries, reported in one line instead of hanging or crashing.
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "run_endings.h"

namespace {
// What to write when the process is ended from inside; empty while disarmed. An exit handler
// takes no argument, so the line must wait here.
char guard_line[256];

std::atomic_flag line_taken = ATOMIC_FLAG_INIT;

// Xlib reports a lost server on each thread that uses the connection (the main thread and
// the library's event thread), and each calls exit. The C library then runs exit handlers on
// both threads at once, each taking the next one from the list: every such thread must find
// a copy of this one first, or it runs another handler and the two crash in the C library.
const int exiting_threads = 4;

extern "C" void on_exit_from_inside() {
  if (guard_line[0] == '\0')
    return;
  // Another thread is writing the line and ending the process: wait the microseconds that
  // takes.
  if (line_taken.test_and_set())
    while (line_taken.test_and_set()) {
    }
  std::fputs(guard_line, stderr);
  std::fflush(stderr);
  // Skips the library's own exit-time shutdown, which would hang on or crash against a
  // display connection that is refusing requests or gone.
  std::_Exit(1);
}
} // namespace

void arm_exit_guard(const char *line) {
  std::snprintf(guard_line, sizeof guard_line, "%s", line);
  // Exit handlers run last registered first: registered anew, the guard runs ahead of those
  // that the library and the graphics driver it loaded have registered since.
  for (int i = 0; i < exiting_threads; i++)
    std::atexit(on_exit_from_inside);
}

void disarm_exit_guard() {
  guard_line[0] = '\0';
}
