// Xlib, XTest and XRandR behind the few operations the tests, capture and benchmark need.
#include "x_screen.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <chrono>
#include <cstring>
#include <thread>

bool screen_open(x_screen &screen, const char *name) {
  screen.display = XOpenDisplay(name);
  if (!screen.display)
    return false;
  screen.root = DefaultRootWindow(screen.display);
  return true;
}

void screen_close(x_screen &screen) {
  if (screen.display)
    XCloseDisplay(screen.display);
  screen.display = nullptr;
}

// Shift that brings a channel mask's top bit to bit 7.
static int channel_shift(unsigned long mask) {
  int top = 63;
  while (top > 0 && !(mask & (1ul << top)))
    top--;
  return top - 7;
}

static uint32_t channel(unsigned long value, unsigned long mask, int shift) {
  value &= mask;
  return static_cast<uint32_t>(shift >= 0 ? value >> shift : value << -shift) & 0xff;
}

// A window may go at any moment (a program ending): what is asked of it then fails quietly
// instead of ending this process, as Xlib's own error handler would.
static int ignore_error(Display *, XErrorEvent *) {
  return 0;
}

// Ignores the errors of the requests from here on (those before are handled first); returns
// the handler that restore_errors puts back once the errors of those requests are in.
static XErrorHandler ignore_errors(const x_screen &screen) {
  XSync(screen.display, False);
  return XSetErrorHandler(ignore_error);
}

static void restore_errors(const x_screen &screen, XErrorHandler previous) {
  XSync(screen.display, False);
  XSetErrorHandler(previous);
}

screen_image screen_grab(const x_screen &screen, int width, int height) {
  return screen_grab_window(screen, screen.root, width, height);
}

screen_image screen_grab_window(const x_screen &screen, Window window, int width, int height) {
  XWindowAttributes attributes;
  XErrorHandler previous = ignore_errors(screen);
  if (!XGetWindowAttributes(screen.display, window, &attributes) ||
      attributes.map_state != IsViewable) {
    restore_errors(screen, previous);
    return {0, 0, {}};
  }
  screen_image image{width > 0 && width < attributes.width ? width : attributes.width,
                     height > 0 && height < attributes.height ? height : attributes.height,
                     {}};
  XImage *x_image =
      XGetImage(screen.display, window, 0, 0, image.width, image.height, AllPlanes, ZPixmap);
  restore_errors(screen, previous);
  if (!x_image)
    return {0, 0, {}};
  int r = channel_shift(x_image->red_mask), g = channel_shift(x_image->green_mask),
      b = channel_shift(x_image->blue_mask);
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; y++) {
    for (int x = 0; x < image.width; x++) {
      unsigned long p = XGetPixel(x_image, x, y);
      image.pixels[static_cast<size_t>(y) * image.width + x] =
          channel(p, x_image->red_mask, r) << 16 | channel(p, x_image->green_mask, g) << 8 |
          channel(p, x_image->blue_mask, b);
    }
  }
  XDestroyImage(x_image);
  return image;
}

// The first CRTC that shows a mode, with the resources it belongs to; the caller frees both.
static bool active_crtc(const x_screen &screen, XRRScreenResources *&resources, RRCrtc &crtc,
                        XRRCrtcInfo *&info) {
  resources = XRRGetScreenResourcesCurrent(screen.display, screen.root);
  for (int i = 0; resources && i < resources->ncrtc; i++) {
    info = XRRGetCrtcInfo(screen.display, resources, resources->crtcs[i]);
    if (info && info->mode != None) {
      crtc = resources->crtcs[i];
      return true;
    }
    if (info)
      XRRFreeCrtcInfo(info);
  }
  if (resources)
    XRRFreeScreenResources(resources);
  return false;
}

video_mode screen_mode(const x_screen &screen) {
  XRRScreenResources *resources;
  RRCrtc crtc;
  XRRCrtcInfo *info;
  if (!active_crtc(screen, resources, crtc, info))
    return {0, 0};
  video_mode mode{static_cast<int>(info->width), static_cast<int>(info->height)};
  XRRFreeCrtcInfo(info);
  XRRFreeScreenResources(resources);
  return mode;
}

void screen_watch_modes(const x_screen &screen) {
  XRRSelectInput(screen.display, screen.root, RRCrtcChangeNotifyMask);
  XSync(screen.display, True); // what came before the watch is dropped
}

