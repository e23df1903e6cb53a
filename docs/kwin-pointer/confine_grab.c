/* Maps a fullscreen window and confines the pointer to it, at once (as Allegro 5.2.11 does) or
   once every window that holds it is at least its size ("shown"); prints where the pointer is.
   cc -o confine_grab confine_grab.c -lX11 && DISPLAY=:N ./confine_grab now|shown */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

/* Whether each window from `w` up to the root's child is at least 1024x768. */
static int shown_whole(Display *d, Window w) {
  for (Window root, parent, *children;; w = parent) {
    unsigned int n, width, height, border, depth;
    int x, y;
    XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth);
    XQueryTree(d, w, &root, &parent, &children, &n);
    if (children)
      XFree(children);
    if (width < 1024 || height < 768)
      return 0;
    if (parent == root)
      return 1;
  }
}

static void print_pointer(Display *d, const char *when) {
  Window root, child;
  int x, y, wx, wy;
  unsigned int mask;
  XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &mask);
  printf("%s: pointer at %d,%d\n", when, x, y);
}

int main(int argc, char **argv) {
  Display *d = XOpenDisplay(NULL);
  if (!d || argc != 2)
    return 2;
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1024, 768, 0, 0, 0x808080);
  Atom fullscreen = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  (unsigned char *)&fullscreen, 1);
  XSelectInput(d, w, StructureNotifyMask);
  XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, 512, 384);
  print_pointer(d, "before");
  XMapWindow(d, w);
  XEvent e;
  do
    XNextEvent(d, &e);
  while (e.type != MapNotify);
  int waited = 0;
  while (strcmp(argv[1], "shown") == 0 && !shown_whole(d, w) && waited < 500) {
    usleep(2000);
    waited += 2;
  }
  XGrabPointer(d, w, False, PointerMotionMask, GrabModeAsync, GrabModeAsync, w, None, CurrentTime);
  usleep(200000);
  print_pointer(d, argv[1]);
  return 0;
}
