// Colour runs and the status line's glyphs, read off a screen grab.
#include "screen_reading.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <cstdio>
#include <cstdlib>

bool near_colour(uint32_t pixel, rgb_colour colour, int tolerance) {
  int r = pixel >> 16 & 0xff, g = pixel >> 8 & 0xff, b = pixel & 0xff;
  return std::abs(r - colour.r) <= tolerance && std::abs(g - colour.g) <= tolerance &&
         std::abs(b - colour.b) <= tolerance;
}

column_run find_colour_run(const screen_image &image, int row, rgb_colour colour, int tolerance) {
  column_run run{-1, -1};
  if (row < 0 || row >= image.height)
    return run;
  for (int x = 0; x < image.width; x++) {
    if (near_colour(image.pixels[static_cast<size_t>(row) * image.width + x], colour, tolerance)) {
      if (run.left < 0)
        run.left = x;
      run.right = x;
    }
  }
  return run;
}

glyph_table builtin_glyphs() {
  glyph_table table;
  if (!al_is_system_installed() && !al_init())
    return table;
  if (!al_is_font_addon_initialized())
    al_init_font_addon();
  int flags = al_get_new_bitmap_flags();
  al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
  ALLEGRO_FONT *font = al_create_builtin_font();
  ALLEGRO_BITMAP *cell = al_create_bitmap(8, 8);
  ALLEGRO_BITMAP *target = al_get_target_bitmap();
  al_set_target_bitmap(cell);
  for (int c = 32; c < 127; c++) {
    al_clear_to_color(al_map_rgba(0, 0, 0, 0));
    al_draw_glyph(font, al_map_rgb(255, 255, 255), 0, 0, c);
    std::vector<uint8_t> rows(8);
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++)
        if (al_get_pixel(cell, x, y).a > 0.5f)
          rows[y] |= static_cast<uint8_t>(0x80 >> x);
    table.characters.push_back(static_cast<char>(c));
    table.rows.push_back(rows);
  }
  al_set_target_bitmap(target);
  al_destroy_bitmap(cell);
  al_destroy_font(font);
  al_set_new_bitmap_flags(flags);
  return table;
}

std::string read_status_line(const screen_image &image, const glyph_table &glyphs) {
  const rgb_colour yellow = {255, 255, 0};
  std::string text;
  for (int left = 6; left + 16 <= 6 + 500 && left + 16 <= image.width; left += 16) {
    std::vector<uint8_t> rows(8);
    for (int y = 0; y < 8 && 6 + 2 * y < image.height; y++)
      for (int x = 0; x < 8; x++)
        if (near_colour(image.pixels[static_cast<size_t>(6 + 2 * y) * image.width + left + 2 * x],
                        yellow, 60))
          rows[y] |= static_cast<uint8_t>(0x80 >> x);
    char found = '?';
    for (size_t g = 0; g < glyphs.rows.size(); g++)
      if (glyphs.rows[g] == rows)
        found = glyphs.characters[g];
    text += found;
  }
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

status_reading parse_status_line(const std::string &text) {
  status_reading r{false, 0, 0, 0};
  if (std::sscanf(text.c_str(), "FPS-%d Szer-%d Wys-%d", &r.passes, &r.width, &r.height) != 3)
    return r;
  // Printed back the way the programs print it, it must be the same text, padding and all.
  char again[64];
  std::snprintf(again, sizeof again, "FPS-%7d Szer-%4d Wys-%4d", r.passes, r.width, r.height);
  r.read = text == again;
  return r;
}