std::vector<video_mode> screen_modes_seen(const x_screen &screen) {
  std::vector<video_mode> seen;
  int event_base, error_base;
  if (!XRRQueryExtension(screen.display, &event_base, &error_base))
    return seen;
  XSync(screen.display, False);
  while (XPending(screen.display)) {
    XEvent event;
    XNextEvent(screen.display, &event);
    auto *change = reinterpret_cast<XRRCrtcChangeNotifyEvent *>(&event);
    if (event.type == event_base + RRNotify && change->subtype == RRNotify_CrtcChange &&
        change->mode != None)
      seen.push_back({static_cast<int>(change->width), static_cast<int>(change->height)});
  }
  return seen;
}

bool screen_set_mode(const x_screen &screen, int width, int height) {
  XRRScreenResources *resources;
  RRCrtc crtc;
  XRRCrtcInfo *info;
  if (!active_crtc(screen, resources, crtc, info))
    return false;
  RRMode wanted = None;
  for (int i = 0; i < resources->nmode; i++)
    if (static_cast<int>(resources->modes[i].width) == width &&
        static_cast<int>(resources->modes[i].height) == height)
      wanted = resources->modes[i].id;
  bool done = wanted != None &&
              XRRSetCrtcConfig(screen.display, resources, crtc, CurrentTime, info->x, info->y,
                               wanted, info->rotation, info->outputs, info->noutput) == Success;
  XRRFreeCrtcInfo(info);
  XRRFreeScreenResources(resources);
  XSync(screen.display, False);
  return done;
}

video_mode screen_desktop(const x_screen &screen) {
  // Asked of the server: Xlib's own idea of the screen size is only updated by events.
  XWindowAttributes root{};
  XGetWindowAttributes(screen.display, screen.root, &root);
  return {root.width, root.height};
}

bool screen_set_desktop(const x_screen &screen, int width, int height) {
  XRRScreenConfiguration *config = XRRGetScreenInfo(screen.display, screen.root);
  if (!config)
    return false;
  int count = 0;
  XRRScreenSize *sizes = XRRConfigSizes(config, &count);
  Rotation rotation;
  XRRConfigCurrentConfiguration(config, &rotation);
  bool done = false;
  for (int i = 0; i < count && !done; i++)
    if (sizes[i].width == width && sizes[i].height == height)
      done = XRRSetScreenConfig(screen.display, config, screen.root, i, rotation, CurrentTime) ==
             Success;
  XRRFreeScreenConfigInfo(config);
  XSync(screen.display, False);
  return done;
}

screen_point screen_pointer(const x_screen &screen) {
  Window root, child;
  int x = -1, y = -1, window_x, window_y;
  unsigned int buttons;
  XQueryPointer(screen.display, screen.root, &root, &child, &x, &y, &window_x, &window_y, &buttons);
  return {x, y};
}

void screen_move_pointer(const x_screen &screen, int x, int y) {
  XTestFakeMotionEvent(screen.display, -1, x, y, CurrentTime);
  XSync(screen.display, False);
}

void screen_tap_key(const x_screen &screen, KeySym key, int hold_ms) {
  screen_tap_keycode(screen, XKeysymToKeycode(screen.display, key), hold_ms);
}

void screen_press_key(const x_screen &screen, KeySym key, bool down) {
  XTestFakeKeyEvent(screen.display, XKeysymToKeycode(screen.display, key), down, CurrentTime);
  XSync(screen.display, False);
}

void screen_tap_keycode(const x_screen &screen, int keycode, int hold_ms) {
  XTestFakeKeyEvent(screen.display, keycode, True, CurrentTime);
  XSync(screen.display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
  XTestFakeKeyEvent(screen.display, keycode, False, CurrentTime);
  XSync(screen.display, False);
}

int screen_keycode_at(const x_screen &screen, const char *place) {
  XkbDescPtr xkb = XkbGetMap(screen.display, 0, XkbUseCoreKbd);
  if (!xkb)
    return 0;
  int found = 0;
  if (XkbGetNames(screen.display, XkbKeyNamesMask, xkb) == Success && xkb->names &&
      xkb->names->keys)
    for (int code = xkb->min_key_code; code <= xkb->max_key_code && !found; code++)
      if (std::strncmp(xkb->names->keys[code].name, place, XkbKeyNameLength) == 0)
        found = code;
  XkbFreeKeyboard(xkb, XkbAllComponentsMask, True);
  return found;
}

bool screen_lock_group(const x_screen &screen, int group) {
  bool locked = XkbLockGroup(screen.display, XkbUseCoreKbd, group);
  XSync(screen.display, False);
  return locked;
}

static bool takes_delete_window(const x_screen &screen, Window window, Atom delete_window) {
  Atom *protocols = nullptr;
  int count = 0;
  bool takes = false;
  if (XGetWMProtocols(screen.display, window, &protocols, &count)) {
    for (int i = 0; i < count; i++)
      takes = takes || protocols[i] == delete_window;
    XFree(protocols);
  }
  return takes;
}

// What a close request is sent for, with the atoms it needs.
struct close_request {
  long pid;
  Atom net_wm_pid, protocols, delete_window;
};

static bool owned_by(const x_screen &screen, Window window, const close_request &request) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char *value = nullptr;
  bool owned = false;
  if (XGetWindowProperty(screen.display, window, request.net_wm_pid, 0, 1, False, XA_CARDINAL,
                         &type, &format, &count, &after, &value) == Success &&
      value) {
    owned = format == 32 && count == 1 && *reinterpret_cast<long *>(value) == request.pid;
    XFree(value);
  }
  return owned;
}

