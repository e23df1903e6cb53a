// bench_runner: on an X display, compares each program with its reference loop (passes and
// motion steps a second, time to first frame, peak memory; the instructions of a pass, counted
// by callgrind; the size switch, timed), or soaks one program for minutes.
// Usage: bench_runner bench [PAIRS] | count [PROGRAM] |
//                     switch [PRESSES [xwayland | LAUNCHER PROGRAM_DIR]] | soak PROGRAM MINUTES
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"

int main(int argc, char **argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "bench" && mode != "count" && mode != "switch" && !(mode == "soak" && argc == 4)) {
    std::fprintf(stderr, "usage: bench_runner bench [PAIRS] | count [PROGRAM] | "
                         "switch [PRESSES [xwayland | LAUNCHER PROGRAM_DIR]] | "
                         "soak PROGRAM MINUTES\n");
    return 2;
  }
  // Every kind of run uses one plain picture, easy to find on the screen, in both formats.
  x_screen screen{};
  char folder[] = "/tmp/bounce_bench_XXXXXX";
  if (!screen_open(screen, nullptr) || !mkdtemp(folder) ||
      !save_test_picture(std::string(folder) + "/bmp.jpg", bench_picture_width,
                         bench_picture_height) ||
      !save_test_picture(std::string(folder) + "/bmp.png", bench_picture_width,
                         bench_picture_height)) {
    std::fprintf(stderr, "bench_runner: no X display, or no scratch folder for the pictures\n");
    return 1;
  }
  glyph_table glyphs = builtin_glyphs();
  int number = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  int status = 0;
  if (mode == "bench")
    status = bench(screen, glyphs, folder, number);
  else if (mode == "count")
    status = count(screen, folder, argc > 2 ? argv[2] : "");
  else if (mode == "switch") {
    switch_run how{argc == 4 && std::string(argv[3]) == "xwayland", nullptr, ""};
    if (argc == 5)
      how = {false, argv[3], argv[4]};
    status = switches(screen, folder, number, how);
  } else
    status = soak(screen, glyphs, folder, argv[2], std::max(1, std::atoi(argv[3])));
  screen_close(screen);
  // What a failed run wrote (the programs' output, callgrind's counts) is kept to be read.
  if (status == 0)
    std::system(("rm -rf " + std::string(folder)).c_str());
  else
    std::fprintf(stderr, "bench_runner: what the run wrote is kept in %s\n", folder);
  return status;
}
