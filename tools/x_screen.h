// A connection to an X server seen as a person sees it: the screen's pixels, its video mode,
// the keyboard, the pointer and a window manager's close button.
#ifndef X_SCREEN_H
#define X_SCREEN_H

#include <X11/Xlib.h>
#include <cstdint>
#include <vector>

struct x_screen {
  Display *display;
  Window root;
};

// The root window's pixels, 0xRRGGBB, row by row.
struct screen_image {
  int width, height;
  std::vector<uint32_t> pixels;
};

struct video_mode {
  int width, height;
};

struct screen_point {
  int x, y;
};

// Opens the named display, or $DISPLAY when `name` is null; false if it cannot be reached.
bool screen_open(x_screen &screen, const char *name);
void screen_close(x_screen &screen);

// The whole root window, or only its top-left `width` x `height` corner, which is quicker.
screen_image screen_grab(const x_screen &screen, int width = 0, int height = 0);

// The same of one window. Under Xwayland the root window shows none of the programs: each
// window holds what the compositor shows of it.
screen_image screen_grab_window(const x_screen &screen, Window window, int width = 0,
                                int height = 0);
// The shown window of process `pid` (by _NET_WM_PID, below a window manager's frame where there
// is one), or 0; and a window's size, 0x0 once it is gone.
Window screen_window_of(const x_screen &screen, long pid);
video_mode screen_window_size(const x_screen &screen, Window window);

// The mode of the first active output, and switching it back to a listed mode.
video_mode screen_mode(const x_screen &screen);
bool screen_set_mode(const x_screen &screen, int width, int height);
// The modes the outputs were set to since the watch began, in order, from the server's RandR
// notifications: a switch there and back too quick to be polled is still seen.
void screen_watch_modes(const x_screen &screen);
std::vector<video_mode> screen_modes_seen(const x_screen &screen);
// The desktop's size (the root window's), and changing it together with the mode, as
// `xrandr -s WIDTHxHEIGHT` does: a desktop smaller than a program's start size.
video_mode screen_desktop(const x_screen &screen);
bool screen_set_desktop(const x_screen &screen, int width, int height);

// A fullscreen window of this connection's own, as a program shows one: Xwayland emulates a
// client's mode only for its fullscreen windows, sized to it by the compositor (mutter).
Window screen_show_fullscreen_window(const x_screen &screen);
void screen_destroy_window(const x_screen &screen, Window window);
// Asks for a new size of a window, as a program does.
void screen_resize_window(const x_screen &screen, Window window, int width, int height);

// The pointer's place on the root window, and moving it there through XTest, as a person does.
screen_point screen_pointer(const x_screen &screen);
void screen_move_pointer(const x_screen &screen, int x, int y);

// Presses and releases the key through XTest, holding it down for `hold_ms`.
void screen_tap_key(const x_screen &screen, KeySym key, int hold_ms);
// Presses (`down`) or releases the key alone, for a caller that watches the screen meanwhile.
void screen_press_key(const x_screen &screen, KeySym key, bool down);
// The same by keycode: the key at one place on the keyboard, whatever the layout makes of it.
void screen_tap_keycode(const x_screen &screen, int keycode, int hold_ms);
// The keycode of the key at an XKB place ("AD01", Q's on a US keyboard), or 0.
int screen_keycode_at(const x_screen &screen, const char *place);
// Locks the keyboard in one group of its layout (0 the first), as a layout switcher does.
bool screen_lock_group(const x_screen &screen, int group);

// Asks the windows of process `pid` that take WM_DELETE_WINDOW to close, as a window manager's
// close button does (below its frame, where a window manager has one). Only that process's
// windows: a compositing window manager's own windows take the request too, and once mutter's
// have been asked it soon stops painting for good. Returns how many were asked.
int screen_request_close(const x_screen &screen, long pid);

#endif
