// Q and Escape on the keyboard layouts users set, the key pressed by its place as a finger
// finds it.
#include <sys/wait.h>

#include <cstdlib>

#include "e2e_support.h"

namespace {
struct layout_row {
  const char *name, *layout;
  int group;             // the group locked, as a layout switcher leaves it
  const char *q_place;   // where the key labelled Q is: the key that types q on a Latin layout
  bool named_by_group_1; // the first group types q there, so every library finds Q there
  const char *a_place;   // where the active Latin group's key labelled A is, which must not
                         // switch (nullptr: none to press)
};

// With a second Latin group active (us,fr with French, us,us(dvorak) with Dvorak), the key
// labelled Q is where the active group types q, not where the first one does.
const layout_row layout_rows[] = {
    {"us", "us", 0, "AD01", true, "AC01"},
    {"de", "de", 0, "AD01", true, "AC01"},
    {"fr", "fr", 0, "AC01", true, "AD01"},
    {"us_ru", "us,ru", 1, "AD01", true, nullptr},
    {"ru", "ru", 0, "AD01", false, nullptr},
    {"ru_us", "ru,us", 0, "AD01", false, nullptr},
    {"gr", "gr", 0, "AD01", false, nullptr},
    {"il", "il", 0, "AD01", false, nullptr},
    {"us_fr", "us,fr", 1, "AC01", false, "AD01"},
    {"us_dvorak", "us,us -variant ,dvorak", 1, "AB02", false, "AC01"},
};

void PrintTo(const layout_row &row, std::ostream *out) {
  *out << row.layout;
}

bool set_layout(const char *layout) {
  return std::system((std::string("setxkbmap -layout ") + layout).c_str()) == 0;
}

struct layout_e2e : e2e_test, ::testing::WithParamInterface<layout_row> {
  void TearDown() override {
    e2e_test::TearDown();
    set_layout("us");
  }
};
} // namespace

// The project's Allegro, and Allegro on Windows, name a key of a non-Latin layout by the
// layout's Latin group or its place, and a key of an active Latin group by what it types there;
// Debian's names it by the first group only, where the key at Q's place is a Cyrillic letter (no
// Allegro key), ';' (Greek) or '/' (Hebrew), and the key labelled Q on French or Dvorak after US
// types a or x.
TEST_P(layout_e2e, the_key_labelled_q_switches_sizes_and_escape_ends) {
  const layout_row &row = GetParam();
#ifdef DEMO_PATCHED_ALLEGRO
  const bool named_by_place = true;
#else
  const bool named_by_place = std::getenv("E2E_LAUNCHER") != nullptr;
#endif
  const video_mode start = {1024, 768}, alt = {800, 600};
  ASSERT_TRUE(set_layout(row.layout)) << "setxkbmap";
  ASSERT_TRUE(screen_lock_group(screen, row.group));
  int q = screen_keycode_at(screen, row.q_place);
  ASSERT_NE(q, 0) << "no key at " << row.q_place;

  program = start_demo("bounce_1024", folder);
  ASSERT_TRUE(wait_until([&] { return status_shows(screen, start); }, 10)) << "status";
  screen_tap_keycode(screen, q, key_hold_ms());
  if (row.named_by_group_1 || named_by_place) {
    EXPECT_TRUE(wait_until([&] { return mode_is(screen, alt); }, 5)) << "first Q";
    EXPECT_TRUE(wait_until([&] { return status_shows(screen, alt); }, 5)) << "status after Q";
    screen_tap_keycode(screen, q, key_hold_ms());
    EXPECT_TRUE(wait_until([&] { return mode_is(screen, start); }, 5)) << "second Q";
    EXPECT_TRUE(wait_until([&] { return status_shows(screen, start); }, 5)) << "status back";
    if (row.a_place) {
      screen_tap_keycode(screen, screen_keycode_at(screen, row.a_place), key_hold_ms());
      sleep_seconds(2);
      EXPECT_TRUE(mode_is(screen, start)) << "the key labelled A switched";
    }
  } else {
    sleep_seconds(2);
    EXPECT_TRUE(mode_is(screen, start)) << "Debian's Allegro now finds Q on " << row.layout;
  }
  int status = end_with_escape(screen, program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

INSTANTIATE_TEST_SUITE_P(layouts, layout_e2e, ::testing::ValuesIn(layout_rows),
                         [](const auto &info) { return std::string(info.param.name); });
