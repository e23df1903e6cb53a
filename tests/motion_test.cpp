// The bounce motion: turns at both ends, fixed and fitted limits, and a limit that moves.
#include <algorithm>

#include "demo_loop.h"
#include "test_rows.h"

namespace {
// The positions after each of `steps` motion steps.
std::vector<int> walk(const demo_settings &settings, demo_state &state, int steps) {
  std::vector<int> drawn;
  for (int i = 0; i < steps; i++) {
    step_position(settings, state);
    drawn.push_back(state.x);
  }
  return drawn;
}

std::vector<int> run_of(int from, int to) {
  std::vector<int> values;
  for (int v = from; from <= to ? v <= to : v >= to; v += from <= to ? 1 : -1)
    values.push_back(v);
  return values;
}

demo_settings fitted_row(int display_width, int image_width) {
  demo_settings settings = row_800();
  settings.fit_limit = true;
  settings.fixed_limit = 12345; // must not matter
  fake().display_width = display_width;
  fake().image_width = image_width;
  return settings;
}
} // namespace

TEST_F(core_test, fixed_limit_cycle_draws_far_end_twice_and_zero_once) {
  demo_settings settings = row_800();
  demo_state state{};
  std::vector<int> expected = run_of(1, 799);
  expected.push_back(799);
  for (int v : run_of(798, 0))
    expected.push_back(v);
  EXPECT_EQ(walk(settings, state, 2 * 800 - 1), expected); // one cycle is 2L - 1 steps
  EXPECT_EQ(walk(settings, state, 2), (std::vector<int>{1, 2}));
}

TEST_F(core_test, fixed_limit_ignores_display_size) {
  fake().display_width = 640;
  demo_settings settings = row_800();
  demo_state state{};
  std::vector<int> drawn = walk(settings, state, 1599);
  EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()), 799);
}

struct single_step {
  const char *name;
  int limit; // right-hand limit; a fitted one comes from a display 800 wide
  bool fitted;
  int x;
  bool moving_left;
  int x_after;
  bool moving_left_after;
};

TEST_F(core_test, single_steps_turn_at_both_ends) {
  const single_step cases[] = {
      {"right end turns", 800, false, 799, false, 799, true},
      {"after the turn", 800, false, 799, true, 798, true},
      {"left end turns", 800, false, 1, true, 0, false},
      {"leaves zero", 800, false, 0, false, 1, false},
      {"limit 1 stays at 0", 1, false, 0, false, 0, false},
      {"fitted right end", 100, true, 99, false, 99, true},
      {"beyond a fitted limit turns", 100, true, 150, false, 149, true},
      {"fitted below zero", -100, true, 0, false, -1, false},
  };
  for (const single_step &c : cases) {
    demo_settings settings = c.fitted ? fitted_row(800, 800 - c.limit) : row_800();
    settings.fixed_limit = c.fitted ? 12345 : c.limit;
    demo_state state{};
    state.x = c.x;
    state.moving_left = c.moving_left;
    step_position(settings, state);
    EXPECT_EQ(state.x, c.x_after) << c.name;
    EXPECT_EQ(state.moving_left, c.moving_left_after) << c.name;
  }
}

TEST_F(core_test, fitted_limit_keeps_right_edge_one_pixel_inside) {
  demo_settings settings = fitted_row(800, 300);
  demo_state state{};
  std::vector<int> drawn = walk(settings, state, 2 * 500 - 1);
  EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()), 800 - 300 - 1);
  EXPECT_EQ(drawn.back(), 0);
}

TEST_F(core_test, picture_wider_than_display_settles_at_limit_less_one) {
  for (int image_width : {800, 900}) {
    demo_settings settings = fitted_row(800, image_width);
    demo_state state{};
    int limit = 800 - image_width;
    std::vector<int> drawn = walk(settings, state, 1 - limit + 10);
    EXPECT_EQ(std::vector<int>(drawn.begin(), drawn.begin() + (-limit + 1)), run_of(-1, limit - 1))
        << image_width;
    EXPECT_EQ(drawn.back(), limit - 1) << image_width;
  }
}

TEST_F(core_test, switch_to_narrower_display_turns_and_bounces_under_new_limit) {
  demo_settings settings = fitted_row(800, 300);
  demo_state state{};
  state.x = 450;
  fake().display_width = 640; // new limit 340
  step_position(settings, state);
  EXPECT_EQ(state.x, 449);
  EXPECT_TRUE(state.moving_left);
  std::vector<int> drawn = walk(settings, state, 449 + 2 * 340);
  EXPECT_EQ(drawn[448], 0);
  EXPECT_EQ(*std::max_element(drawn.begin() + 449, drawn.end()), 339);
}
