// How a run ends besides Escape: termination signals, and the libraries ending the process.
#include <csignal>
#include <cstdlib>

#include "test_rows.h"

namespace {
// The clock stands still at 0.5 s: the first pass steps and redraws the status line, every
// later pass makes no library call at all besides capturing the keyboard.
void quiet_passes_with(const std::function<void(int pass)> &at_pass) {
  fake().now = 0.5;
  fake().on_pass = at_pass;
}

// Everything the run calls from the moment `signal_number` arrives in pass 2 goes to stderr.
void signal_in_second_pass(int signal_number) {
  quiet_passes_with([signal_number](int p) {
    if (p == 2) {
      fake().echo_calls = true;
      std::raise(signal_number);
    }
    fake_set_key(ALLEGRO_KEY_ESCAPE, p >= 5); // too late, unless the signal went unseen
  });
}
} // namespace

using core_death_test = core_test;

TEST_F(core_death_test, a_termination_signal_ends_the_loop_through_the_shutdown_and_then_kills) {
  // The pass that caught it finishes; the next one does not start, and nothing is called but
  // the shutdown's two destroys. The process then dies of that same signal.
  const char *after_signal = "^al_destroy_bitmap\\(image\\)\nal_destroy_display\\(display\\)\n$";
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    EXPECT_EXIT(
        {
          signal_in_second_pass(signal_number);
          run_demo(row_800());
        },
        testing::KilledBySignal(signal_number), after_signal)
        << "signal " << signal_number;
  }
}

TEST_F(core_test, an_ignored_signal_stays_ignored_and_the_others_are_given_back) {
  std::signal(SIGHUP, SIG_IGN); // as under nohup
  quiet_passes_with([](int p) {
    if (p == 2)
      std::raise(SIGHUP);
    fake_set_key(ALLEGRO_KEY_ESCAPE, p >= 4);
  });
  EXPECT_EQ(run_demo(row_800()), 0);
  EXPECT_EQ(fake().passes, 4) << "the ignored hang-up ended the loop";
  EXPECT_EQ(std::signal(SIGHUP, SIG_DFL), SIG_IGN);
  EXPECT_EQ(std::signal(SIGTERM, SIG_DFL), SIG_DFL) << "the run left its handler behind";
  EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);
  EXPECT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_DFL);
}

TEST_F(core_death_test, an_exit_from_inside_the_library_says_what_failed_and_ends_at_once) {
  struct exit_case {
    const char *exiting_call; // where the library ends the process
    int threads;              // how many threads report and exit
    bool writes_first;        // the server went while a request was on its way
    const char *stderr_text;
  };
  const exit_case cases[] = {
      // The server refuses the start mode while the display opens.
      {"al_create_display", 1, false,
       "^library: connection broken\nt: cannot open a 800x600 fullscreen display\n$"},
      // The server goes away later in set-up, in the loop or during shutdown: the line comes
      // last, after every thread's own report.
      {"al_create_builtin_font", 2, false,
       "^(library: connection broken\n){2}t: lost the connection to the display\n$"},
      {"al_flip_display", 2, false,
       "^(library: connection broken\n){2}t: lost the connection to the display\n$"},
      {"al_flip_display", 2, true,
       "^(library: connection broken\n){2}t: lost the connection to the display\n$"},
      {"al_destroy_display", 1, false,
       "^library: connection broken\nt: lost the connection to the display\n$"},
  };
  for (const exit_case &c : cases) {
    EXPECT_EXIT(
        {
          escape_at(3);
          fake().exiting_call = c.exiting_call;
          fake().exiting_threads = c.threads;
          fake().broken_write = c.writes_first;
          run_demo(row_800());
        },
        testing::ExitedWithCode(1), c.stderr_text)
        << c.exiting_call << (c.writes_first ? " after a write" : "");
  }
}

TEST_F(core_death_test, the_process_exit_after_a_run_is_left_alone) {
  // After Escape, and after a failed set-up has said its own line, exit works as usual.
  EXPECT_EXIT(
      {
        escape_at(2);
        std::exit(run_demo(row_800()));
      },
      testing::ExitedWithCode(0), "^$");
  EXPECT_EXIT(
      {
        fake().failing_call = "al_load_bitmap";
        std::exit(run_demo(row_800()) + 1);
      },
      testing::ExitedWithCode(2), "^t: cannot load the picture \"bmp.jpg\"[^\n]*\n$");
}
