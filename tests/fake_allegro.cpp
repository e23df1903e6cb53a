// The stand-in's library calls: each records itself, and set-up calls can be made to fail.
#include "fake_allegro.h"

#include <algorithm>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_image.h>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// The library's opaque objects: here just a name, and whether the core has destroyed it.
struct fake_object {
  std::string name;
  bool destroyed = false;
};
struct ALLEGRO_DISPLAY : fake_object {};
struct ALLEGRO_BITMAP : fake_object {};
struct ALLEGRO_FONT : fake_object {};
struct ALLEGRO_EVENT_QUEUE : fake_object {};

namespace {
struct fake_world {
  fake_allegro script;
  ALLEGRO_DISPLAY display;
  ALLEGRO_BITMAP overlay, decoded, image;
  ALLEGRO_FONT font;
  ALLEGRO_EVENT_QUEUE queue;
  ALLEGRO_EVENT_SOURCE keyboard_source, display_source;
  const char *target = "backbuffer";
  int new_bitmap_flags = 0;
};

fake_world &world() {
  static fake_world w;
  return w;
}

std::string format(const char *fmt, ...) {
  char text[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  return text;
}

void record(const std::string &call) {
  fake().calls.push_back(call);
  if (fake().echo_calls)
    std::fprintf(stderr, "%s\n", call.c_str());
  const std::string &exiting = fake().exiting_call;
  if (exiting.empty() || call.compare(0, exiting.size() + 1, exiting + "(") != 0)
    return;
  if (fake().broken_write) {
    // As Xlib's write meets a server that has just gone: SIGPIPE, unless it is ignored.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0) {
      close(ends[1]);
      ssize_t written = write(ends[0], "x", 1);
      (void)written; // fails with EPIPE; the library's report follows
      close(ends[0]);
    }
  }
  // Xlib reports a lost server and exits on every thread that uses the connection.
  for (int i = 1; i < fake().exiting_threads; i++)
    std::thread([i] {
      std::this_thread::sleep_for(std::chrono::milliseconds(5 * i));
      std::fputs("library: connection broken\n", stderr);
      std::exit(1);
    }).detach();
  std::fputs("library: connection broken\n", stderr);
  std::exit(1);
}

const char *kind_of_new_bitmaps() {
  return world().new_bitmap_flags & ALLEGRO_MEMORY_BITMAP ? "memory" : "video";
}

bool succeeds(const char *call) {
  return fake().failing_call != call;
}

template <typename T> T *make(T &object, const char *call, const char *name) {
  if (!succeeds(call))
    return nullptr;
  object.name = name;
  object.destroyed = false;
  return &object;
}

template <typename T> void destroy(const char *call, T *object) {
  record(format("%s(%s)", call, object->name.c_str()));
  EXPECT_FALSE(object->destroyed) << object->name << " destroyed twice";
  object->destroyed = true;
}

std::string text(ALLEGRO_COLOR c) {
  return format("%g,%g,%g,%g", c.r, c.g, c.b, c.a);
}
} // namespace

fake_allegro &fake() {
  return world().script;
}

void fake_reset() {
  world() = fake_world{};
}

void fake_set_key(int keycode, bool down) {
  unsigned int bit = 1u << (keycode % 32);
  unsigned int &word = fake().keys[keycode / 32];
  word = down ? (word | bit) : (word & ~bit);
}

void fake_queue_key(ALLEGRO_EVENT_TYPE type, int keycode) {
  ALLEGRO_EVENT event{};
  event.type = type;
  event.keyboard.keycode = keycode;
  fake().events.push_back(event);
}

void fake_queue_event(ALLEGRO_EVENT_TYPE type) {
  ALLEGRO_EVENT event{};
  event.type = type;
  fake().events.push_back(event);
}

std::vector<std::string> fake_calls(const std::string &prefix) {
  std::vector<std::string> found;
  for (const std::string &call : fake().calls)
    if (call.compare(0, prefix.size(), prefix) == 0)
      found.push_back(call);
  return found;
}

