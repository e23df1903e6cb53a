// What the benchmark's modes share (the reference loops, the statistics and verdicts, the steps
// of a run), and the modes themselves, each in a file of its own.
#ifndef BENCH_SUPPORT_H
#define BENCH_SUPPORT_H

#include <string>
#include <vector>

#include "process_control.h"
#include "program_rows.h"
#include "screen_reading.h"

// The reference loop built from a program's settings: reference_fit for bounce_fit.
std::string reference_path(const program_row &row);
bool ends_on_escape(const x_screen &screen, running_program &program);

double median(std::vector<double> v);
// "centre (min–max)"; the centre is the median unless given.
std::string spread(const std::vector<double> &v, const char *format, double centre = -1.0);

struct goal {
  const char *text;
  double limit;
  bool at_most; // the ratio must stay at or below the limit, not at or above it
  std::string worst_program;
  double worst = 0.0;
  bool judged = true; // false: shown only, its verdict given by another figure
};

void judge(goal &g, const char *program, double ratio);

// Passes and motion steps a second, time to the first frame and peak memory, against the
// reference loops.
int bench(const x_screen &screen, const glyph_table &glyphs, const std::string &folder, int pairs);
// One program for minutes, switching sizes: its memory steady.
int soak(const x_screen &screen, const glyph_table &glyphs, const std::string &folder,
         const std::string &program_name, int minutes);
// The instructions of a pass, counted by callgrind, against the reference loops.
int count(const x_screen &screen, const std::string &folder, const std::string &only);
// The plain picture every run gives the programs, in pixels.
const int bench_picture_width = 100, bench_picture_height = 60;

// How the switch's programs run: seen in their windows under Xwayland; or the Windows programs
// in `program_dir` through `launcher` (Wine).
struct switch_run {
  bool xwayland;
  const char *launcher;
  std::string program_dir;
};
// The size switch timed, against the reference loops, the bare mode set and SDL2.
int switches(const x_screen &screen, const std::string &folder, int presses, const switch_run &how);

#endif
