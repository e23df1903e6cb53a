// wayland_keys: one virtual keyboard for a Wayland session, pressing keys as a script asks.
// Where the compositor offers virtual keyboards (wlroots' protocol: sway, cage), it gives the
// seat a keyboard with a whole keymap (the layouts named, as a person's keyboard has them) for
// as long as it runs, so a native client gets that keymap once and every key after it; under
// KWin it presses keys through KWin's fake input, on KWin's own keyboard and keymap (whose
// first layout must be the first one named). Commands come one a line on stdin, and each is
// answered "ok" once done:
//   KEYSYM HOLD_MS [LAYOUT]   press the key that types KEYSYM (an xkb name: q, Escape) in
//                    LAYOUT (0, the first, by default) and release it HOLD_MS later
//   group N          lock layout N, as a layout switcher does (virtual keyboards only)
//   layouts LAYOUTS  a new keymap of those layouts, sent anew (virtual keyboards only)
// Usage: wayland_keys LAYOUTS   (xkb layouts, "us" or "us,fr")
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

// The virtual keyboard protocol (wlroots' zwp_virtual_keyboard_unstable_v1) and KWin's fake
// input (org_kde_kwin_fake_input, version 4), as wayland-scanner would describe them: Debian
// ships no XML of the first, and the second's is in a package of KDE's build tools.
extern "C" {
extern const wl_interface zwp_virtual_keyboard_v1_interface;
static const wl_interface *manager_create_types[] = {&wl_seat_interface,
                                                     &zwp_virtual_keyboard_v1_interface};
static const wl_interface *no_types[] = {nullptr, nullptr, nullptr, nullptr};
static const wl_message manager_requests[] = {
    {"create_virtual_keyboard", "on", manager_create_types}};
const wl_interface zwp_virtual_keyboard_manager_v1_interface = {
    "zwp_virtual_keyboard_manager_v1", 1, 1, manager_requests, 0, nullptr};
static const wl_message keyboard_requests[] = {{"keymap", "uhu", no_types},
                                               {"key", "uuu", no_types},
                                               {"modifiers", "uuuu", no_types},
                                               {"destroy", "", no_types}};
const wl_interface zwp_virtual_keyboard_v1_interface = {"zwp_virtual_keyboard_v1", 1, 4,
                                                        keyboard_requests,         0, nullptr};
static const wl_message fake_input_requests[] = {
    {"authenticate", "ss", no_types}, {"pointer_motion", "ff", no_types},
    {"button", "uu", no_types},       {"axis", "uf", no_types},
    {"touch_down", "2uff", no_types}, {"touch_motion", "2uff", no_types},
    {"touch_up", "2u", no_types},     {"touch_cancel", "2", no_types},
    {"touch_frame", "2", no_types},   {"pointer_motion_absolute", "3ff", no_types},
    {"keyboard_key", "4uu", no_types}};
const wl_interface org_kde_kwin_fake_input_interface = {"org_kde_kwin_fake_input", 4, 11,
                                                        fake_input_requests,       0, nullptr};
}

namespace {
enum { request_keymap, request_key, request_modifiers };
enum { request_authenticate = 0, request_keyboard_key = 10 };

struct session {
  wl_seat *seat;
  wl_proxy *manager;
  wl_proxy *fake_input;
};

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version) {
  auto *s = static_cast<session *>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !s->seat)
    s->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
    s->manager = static_cast<wl_proxy *>(
        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    s->fake_input = static_cast<wl_proxy *>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registry_listener = {on_global, on_global_remove};

uint32_t now_ms() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The keycode (evdev + 8) whose first level in `layout` is `keysym`, or 0.
xkb_keycode_t keycode_of(xkb_keymap *keymap, xkb_keysym_t keysym, xkb_layout_index_t layout) {
  for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap);
       key++) {
    const xkb_keysym_t *syms;
    if (xkb_keymap_key_get_syms_by_level(keymap, key, layout, 0, &syms) == 1 && syms[0] == keysym)
      return key;
  }
  return 0;
}

