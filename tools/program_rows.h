// The five programs as seen from outside, and the plain picture the tests and the benchmark
// give them: a colour that is easy to find on the screen.
#ifndef PROGRAM_ROWS_H
#define PROGRAM_ROWS_H

#include <string>

#include "screen_reading.h"

struct program_row {
  const char *name;
  video_mode start, alt;
  double step_interval;
};
extern const program_row program_rows[5];

// Easy to tell from the grey, the black and the yellow text.
const rgb_colour picture_colour = {0, 0, 255};
const int colour_tolerance = 40;

// The test picture on the top row of the screen, or of a window (under Xwayland); {-1, -1}
// where it does not show. That row alone: a whole screen takes longer to grab than the 20 ms
// the picture rests at a turn.
column_run picture_on_top_row(const x_screen &screen, Window window = 0);

// The test picture's left edge on row 0, with the moment it was seen.
struct sighting {
  double time;
  int left;
};

// Draws a width x height picture in picture_colour and saves it as `path`.
bool save_test_picture(const std::string &path, int width, int height);

#endif
