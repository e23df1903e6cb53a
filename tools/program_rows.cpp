// The five programs' sizes and step intervals, and their plain test picture.
#include "program_rows.h"

#include "process_control.h"

const program_row program_rows[5] = {
    {"bounce_fit", {800, 600}, {640, 480}, 0.01},
    {"bounce_800", {800, 600}, {640, 480}, 0.01},
    {"bounce_1024", {1024, 768}, {800, 600}, 0.005},
    {"bounce_vsync", {1024, 768}, {800, 600}, 0.01},
    {"bounce_flash", {1024, 768}, {800, 600}, 0.01},
};

column_run picture_on_top_row(const x_screen &screen, Window window) {
  screen_image top = screen_grab_window(screen, window ? window : screen.root, 0, 1);
  return find_colour_run(top, 0, picture_colour, colour_tolerance);
}

bool save_test_picture(const std::string &path, int width, int height) {
  return save_plain_picture(path, width, height, picture_colour.r, picture_colour.g,
                            picture_colour.b);
}
