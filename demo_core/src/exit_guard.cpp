// A process exit from inside the libraries, reported in one line instead of hanging or crashing.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "run_endings.h"

namespace {
// What to write when the process is ended from inside; empty while disarmed. An exit handler
// takes no argument, so the line must wait here.
char guard_line[256];

// How many threads have come into the guard; the first writes the line and ends the process.
std::atomic<int> threads_exiting{0};

// Xlib reports a lost server on each thread that uses the connection (the main thread and
// the library's event thread), and each calls exit. The C library then runs exit handlers on
// both threads at once, each taking the next one from the list: every such thread must find
// a copy of this one first, or it runs another handler and the two crash in the C library.
const int exiting_threads = 4;

extern "C" void on_exit_from_inside() {
  if (guard_line[0] == '\0')
    return;
  // The first thread in ends the process; the others wait for it.
  if (threads_exiting.fetch_add(1) > 0)
    for (;;)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // Each thread reports the lost server before it calls exit. Waiting a moment for the
  // second one keeps the line last, under the library's reports, where it sums them up.
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
  while (threads_exiting.load() < 2 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
