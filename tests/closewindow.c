/* Ends a window's life as others than the program may:
 *   closewindow <window id>            asks it to close, as a window manager
 *                                      does (a WM_DELETE_WINDOW message)
 *   closewindow --destroy <window id>  destroys the window under its program
 *   closewindow --kill <window id>     breaks its program's connection to
 *                                      the X server (as xkill does) */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
  const char *how = argc == 3 ? argv[1] : "";
  if (!(argc == 2 || (argc == 3 && (!strcmp(how, "--destroy") || !strcmp(how, "--kill"))))) {
    fprintf(stderr, "usage: closewindow [--destroy | --kill] <window id>\n");
    return 2;
  }
  Display *d = XOpenDisplay(NULL);
  if (!d) return 1;
  Window w = (Window)strtoul(argv[argc - 1], NULL, 0);
  if (!strcmp(how, "--destroy")) {
    XDestroyWindow(d, w);
  } else if (!strcmp(how, "--kill")) {
    XKillClient(d, w);
  } else {
    XEvent e = {0};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
  }
  XFlush(d);
  XCloseDisplay(d);
  return 0;
}
