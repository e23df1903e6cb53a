// capture_frames: records an X screen at a steady frame rate into numbered PPM files, cropped
// to the current video mode as a monitor would show it, optionally tapping a key on the way.
#include <X11/Xlib.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "x_screen.h"

static bool write_ppm(const std::string &path, const screen_image &image, video_mode mode) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  int width = mode.width < image.width ? mode.width : image.width;
  int height = mode.height < image.height ? mode.height : image.height;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  std::string row(static_cast<size_t>(width) * 3, '\0');
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
      row[3 * x] = static_cast<char>(p >> 16);
      row[3 * x + 1] = static_cast<char>(p >> 8);
      row[3 * x + 2] = static_cast<char>(p);
    }
    std::fwrite(row.data(), 1, row.size(), file);
  }
  return std::fclose(file) == 0;
}

int main(int argc, char **argv) {
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: capture_frames SECONDS FPS FOLDER [TAP_AT_SECONDS KEYSYM]\n");
    return 2;
  }
  double seconds = std::atof(argv[1]), fps = std::atof(argv[2]);
  std::string folder = argv[3];
  double tap_at = argc == 6 ? std::atof(argv[4]) : -1.0;
  KeySym tap_key = argc == 6 ? XStringToKeysym(argv[5]) : NoSymbol;
  x_screen screen{};
  if (seconds <= 0 || fps <= 0 || !screen_open(screen, nullptr)) {
    std::fprintf(stderr, "capture_frames: bad length or frame rate, or no X display\n");
    return 1;
  }
  using clock = std::chrono::steady_clock;
  const clock::time_point start = clock::now();
  const int frames = static_cast<int>(seconds * fps);
  for (int frame = 0; frame < frames; frame++) {
    // Frame k belongs at start + k / fps; a late grab does not shift the frames after it.
    std::this_thread::sleep_until(start + std::chrono::duration_cast<clock::duration>(
                                              std::chrono::duration<double>(frame / fps)));
    if (tap_key != NoSymbol && frame / fps >= tap_at) {
      screen_tap_key(screen, tap_key, 30);
      tap_key = NoSymbol;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%05d.ppm", frame);
    if (!write_ppm(folder + name, screen_grab(screen), screen_mode(screen))) {
      std::fprintf(stderr, "\ncapture_frames: cannot write into \"%s\"\n", folder.c_str());
      return 1;
    }
    if (frame % 5 == 4 || frame + 1 == frames)
      std::fprintf(stderr, "\rrecording: %4.1f of %.1f s, frame %d of %d", (frame + 1) / fps,
                   seconds, frame + 1, frames);
  }
  std::fprintf(stderr, "\n");
  screen_close(screen);
  return 0;
}