bool al_install_system(int version, int (*atexit_ptr)(void (*)(void))) {
  record(format("al_install_system(%s,%s)", version == ALLEGRO_VERSION_INT ? "version" : "?",
                atexit_ptr == std::atexit ? "atexit" : "?"));
  return succeeds("al_install_system");
}

bool al_init_image_addon() {
  record("al_init_image_addon()");
  return succeeds("al_init_image_addon");
}

bool al_install_keyboard() {
  record("al_install_keyboard()");
  return succeeds("al_install_keyboard");
}

bool al_init_font_addon() {
  record("al_init_font_addon()");
  return succeeds("al_init_font_addon");
}

void al_set_new_display_option(int option, int value, int importance) {
  record(format("al_set_new_display_option(%d,%d,%d)", option, value, importance));
}

void al_set_new_display_flags(int flags) {
  record(format("al_set_new_display_flags(%d)", flags));
}

ALLEGRO_DISPLAY *al_create_display(int w, int h) {
  record(format("al_create_display(%d,%d)", w, h));
  fake().display_width = w;
  fake().display_height = h;
  world().target = "backbuffer";
  return make(world().display, "al_create_display", "display");
}

void al_set_window_position(ALLEGRO_DISPLAY *display, int x, int y) {
  record(format("al_set_window_position(%s,%d,%d)", display->name.c_str(), x, y));
}

int al_get_display_width(ALLEGRO_DISPLAY *) {
  return fake().display_width;
}

int al_get_display_height(ALLEGRO_DISPLAY *) {
  return fake().display_height;
}

bool al_resize_display(ALLEGRO_DISPLAY *display, int w, int h) {
  record(
      format("al_resize_display(%s,%d,%d,target %s)", display->name.c_str(), w, h, world().target));
  if (fake().resize_fails)
    return false;
  fake().display_width = w;
  fake().display_height = h;
  return true;
}

void al_flip_display() {
  record("al_flip_display()");
}

void al_destroy_display(ALLEGRO_DISPLAY *display) {
  destroy("al_destroy_display", display);
}

ALLEGRO_COLOR al_map_rgb_f(float r, float g, float b) {
  return ALLEGRO_COLOR{r, g, b, 1.0f};
}

ALLEGRO_COLOR al_map_rgba_f(float r, float g, float b, float a) {
  return ALLEGRO_COLOR{r, g, b, a};
}

ALLEGRO_COLOR al_map_rgb(unsigned char r, unsigned char g, unsigned char b) {
  return ALLEGRO_COLOR{r / 255.0f, g / 255.0f, b / 255.0f, 1.0f};
}

void al_clear_to_color(ALLEGRO_COLOR color) {
  record(format("al_clear_to_color(%s,%s)", world().target, text(color).c_str()));
}

ALLEGRO_BITMAP *al_create_bitmap(int w, int h) {
  record(format("al_create_bitmap(%d,%d)", w, h));
  return make(world().overlay, "al_create_bitmap", "overlay");
}

int al_get_new_bitmap_flags() {
  return world().new_bitmap_flags;
}

void al_set_new_bitmap_flags(int flags) {
  world().new_bitmap_flags = flags;
}

ALLEGRO_BITMAP *al_load_bitmap(const char *path) {
  record(format("al_load_bitmap(%s,%s)", path, kind_of_new_bitmaps()));
  return make(world().decoded, "al_load_bitmap", "decoded");
}

ALLEGRO_BITMAP *al_clone_bitmap(ALLEGRO_BITMAP *bitmap) {
  record(format("al_clone_bitmap(%s,%s)", bitmap->name.c_str(), kind_of_new_bitmaps()));
  return make(world().image, "al_clone_bitmap", "image");
}

int al_get_bitmap_width(ALLEGRO_BITMAP *) {
  return fake().image_width;
}

