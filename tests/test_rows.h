// Settings rows and helpers shared by the core's tests.
#ifndef TEST_ROWS_H
#define TEST_ROWS_H

#include <gtest/gtest.h>

#include "demo_core.h"
#include "fake_allegro.h"

// A row like the 800x600 program's: fixed limit 800, no vsync, placed, grey, 10 ms steps.
inline demo_settings row_800() {
  return {"t",  "bmp.jpg",          800,  600,   640, 480,  ALLEGRO_FULLSCREEN, false,
          true, {0.5f, 0.5f, 0.5f}, 0.01, false, 800, false};
}

// Every test starts from a fresh stand-in library.
struct core_test : ::testing::Test {
  void SetUp() override {
    fake_reset();
  }
};

// Holds Escape down from the capture of pass `pass` on, so the loop ends in the pass after.
inline void escape_at(int pass) {
  fake().on_pass = [pass](int p) { fake_set_key(ALLEGRO_KEY_ESCAPE, p >= pass); };
}

#endif