xkb_keymap *compile_keymap(xkb_context *context, const char *layouts) {
  xkb_rule_names names{};
  names.layout = layouts;
  return context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)
                 : nullptr;
}

// Hands the keymap's text to the compositor in a file of its own.
bool send_keymap(wl_display *display, wl_proxy *keyboard, xkb_keymap *keymap) {
  char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
  if (!text)
    return false;
  size_t size = std::strlen(text) + 1;
  FILE *file = std::tmpfile();
  bool written = file && std::fwrite(text, 1, size, file) == size && std::fflush(file) == 0;
  std::free(text);
  if (!written)
    return false;
  wl_proxy_marshal(keyboard, request_keymap, XKB_KEYMAP_FORMAT_TEXT_V1, fileno(file),
                   static_cast<uint32_t>(size));
  bool sent = wl_display_roundtrip(display) >= 0;
  std::fclose(file);
  return sent;
}
} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wayland_keys LAYOUTS\n");
    return 2;
  }
  wl_display *display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "wayland_keys: no Wayland compositor to connect to\n");
    return 1;
  }
  session s{};
  wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &s);
  wl_display_roundtrip(display);
  if (!s.seat || (!s.manager && !s.fake_input)) {
    std::fprintf(stderr, "wayland_keys: the compositor offers no virtual keyboard\n");
    return 1;
  }
  xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap *keymap = compile_keymap(context, argv[1]);
  if (!keymap) {
    std::fprintf(stderr, "wayland_keys: no keymap for the layouts \"%s\"\n", argv[1]);
    return 1;
  }
  wl_proxy *keyboard = nullptr;
  if (s.manager) {
    keyboard = wl_proxy_marshal_constructor(s.manager, 0, &zwp_virtual_keyboard_v1_interface,
                                            s.seat, nullptr);
    if (!send_keymap(display, keyboard, keymap)) {
      std::fprintf(stderr, "wayland_keys: the keymap could not be sent\n");
      return 1;
    }
  } else {
    wl_proxy_marshal(s.fake_input, request_authenticate, "bounce-demos tests", "pressing keys");
  }
  // Either way a key is its evdev code, with its state.
  auto key_event = [&](uint32_t code, uint32_t pressed) {
    if (keyboard)
      wl_proxy_marshal(keyboard, request_key, now_ms(), code, pressed);
    else
      wl_proxy_marshal(s.fake_input, request_keyboard_key, code, pressed);
  };
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string name, argument;
    if (!(words >> name >> argument))
      continue;
    if ((name == "group" || name == "layouts") && !keyboard) {
      std::cout << "no " << name << std::endl;
      continue;
    }
    if (name == "group") {
      wl_proxy_marshal(keyboard, request_modifiers, 0u, 0u, 0u,
                       static_cast<uint32_t>(std::strtoul(argument.c_str(), nullptr, 10)));
    } else if (name == "layouts") {
      xkb_keymap *next = compile_keymap(context, argument.c_str());
      if (!next || !send_keymap(display, keyboard, next)) {
        std::cout << "no keymap for " << argument << std::endl;
        continue;
      }
      xkb_keymap_unref(keymap);
      keymap = next;
    } else {
      long hold = std::strtol(argument.c_str(), nullptr, 10);
      unsigned layout = 0;
      words >> layout;
      xkb_keycode_t key =
          keycode_of(keymap, xkb_keysym_from_name(name.c_str(), XKB_KEYSYM_NO_FLAGS), layout);
      if (key == 0) {
        std::cout << "no key " << name << std::endl;
        continue;
      }
      key_event(key - 8, 1u);
      wl_display_flush(display);
      std::this_thread::sleep_for(std::chrono::milliseconds(hold));
      key_event(key - 8, 0u);
    }
    if (wl_display_roundtrip(display) < 0) {
      std::fprintf(stderr, "wayland_keys: lost the compositor\n");
      return 1;
    }
    std::cout << "ok" << std::endl;
  }
  return 0;
}