// Only a window on the screen has a close button: Wine, for one, gives each program hidden
// windows of its own that take the request too.
static bool shown(const x_screen &screen, Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(screen.display, window, &attributes) &&
         attributes.map_state == IsViewable;
}

// The first of `window` and its descendants, `depth` levels down, that belongs to the process
// and is shown.
static Window shown_below(const x_screen &screen, const close_request &request, Window window,
                          int depth) {
  if (owned_by(screen, window, request) && shown(screen, window))
    return window;
  Window root, parent, *children = nullptr, found = 0;
  unsigned int count = 0;
  if (depth > 0 && XQueryTree(screen.display, window, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && !found; i++)
      found = shown_below(screen, request, children[i], depth - 1);
  }
  if (children)
    XFree(children);
  return found;
}

Window screen_window_of(const x_screen &screen, long pid) {
  close_request request = {pid, XInternAtom(screen.display, "_NET_WM_PID", False), None, None};
  XErrorHandler previous = ignore_errors(screen);
  Window found = shown_below(screen, request, screen.root, 3);
  restore_errors(screen, previous);
  return found;
}

video_mode screen_window_size(const x_screen &screen, Window window) {
  XWindowAttributes attributes;
  XErrorHandler previous = ignore_errors(screen);
  bool known = XGetWindowAttributes(screen.display, window, &attributes);
  restore_errors(screen, previous);
  return known ? video_mode{attributes.width, attributes.height} : video_mode{0, 0};
}

// Asks `window` and, below a window manager's frames, its descendants that belong to the process,
// are shown and take the request.
static int request_close_below(const x_screen &screen, const close_request &request, Window window,
                               int depth) {
  if (owned_by(screen, window, request) && shown(screen, window) &&
      takes_delete_window(screen, window, request.delete_window)) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = request.protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(request.delete_window);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(screen.display, window, False, NoEventMask, &event);
    return 1;
  }
  if (depth == 0)
    return 0;
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  int asked = 0;
  if (XQueryTree(screen.display, window, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count; i++)
      asked += request_close_below(screen, request, children[i], depth - 1);
  }
  if (children)
    XFree(children);
  return asked;
}

int screen_request_close(const x_screen &screen, long pid) {
  close_request request = {pid, XInternAtom(screen.display, "_NET_WM_PID", False),
                           XInternAtom(screen.display, "WM_PROTOCOLS", False),
                           XInternAtom(screen.display, "WM_DELETE_WINDOW", False)};
  // Client windows sit below the root at most three levels deep: a window manager's frame and
  // up to two levels within it. A window manager's own windows come and go while they are walked.
  XErrorHandler previous = ignore_errors(screen);
  int asked = request_close_below(screen, request, screen.root, 3);
  restore_errors(screen, previous);
  return asked;
}

Window screen_show_fullscreen_window(const x_screen &screen) {
  video_mode desktop = screen_desktop(screen);
  Window window = XCreateSimpleWindow(screen.display, screen.root, 0, 0, desktop.width,
                                      desktop.height, 0, 0, 0);
  Atom state = XInternAtom(screen.display, "_NET_WM_STATE", False);
  Atom fullscreen = XInternAtom(screen.display, "_NET_WM_STATE_FULLSCREEN", False);
  // Asked before it is mapped, as the library asks it for a fullscreen display.
  XChangeProperty(screen.display, window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char *>(&fullscreen), 1);
  XMapWindow(screen.display, window);
  XSync(screen.display, False);
  return window;
}

void screen_destroy_window(const x_screen &screen, Window window) {
  XDestroyWindow(screen.display, window);
  XSync(screen.display, False);
}

void screen_resize_window(const x_screen &screen, Window window, int width, int height) {
  XResizeWindow(screen.display, window, width, height);
  XSync(screen.display, False);
}
