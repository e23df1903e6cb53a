// A scripted stand-in for the library calls the core makes; the tests link it in its place.
#ifndef FAKE_ALLEGRO_H
#define FAKE_ALLEGRO_H

#include <allegro5/allegro.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// What the stand-in records and what a test scripts. The library keeps its state in one
// place for the whole process, and so does its stand-in.
struct fake_allegro {
  std::vector<std::string> calls; // each call with its arguments, e.g. "al_flip_display()"
  double now = 5.0;               // what al_get_time reads...
  double tick = 0.0;              // ...and how far the clock moves after each reading
  std::string failing_call;       // the one set-up call that fails, by name
  std::string exiting_call;       // the call inside which the process exits with status 1,
                                  // as Xlib makes it when the display server refuses or goes
  int exiting_threads = 1;        // how many threads report and exit there, a few ms apart
  bool broken_write = false;      // the exiting call first writes to a connection gone
  bool echo_calls = false;        // also write each call to stderr, for a test in a child process
  bool resize_fails = false;
  int display_width = 0, display_height = 0;           // the display's real size
  int image_width = 320, image_height = 200;           // the picture's, for al_load_bitmap
  std::deque<ALLEGRO_EVENT> events;                    // the queue that al_get_next_event drains
  unsigned int keys[(ALLEGRO_KEY_MAX + 31) / 32] = {}; // keys held down now
  int passes = 0;                                      // keyboard captures, one per pass
  int max_passes = 100000; // a loop still running then is stopped with Escape, and reported
  std::function<void(int pass)> on_pass; // runs at each keyboard capture, passes from 1
};

fake_allegro &fake();
void fake_reset();
void fake_set_key(int keycode, bool down);
void fake_queue_key(ALLEGRO_EVENT_TYPE type, int keycode);
void fake_queue_event(ALLEGRO_EVENT_TYPE type);

// The recorded calls whose text starts with `prefix`.
std::vector<std::string> fake_calls(const std::string &prefix);

#endif
