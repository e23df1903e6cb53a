// Draws the programs' pictures, a sunset over the sea, as bmp.jpg and bmp.png, and the same
// scene as the menu icon, bounce-demos.png, in each size asked for.
#include <allegro5/allegro.h>
#include <allegro5/allegro_image.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

struct rgb {
  float r, g, b;
};

static rgb mix(rgb a, rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

static float clamp01(float v) {
  return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// The scene at (u, v), both 0 to 1 across the picture: sky, sun, hills and a rippled sea.
static rgb scene(float u, float v) {
  const float horizon = 0.62f, sun_u = 0.68f, sun_v = 0.5f, sun_r = 0.11f;
  const rgb night = {0.10f, 0.08f, 0.30f}, dusk = {0.85f, 0.35f, 0.45f};
  const rgb glow = {1.0f, 0.75f, 0.35f}, sun = {1.0f, 0.93f, 0.6f};
  float du = (u - sun_u) * 1.6f, dv = v - sun_v;
  float d = std::sqrt(du * du + dv * dv);
  if (v < horizon) {
    rgb sky = mix(night, dusk, clamp01(v / horizon));
    sky = mix(sky, glow, clamp01(0.6f - d * 1.5f));
    if (d < sun_r)
      sky = sun;
    float hill = horizon - 0.10f - 0.06f * std::sin(u * 9.0f) - 0.04f * std::sin(u * 23.0f + 1.0f);
    if (v > hill)
      sky = mix({0.16f, 0.10f, 0.22f}, {0.25f, 0.12f, 0.25f}, (v - hill) / (horizon - hill));
    return sky;
  }
  float depth = (v - horizon) / (1.0f - horizon);
  rgb sea = mix({0.35f, 0.20f, 0.40f}, {0.05f, 0.10f, 0.25f}, depth);
  // The sun's path on the water: broken bright stripes that widen towards the viewer.
  float ripple = std::sin(v * 140.0f + std::sin(u * 40.0f) * 2.0f);
  float path = clamp01(1.0f - std::fabs(u - sun_u) / (0.05f + 0.15f * depth));
  if (ripple > 0.3f)
    sea = mix(sea, glow, path * 0.8f);
  return sea;
}

// Fills a memory bitmap with the scene; corners of `radius` pixels fade out to transparent.
static bool save_picture(const std::string &path, int w, int h, float radius) {
  al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
  ALLEGRO_BITMAP *bitmap = al_create_bitmap(w, h);
  if (!bitmap)
    return false;
  al_set_target_bitmap(bitmap);
  al_lock_bitmap(bitmap, ALLEGRO_PIXEL_FORMAT_ANY, ALLEGRO_LOCK_WRITEONLY);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      rgb c = scene((x + 0.5f) / w, (y + 0.5f) / h);
      float alpha = 1.0f;
      if (radius > 0.0f) {
        float cx = std::fmax(std::fmax(radius - x, x + 1 - (w - radius)), 0.0f);
        float cy = std::fmax(std::fmax(radius - y, y + 1 - (h - radius)), 0.0f);
        alpha = clamp01(radius - std::sqrt(cx * cx + cy * cy) + 0.5f);
      }
      // Straight alpha, as PNG keeps it; the loader premultiplies it for drawing.
      al_put_pixel(x, y, al_map_rgba_f(c.r, c.g, c.b, alpha));
    }
  }
  al_unlock_bitmap(bitmap);
  bool saved = al_save_bitmap(path.c_str(), bitmap);
  al_destroy_bitmap(bitmap);
  return saved;
}

// Usage: make_pictures FOLDER [ICON_FOLDER ICON_SIZE ...]: the pictures into FOLDER, and an
// icon of each size into ICON_FOLDER/SIZExSIZE/.
int main(int argc, char **argv) {
  std::string folder = argc > 1 ? std::string(argv[1]) + "/" : "";
  if (!al_init() || !al_init_image_addon()) {
    std::fprintf(stderr, "make_pictures: cannot initialise the Allegro library\n");
    return 1;
  }
  bool saved = save_picture(folder + "bmp.jpg", 320, 200, 0.0f) &&
               save_picture(folder + "bmp.png", 256, 160, 24.0f);
  for (int i = 3; saved && i < argc; i++) {
    int size = std::atoi(argv[i]);
    std::string icons = std::string(argv[2]) + "/" + argv[i] + "x" + argv[i];
    saved = size > 0 && al_make_directory(icons.c_str()) &&
            save_picture(icons + "/bounce-demos.png", size, size, size / 6.0f);
  }
  if (!saved) {
    std::fprintf(stderr, "make_pictures: cannot write the pictures into \"%s\"\n",
                 folder.empty() ? "." : folder.c_str());
    return 1;
  }
  return 0;
}
