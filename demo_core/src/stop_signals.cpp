// The signals of a run: termination turned into a stop request that the main loop sees, a
// broken connection into the library's own report of it.
#include <cstdlib>

#include "run_endings.h"

volatile std::sig_atomic_t stop_signal = 0;

namespace {
#ifdef SIGHUP
const int stop_signals[] = {SIGINT, SIGTERM, SIGHUP};
#else
// Windows has no hang-up signal.
const int stop_signals[] = {SIGINT, SIGTERM};
#endif

extern "C" void on_stop_signal(int signal_number) {
  stop_signal = signal_number;
  // A second one ends the process at once, should the orderly shutdown itself get stuck.
  std::signal(signal_number, SIG_DFL);
}
} // namespace

void catch_stop_signals(saved_signals &saved) {
  stop_signal = 0;
#ifdef SIGPIPE
  // A write to a display server that has gone would kill the process silently; ignored, the
  // write fails and Xlib reports the lost server, which the exit guard sums up in one line.
  saved.broken_pipe = std::signal(SIGPIPE, SIG_IGN);
#endif
  int i = 0;
  for (int signal_number : stop_signals) {
    // Ignore first, so a signal that was ignored is never caught, not even for an instant.
    saved.handlers[i] = std::signal(signal_number, SIG_IGN);
    if (saved.handlers[i] != SIG_IGN)
      std::signal(signal_number, on_stop_signal);
    i++;
  }
}

void release_stop_signals(const saved_signals &saved) {
  int i = 0;
  for (int signal_number : stop_signals)
    std::signal(signal_number, saved.handlers[i++]);
#ifdef SIGPIPE
  std::signal(SIGPIPE, saved.broken_pipe);
#endif
}

void end_as_signalled(int signal_number) {
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
  // Only where the signal's default action does not end the process.
  std::_Exit(128 + signal_number);
}
