// screen_tool: a command-line view of an X screen for scripts and for people.
#include <X11/keysym.h>
#include <allegro5/allegro.h>
#include <allegro5/allegro_image.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen_reading.h"

static int usage() {
  std::fprintf(stderr,
               "usage: screen_tool mode | set-mode WIDTH HEIGHT | status | file-status FILE |\n"
               "                   file-frame FILE WIDTH HEIGHT | grab FILE.png |\n"
               "                   key KEYSYM [HOLD_MS] | close PID\n");
  return 2;
}

// Saves the grab through the image add-on, which picks the format by the file's extension.
static bool save_grab(const screen_image &image, const char *path) {
  if (!al_init() || !al_init_image_addon())
    return false;
  al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
  ALLEGRO_BITMAP *bitmap = al_create_bitmap(image.width, image.height);
  if (!bitmap)
    return false;
  al_set_target_bitmap(bitmap);
  al_lock_bitmap(bitmap, ALLEGRO_PIXEL_FORMAT_ANY, ALLEGRO_LOCK_WRITEONLY);
  for (int y = 0; y < image.height; y++)
    for (int x = 0; x < image.width; x++) {
      uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
      al_put_pixel(x, y, al_map_rgb(p >> 16 & 0xff, p >> 8 & 0xff, p & 0xff));
    }
  al_unlock_bitmap(bitmap);
  bool saved = al_save_bitmap(path, bitmap);
  al_destroy_bitmap(bitmap);
  return saved;
}

// Loads a saved grab (PNG, say) as if it were on the screen.
static bool load_image(const char *path, screen_image &image) {
  if (!al_init() || !al_init_image_addon())
    return false;
  al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
  ALLEGRO_BITMAP *bitmap = al_load_bitmap(path);
  if (!bitmap)
    return false;
  image.width = al_get_bitmap_width(bitmap);
  image.height = al_get_bitmap_height(bitmap);
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; y++)
    for (int x = 0; x < image.width; x++) {
      unsigned char r, g, b;
      al_unmap_rgb(al_get_pixel(bitmap, x, y), &r, &g, &b);
      image.pixels[static_cast<size_t>(y) * image.width + x] =
          static_cast<uint32_t>(r) << 16 | g << 8 | b;
    }
  al_destroy_bitmap(bitmap);
  return true;
}

// Where a monitor shows a mode of another shape, keeping it: the largest rectangle of the
// mode's aspect that fits the grab, in its middle.
struct fitted_frame {
  int left, top, width, height;
};

static fitted_frame fit_frame(const screen_image &image, int width, int height) {
  fitted_frame fit{0, 0, image.width, image.height};
  if (static_cast<long>(image.width) * height > static_cast<long>(image.height) * width)
    fit.width = static_cast<int>(static_cast<long>(image.height) * width / height);
  else
    fit.height = static_cast<int>(static_cast<long>(image.width) * height / width);
  fit.left = (image.width - fit.width) / 2;
  fit.top = (image.height - fit.height) / 2;
  return fit;
}

// The fitted part of a grab of a whole monitor sampled to a display's size, nearest pixel, as
// a monitor scales a mode to its panel.
static screen_image sample_image(const screen_image &image, const fitted_frame &fit, int width,
                                 int height) {
  screen_image sampled{};
  sampled.width = width;
  sampled.height = height;
  sampled.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      int from_x = fit.left + static_cast<int>((x + 0.5) * fit.width / width);
      int from_y = fit.top + static_cast<int>((y + 0.5) * fit.height / height);
      sampled.pixels[static_cast<size_t>(y) * width + x] =
          image.pixels[static_cast<size_t>(from_y) * image.width + from_x];
    }
  return sampled;
}

// Whether every pixel of the grab outside the fitted frame is black: the bands a monitor shows
// around a mode of another shape (none where the shapes agree).
static bool bands_black(const screen_image &image, const fitted_frame &fit) {
  const rgb_colour black = {0, 0, 0};
  for (int y = 0; y < image.height; y++)
    for (int x = 0; x < image.width; x++) {
      bool inside =
          x >= fit.left && x < fit.left + fit.width && y >= fit.top && y < fit.top + fit.height;
      if (!inside && !near_colour(image.pixels[static_cast<size_t>(y) * image.width + x], black, 8))
        return false;
    }
  return true;
}

