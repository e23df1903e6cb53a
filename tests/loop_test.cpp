// The main loop: when it ends, when it steps, which events it acts on, and its status deadline.
#include <algorithm>

#include "test_rows.h"

namespace {
// Calls that show a motion step or a size switch, in order.
std::vector<std::string> steps_and_switches() {
  std::vector<std::string> seen;
  for (const std::string &call : fake().calls)
    if (call == "al_flip_display()" || call.rfind("al_resize_display", 0) == 0)
      seen.push_back(call);
  return seen;
}

// The number shown after "FPS-" in each status redraw.
std::vector<int> shown_counts() {
  std::vector<int> counts;
  for (const std::string &call : fake_calls("al_draw_textf"))
    counts.push_back(std::stoi(call.substr(call.find("FPS-") + 4)));
  return counts;
}

// Each pass reads the clock from `times`, one entry per pass.
void clock_per_pass(std::vector<double> times, int escape_pass) {
  fake().on_pass = [times, escape_pass](int p) {
    fake().now = times[p - 1];
    fake_set_key(ALLEGRO_KEY_ESCAPE, p >= escape_pass);
  };
}
} // namespace

TEST_F(core_test, escape_ends_the_loop_one_pass_after_its_capture) {
  escape_at(3);
  fake().tick = 1.0; // every pass makes a step
  EXPECT_EQ(run_demo(row_800()), 0);
  EXPECT_EQ(fake().passes, 3);
  EXPECT_EQ(fake_calls("al_flip_display").size(), 3u); // the capturing pass still steps
  std::vector<std::string> end(fake().calls.end() - 2, fake().calls.end());
  EXPECT_EQ(end,
            (std::vector<std::string>{"al_destroy_bitmap(image)", "al_destroy_display(display)"}));
}

TEST_F(core_test, escape_held_before_start_still_allows_one_pass) {
  fake_set_key(ALLEGRO_KEY_ESCAPE, true);
  EXPECT_EQ(run_demo(row_800()), 0);
  EXPECT_EQ(fake().passes, 1);
}

TEST_F(core_test, an_escape_press_missed_by_the_captures_ends_the_loop_after_its_pass) {
  fake().on_pass = [](int p) {
    if (p == 2) {
      fake_queue_key(ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_Q);
      fake_queue_key(ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_ESCAPE);
      fake_queue_key(ALLEGRO_EVENT_KEY_UP, ALLEGRO_KEY_ESCAPE);
    }
  };
  EXPECT_EQ(run_demo(row_800()), 0);
  EXPECT_EQ(fake().passes, 2);
  EXPECT_EQ(fake_calls("al_resize_display").size(), 1u); // the Q before it still switched
}

TEST_F(core_test, one_step_per_pass_however_late) {
  clock_per_pass({1.0, 2.0, 3.0, 4.0}, 4);
  run_demo(row_800());
  EXPECT_EQ(fake_calls("al_flip_display").size(), 4u);
  std::vector<std::string> positions = fake_calls("al_draw_bitmap");
  EXPECT_EQ(positions.back(), "al_draw_bitmap(backbuffer,image,4,0,0)");
}

TEST_F(core_test, step_is_stamped_with_a_fresh_clock_reading) {
  // Each reading moves the clock by 3 ms: the stamp of the step in pass 1 is 1.003, so pass 2
  // at 1.0115 is too early (it would step if stamped 1.000 or 0.01), and pass 3 at 1.0135 steps.
  fake().tick = 0.003;
  clock_per_pass({1.0, 1.0115, 1.0135}, 3);
  run_demo(row_800());
  EXPECT_EQ(fake().passes, 3);
  EXPECT_EQ(fake_calls("al_flip_display").size(), 2u);
}

TEST_F(core_test, all_queued_q_presses_are_handled_in_one_pass_and_nothing_else) {
  fake().on_pass = [](int p) {
    if (p == 2) {
      fake_queue_key(ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_Q);
      fake_queue_key(ALLEGRO_EVENT_KEY_UP, ALLEGRO_KEY_Q);
      fake_queue_key(ALLEGRO_EVENT_KEY_CHAR, ALLEGRO_KEY_Q);
      fake_queue_event(ALLEGRO_EVENT_DISPLAY_CLOSE);
      fake_queue_key(ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_W);
      fake_queue_key(ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_Q);
    }
    fake_set_key(ALLEGRO_KEY_ESCAPE, p >= 4);
  };
  EXPECT_EQ(run_demo(row_800()), 0);
  EXPECT_EQ(fake().passes, 4); // the close request did not end it
  EXPECT_EQ(fake_calls("al_resize_display"),
            (std::vector<std::string>{"al_resize_display(display,640,480,target none)",
                                      "al_resize_display(display,800,600,target none)"}));
  EXPECT_TRUE(fake().events.empty());
}

TEST_F(core_test, status_deadline_grows_by_one_second_and_catches_up_after_a_stall) {
  struct clock_case {
    const char *name;
    std::vector<double> times; // the clock in each pass; Escape is seen after the last
    std::vector<int> counts;   // the pass count of each status redraw
  };
  const clock_case cases[] = {
      // Redraws at 0.5 (first pass), 1.2, then after the stall at 4.5, 4.6 and 4.7 (deadlines
      // 2.0, 3.0 and 4.0 behind the clock), and at 5.01.
      {"stall", {0.5, 0.7, 0.9, 1.2, 1.5, 4.5, 4.6, 4.7, 4.8, 5.01}, {0, 3, 2, 1, 1, 2}},
      // The deadline starts at 0.0 on the library's clock, not when the loop starts.
      {"set-up over 3 s", {3.5, 3.5, 3.5, 3.5, 3.6, 4.2}, {0, 1, 1, 1, 2}},
  };
  for (const clock_case &c : cases) {
    fake_reset();
    clock_per_pass(c.times, static_cast<int>(c.times.size()));
    run_demo(row_800());
    EXPECT_EQ(shown_counts(), c.counts) << c.name;
  }
}

TEST_F(core_test, first_frame_comes_before_first_status_redraw) {
  escape_at(1);
  run_demo(row_800());
  std::vector<std::string> &calls = fake().calls;
  auto flip = std::find(calls.begin(), calls.end(), "al_flip_display()");
  auto text = std::find_if(calls.begin(), calls.end(),
                           [](const std::string &c) { return c.rfind("al_draw_textf", 0) == 0; });
  ASSERT_NE(flip, calls.end());
  ASSERT_NE(text, calls.end());
  EXPECT_LT(flip, text);
}

TEST_F(core_test, a_size_switch_shows_in_the_next_status_redraw) {
  clock_per_pass({0.5, 0.6, 1.5, 1.6}, 4);
  fake().on_pass = [previous = fake().on_pass](int p) {
    previous(p);
    if (p == 2)
      fake_queue_key(ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_Q);
  };
  run_demo(row_800());
  std::vector<std::string> texts = fake_calls("al_draw_textf");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("FPS-      0 Szer- 800 Wys- 600"), std::string::npos) << texts[0];
  EXPECT_NE(texts[1].find("FPS-      2 Szer- 640 Wys- 480"), std::string::npos) << texts[1];
  EXPECT_EQ(steps_and_switches().size(), 5u);
}
