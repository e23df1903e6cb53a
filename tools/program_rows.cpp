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

bool save_test_picture(const std::string &path, int width, int height) {
  return save_plain_picture(path, width, height, picture_colour.r, picture_colour.g,
                            picture_colour.b);
}
