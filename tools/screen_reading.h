// Reading a screen grab: runs of one colour on a row, and the programs' status line.
#ifndef SCREEN_READING_H
#define SCREEN_READING_H

#include <cstdint>
#include <string>
#include <vector>

#include "x_screen.h"

struct rgb_colour {
  int r, g, b;
};

// Whether each channel of `pixel` (0xRRGGBB) is within `tolerance` of `colour`.
bool near_colour(uint32_t pixel, rgb_colour colour, int tolerance);

// The first and last column of `row` in that colour; both -1 where there is none.
struct column_run {
  int left, right;
};
column_run find_colour_run(const screen_image &image, int row, rgb_colour colour, int tolerance);

// The built-in font's 8x8 glyphs, as the font itself draws them, one byte per glyph row.
struct glyph_table {
  std::vector<char> characters;
  std::vector<std::vector<uint8_t>> rows;
};
glyph_table builtin_glyphs();

// The status line's text: its glyphs are drawn in yellow at twice their size from (6, 6), one
// every 16 pixels, across the 500-pixel-wide status area. Unknown glyphs read as '?'.
std::string read_status_line(const screen_image &image, const glyph_table &glyphs);

// The numbers of a status line in its exact form, "FPS-%7d Szer-%4d Wys-%4d"; `read` is false
// for any other text.
struct status_reading {
  bool read;
  int passes, width, height;
};
status_reading parse_status_line(const std::string &text);

#endif