// What a grab of the monitor shows of a program's frame at a display size: "status WxH, top
// picture|no picture, corner grey|colour" (the size "scaled down" where the monitor is too
// small to show the status line whole), and where the monitor's shape is another than the
// frame's, ", bands black|bands not black". The frame is looked for where a monitor keeping
// its shape shows it, in the middle; the status line read where its top-left corner should be
// says the frame is placed there at that scale; the picture is any colour but the background's
// grey and the status line's yellow on a row just below the status line; the bottom-right
// corner shows the background's grey where the frame reaches it.
static std::string describe_frame(const screen_image &grab, int width, int height) {
  const rgb_colour grey = {128, 128, 128}, yellow = {255, 255, 0};
  fitted_frame fit = fit_frame(grab, width, height);
  screen_image frame = sample_image(grab, fit, width, height);
  status_reading status = parse_status_line(read_status_line(frame, builtin_glyphs()));
  bool picture = false;
  for (int x = 0; x < width; x++) {
    uint32_t pixel = frame.pixels[static_cast<size_t>(40) * width + x];
    picture = picture || (!near_colour(pixel, grey, 12) && !near_colour(pixel, yellow, 12));
  }
  bool corner_grey = near_colour(frame.pixels.back(), grey, 5);
  // Glyphs shown smaller than drawn lose rows and columns: their text cannot be read back.
  char size[32] = "unread";
  if (fit.height < height)
    std::snprintf(size, sizeof size, "scaled down");
  else if (status.read)
    std::snprintf(size, sizeof size, "%dx%d", status.width, status.height);
  std::string bands;
  if (fit.width < grab.width || fit.height < grab.height)
    bands = bands_black(grab, fit) ? ", bands black" : ", bands not black";
  return std::string("status ") + size + (picture ? ", top picture" : ", no picture") +
         (corner_grey ? ", corner grey" : ", corner colour") + bands;
}

int main(int argc, char **argv) {
  if (argc < 2)
    return usage();
  std::string command = argv[1];
  if (command == "file-status" && argc == 3) {
    screen_image image{};
    if (!load_image(argv[2], image))
      return 1;
    std::printf("%s\n", read_status_line(image, builtin_glyphs()).c_str());
    return 0;
  }
  if (command == "file-frame" && argc == 5) {
    screen_image image{};
    int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    // A monitor may show a mode scaled up or down (a 1024x768 one on a 1280x720 output).
    if (!load_image(argv[2], image) || width < 41 || height < 1)
      return 1;
    std::printf("%s\n", describe_frame(image, width, height).c_str());
    return 0;
  }
  x_screen screen{};
  if (!screen_open(screen, nullptr)) {
    std::fprintf(stderr, "screen_tool: cannot reach the X display \"%s\"\n",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    return 1;
  }
  int status = 0;
  if (command == "mode") {
    video_mode mode = screen_mode(screen);
    std::printf("%dx%d\n", mode.width, mode.height);
  } else if (command == "set-mode" && argc == 4) {
    status = screen_set_mode(screen, std::atoi(argv[2]), std::atoi(argv[3])) ? 0 : 1;
  } else if (command == "status") {
    std::printf("%s\n", read_status_line(screen_grab(screen), builtin_glyphs()).c_str());

  } else if (command == "grab" && argc == 3) {
    status = save_grab(screen_grab(screen), argv[2]) ? 0 : 1;
  } else if (command == "key" && argc >= 3) {
    KeySym key = XStringToKeysym(argv[2]);
    if (key == NoSymbol)
      status = usage();
    else
      screen_tap_key(screen, key, argc > 3 ? std::atoi(argv[3]) : 30);
  } else if (command == "close" && argc == 3) {
    std::printf("%d\n", screen_request_close(screen, std::atol(argv[2])));
  } else {
    status = usage();
  }
  screen_close(screen);
  return status;
}