void al_set_target_bitmap(ALLEGRO_BITMAP *bitmap) {
  world().target = bitmap ? bitmap->name.c_str() : "none";
  record(format("al_set_target_bitmap(%s)", world().target));
}

void al_set_target_backbuffer(ALLEGRO_DISPLAY *display) {
  record(format("al_set_target_backbuffer(%s)", display->name.c_str()));
  world().target = "backbuffer";
}

void al_draw_bitmap(ALLEGRO_BITMAP *bitmap, float x, float y, int flags) {
  record(
      format("al_draw_bitmap(%s,%s,%g,%g,%d)", world().target, bitmap->name.c_str(), x, y, flags));
}

void al_draw_scaled_bitmap(ALLEGRO_BITMAP *bitmap, float sx, float sy, float sw, float sh, float dx,
                           float dy, float dw, float dh, int flags) {
  record(format("al_draw_scaled_bitmap(%s,%s,%g,%g,%g,%g,%g,%g,%g,%g,%d)", world().target,
                bitmap->name.c_str(), sx, sy, sw, sh, dx, dy, dw, dh, flags));
}

void al_destroy_bitmap(ALLEGRO_BITMAP *bitmap) {
  destroy("al_destroy_bitmap", bitmap);
}

ALLEGRO_FONT *al_create_builtin_font() {
  record("al_create_builtin_font()");
  return make(world().font, "al_create_builtin_font", "font");
}

void al_draw_textf(const ALLEGRO_FONT *font, ALLEGRO_COLOR color, float x, float y, int flags,
                   const char *fmt, ...) {
  char line[256];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(line, sizeof line, fmt, args);
  va_end(args);
  record(format("al_draw_textf(%s,%s,%s,%g,%g,%d,%s)", world().target, font->name.c_str(),
                text(color).c_str(), x, y, flags, line));
}

void al_destroy_font(ALLEGRO_FONT *font) {
  destroy("al_destroy_font", font);
}

ALLEGRO_EVENT_QUEUE *al_create_event_queue() {
  record("al_create_event_queue()");
  return make(world().queue, "al_create_event_queue", "queue");
}

ALLEGRO_EVENT_SOURCE *al_get_keyboard_event_source() {
  return &world().keyboard_source;
}

ALLEGRO_EVENT_SOURCE *al_get_display_event_source(ALLEGRO_DISPLAY *) {
  return &world().display_source;
}

void al_register_event_source(ALLEGRO_EVENT_QUEUE *queue, ALLEGRO_EVENT_SOURCE *source) {
  const char *name = source == &world().keyboard_source  ? "keyboard"
                     : source == &world().display_source ? "display"
                                                         : "?";
  record(format("al_register_event_source(%s,%s)", queue->name.c_str(), name));
}

bool al_get_next_event(ALLEGRO_EVENT_QUEUE *, ALLEGRO_EVENT *event) {
  if (fake().events.empty())
    return false;
  *event = fake().events.front();
  fake().events.pop_front();
  return true;
}

void al_destroy_event_queue(ALLEGRO_EVENT_QUEUE *queue) {
  destroy("al_destroy_event_queue", queue);
}

void al_get_keyboard_state(ALLEGRO_KEYBOARD_STATE *state) {
  fake_allegro &script = fake();
  record("al_get_keyboard_state()");
  script.passes++;
  if (script.on_pass)
    script.on_pass(script.passes);
  if (script.passes >= script.max_passes) {
    ADD_FAILURE() << "the loop was still running after " << script.passes << " passes";
    fake_set_key(ALLEGRO_KEY_ESCAPE, true);
  }
  std::copy(std::begin(script.keys), std::end(script.keys), state->__key_down__internal__);
}

bool al_key_down(const ALLEGRO_KEYBOARD_STATE *state, int keycode) {
  return state->__key_down__internal__[keycode / 32] & (1u << (keycode % 32));
}

double al_get_time() {
  double reading = fake().now;
  fake().now += fake().tick;
  return reading;
}
