// How the program is ended from outside: the signals that ask it to end,
// and a display that goes away under it. Either way the program keeps what
// it keeps at its end: a signal is turned into the Quit event the close box
// gives, and a lost display, after which nothing can be shown, runs the
// program's handler and ends it at once.

#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

namespace platform {

namespace {
// The ending's state: the signal that asked for the end (set by its
// handler), and the program's handler of a lost display.
struct EndingContext {
  volatile std::sig_atomic_t endSignal = 0;
  DisplayLostHandler displayLost = nullptr;
};
EndingContext ending_;

#if !defined(__EMSCRIPTEN__)
const int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

void onEndSignal(int signal) {
  // A modal box runs a loop of its own that no event ends: the signal does
  // what it would have done without us.
  if (modalBoxShown()) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  ending_.endSignal = signal;
}

// Xlib's handlers, found in the library SDL loaded (no link of our own to
// it: a program on Wayland alone never loads it). The error event's first
// fields, as Xlib lays them out.
struct XErrorFields {
  int type;
  void *display;
  unsigned long resourceid;
  unsigned long serial;
  unsigned char error_code;
  unsigned char request_code;
  unsigned char minor_code;
};
using XErrorHandler = int (*)(void *display, XErrorFields *event);
using XIOErrorHandler = int (*)(void *display);

[[noreturn]] void displayGone(const char *why) {
  static bool going = false;
  // The handler itself may meet the lost display again.
  if (going) std::_Exit(1);
  going = true;
  report(K_REPORT_WARNING, "video: the display was lost", "", why);
  const int status = ending_.displayLost ? ending_.displayLost() : 1;
  std::fflush(stderr);
  std::fflush(stdout);
  std::_Exit(status);
}

int connectionBroken(void *) { displayGone("its connection was broken"); }

int xError(void *, XErrorFields *event) {
  // An error no one expected: the window was destroyed by someone else,
  // or the server refuses the program. Xlib would end the program here.
  char why[64];
  std::snprintf(why, sizeof why, "X error %d of request %d", event ? event->error_code : 0,
                event ? event->request_code : 0);
  displayGone(why);
}
#endif
} // namespace

void watchEndSignals() {
#if !defined(__EMSCRIPTEN__)
  static bool watching = false;
  if (watching) return;
  watching = true;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kEndSignals) sigaction(s, &action, nullptr);
#endif
}

int endSignal() { return ending_.endSignal; }

bool endAsked() {
  if (!ending_.endSignal) return false;
  ending_.endSignal = 0;
  return true;
}

void setDisplayLostHandler(DisplayLostHandler handler) { ending_.displayLost = handler; }

void watchDisplay() {
#if !defined(__EMSCRIPTEN__)
  const char *driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  void *x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!x11) return;
  using SetError = XErrorHandler (*)(XErrorHandler);
  using SetIOError = XIOErrorHandler (*)(XIOErrorHandler);
  auto setError = reinterpret_cast<SetError>(dlsym(x11, "XSetErrorHandler"));
  auto setIOError = reinterpret_cast<SetIOError>(dlsym(x11, "XSetIOErrorHandler"));
  if (setError) setError(xError);
  if (setIOError) setIOError(connectionBroken);
  dlclose(x11);
#endif
}

} // namespace platform
