// The window and its presentation: the SDL video subsystem, the one window
// and its OpenGL context (desktop OpenGL 2.1 or later, or OpenGL ES 2.0
// when ZUNK_GL=es2 asks for it or the desktop kind cannot be had), where
// the game area lies in the window, full screen, display modes.
// Owns the window's state; the input side reads it through WindowState.h.
// No OpenGL call is made here: drawing, the scaled copy of the frame and
// reading pixels back belong to the engine.

#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

namespace {
// The window's state: the one window, its context and where the game lies in it.
struct WindowContext {
  SDL_Window *window = nullptr;
  SDL_GLContext context = nullptr;
  bool videoUp = false;
  ContextKind contextKind = ContextKind::Desktop;
  // The game draws into the window's back buffer, in its top-left corner at
  // its own size (the top, so that the frame lies on the window's rows as on a
  // window of the game's size: a software rasteriser may blend pixels one
  // level apart otherwise). A window of exactly that size shows it as drawn;
  // a larger one gets it scaled to fill the window as far as its shape allows
  // and centred (letterboxed in full screen). The game never sees the scale:
  // its area, its mouse and its screenshots stay in game pixels.
  Placement placement;
  int gameWidth = 0, gameHeight = 0;
  bool desktopFullScreen = false;
  bool wholeScaling = false;
  PresentHook presentHook = nullptr;
  // The context taken away (a browser's WebGL), and who makes its objects
  // again when it comes back; the swap interval a new context is given.
  bool contextLost = false;
  ContextRenewedHandler contextRenewed = nullptr;
  int swapInterval = 0;
  double chosenScale = 0; // the window's scale asked for; 0: the largest whole one that fits
  std::string applicationId, windowClass;
  // Why the last window could not be opened, as the system said.
  std::string windowError;
#ifdef __EMSCRIPTEN__
  double toldGameBox[4] = {-1, -1, -1, -1}; // where the page was last told the game shows
  bool hearsContextLoss = false;
#endif
};
WindowContext window_;

// A window `scale` times the game's, in whole pixels.
int scaled(int size, double scale) { return static_cast<int>(std::lround(size * scale)); }

// The context attributes of a kind: desktop OpenGL 2.1 with the
// compatibility profile, or OpenGL ES 2.0.
void askFor(ContextKind kind) {
  const bool es = kind == ContextKind::ES2;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                      es ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es ? 0 : 1);
}

// The window and its context of one kind; false (nothing left open) if
// either cannot be made.
bool createWindowAndContext(ContextKind kind, const char *title, int x, int y, int width, int height) {
  askFor(kind);
#ifdef __EMSCRIPTEN__
  const Uint32 flags = SDL_WINDOW_OPENGL;
#else
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
#endif
  window_.window = SDL_CreateWindow(title ? title : "", x, y, width, height, flags);
  if (!window_.window) {
    report(K_REPORT_WARNING, "video: the window could not be made", "", SDL_GetError());
    return false;
  }
  window_.context = SDL_GL_CreateContext(window_.window);
  if (!window_.context) {
    report(K_REPORT_WARNING, "video: no OpenGL context of this kind", kind == ContextKind::ES2 ? "OpenGL ES 2.0" : "OpenGL 2.1",
           SDL_GetError());
    SDL_DestroyWindow(window_.window);
    window_.window = nullptr;
    return false;
  }
  window_.contextKind = kind;
  return true;
}
#ifdef __EMSCRIPTEN__
// The page's canvas, which SDL draws into.
const char *const kCanvas = "#canvas";

// The page gives the canvas its box; its buffer is made as many pixels as
// the display shows there, so that the game is drawn sharp at any size, and
// SDL's window as large as the box in CSS pixels, which SDL gives the
// pointer's place in. A box smaller than the game gets a buffer the game
// fits in, of the box's shape, that the browser shows smaller.
void fitCanvas() {
  double boxWidth = 0, boxHeight = 0;
  if (emscripten_get_element_css_size(kCanvas, &boxWidth, &boxHeight) != EMSCRIPTEN_RESULT_SUCCESS || boxWidth < 1 ||
      boxHeight < 1)
    return;
  const double ratio = emscripten_get_device_pixel_ratio();
  double width = boxWidth * ratio, height = boxHeight * ratio;
  const double up = std::max({1.0, window_.gameWidth / width, window_.gameHeight / height});
  // The side that set `up` comes out as the game's, exactly.
  const int pixelsWidth = static_cast<int>(std::ceil(width * up - 1e-6));
  const int pixelsHeight = static_cast<int>(std::ceil(height * up - 1e-6));
  const int pointsWidth = static_cast<int>(std::lround(boxWidth)), pointsHeight = static_cast<int>(std::lround(boxHeight));
  int w = 0, h = 0;
  SDL_GetWindowSize(window_.window, &w, &h);
  // SDL sets the buffer to the window's size: the buffer's own comes after.
  if (w != pointsWidth || h != pointsHeight) SDL_SetWindowSize(window_.window, pointsWidth, pointsHeight);
  emscripten_get_canvas_element_size(kCanvas, &w, &h);
  if (w != pixelsWidth || h != pixelsHeight) emscripten_set_canvas_element_size(kCanvas, pixelsWidth, pixelsHeight);
}

// Where the game shows on the canvas, in the page's units from the canvas's
// corner, for the page (and whoever drives it) to find the game's pixels.
EM_JS(void, pageGameBox, (double left, double top, double width, double height), {
  Module.zunkGameBox = [ left, top, width, height ];
});

// A browser gives a WebGL context it took away back only to a page that
// refused the loss (prevented its default), as this one does; until then
// nothing drawn is seen. Once back it holds none of the old objects.
EM_BOOL contextLostInPage(int, const void *, void *) {
  window_.contextLost = true;
  return EM_TRUE;
}

EM_BOOL contextRestoredInPage(int, const void *, void *) {
  window_.contextLost = false;
  if (window_.contextRenewed) window_.contextRenewed();
  return EM_TRUE;
}

void hearContextLoss() {
  if (window_.hearsContextLoss) return;
  window_.hearsContextLoss = true;
  emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, contextLostInPage);
  emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_FALSE, contextRestoredInPage);
}

void tellGameBox(const Placement &placement) {
  double boxWidth = 0, boxHeight = 0;
  if (placement.width <= 0 || placement.height <= 0 ||
      emscripten_get_element_css_size(kCanvas, &boxWidth, &boxHeight) != EMSCRIPTEN_RESULT_SUCCESS)
    return;
  const double across = boxWidth / placement.width, down = boxHeight / placement.height;
  const double box[4] = {placement.x * across, placement.y * down, placement.shownWidth * across,
                         placement.shownHeight * down};
  double *told = window_.toldGameBox;
  if (std::equal(box, box + 4, told)) return;
  std::copy(box, box + 4, told);
  pageGameBox(box[0], box[1], box[2], box[3]);
}
#endif
} // namespace

SDL_Window *sdlWindow() { return window_.window; }
std::string windowError() { return window_.windowError; }
bool videoUp() { return window_.videoUp; }
const Placement &lastPlacement() { return window_.placement; }

void setApplicationId(const char *applicationId, const char *windowClass) {
  window_.applicationId = applicationId ? applicationId : "";
  window_.windowClass = windowClass ? windowClass : "";
}

bool initVideo() {
  if (window_.videoUp) return true;
  // Asked to end from outside, the program ends as its close box ends it:
  // its own handlers, not SDL's, which would not end a message box.
  watchEndSignals();
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Touch is read as touch (the first finger points, Input.cpp), not as
  // the mouse events SDL would make of it.
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
  // A browser's program may be suspended only where it waits for the user's
  // files (Host.cpp): SDL's swap and delay would otherwise yield to the
  // browser at every frame.
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
  // SDL reads who we are from the environment as its video starts; one set
  // by whoever started us stays.
  if (!window_.applicationId.empty()) setenv("SDL_VIDEO_WAYLAND_WMCLASS", window_.applicationId.c_str(), 0);
  if (!window_.windowClass.empty()) setenv("SDL_VIDEO_X11_WMCLASS", window_.windowClass.c_str(), 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    report(K_REPORT_WARNING, "video: no display could be reached", "", SDL_GetError());
    return false;
  }
  // When no display can be reached SDL falls back to a headless driver, where
  // a window would be invisible and never get the focus: that is no display
  // at all, unless the headless driver was asked for by name.
  const char *driver = SDL_GetCurrentVideoDriver();
  const char *asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool headless = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (headless && !(asked && std::strcmp(asked, driver) == 0)) {
    const char *display = std::getenv("DISPLAY");
    report(K_REPORT_WARNING, "video: no display could be reached", "", display ? display : "DISPLAY not set");
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  window_.videoUp = true;
  watchInput();
  return true;
}

void screenSize(int &width, int &height) {
  SDL_DisplayMode mode;
  if (initVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = 0;
    height = 0;
  }
}

ContextKind askedContextKind(bool *byName) {
#ifdef __EMSCRIPTEN__
  // A browser's WebGL 1 is OpenGL ES 2.0.
  if (byName) *byName = true;
  return ContextKind::ES2;
#endif
  const char *asked = std::getenv("ZUNK_GL");
  if (byName) *byName = false;
  if (!asked || !*asked) return ContextKind::Desktop;
  if (std::strcmp(asked, "gl") == 0 || std::strcmp(asked, "es2") == 0) {
    if (byName) *byName = true;
    return asked[0] == 'e' ? ContextKind::ES2 : ContextKind::Desktop;
  }
  report(K_REPORT_WARNING, "ZUNK_GL is not a kind of context (gl or es2)", asked, "desktop OpenGL is asked for");
  return ContextKind::Desktop;
}

ContextKind contextKind() { return window_.contextKind; }

bool openWindow(const char *title, int x, int y, int width, int height, bool depthBuffer) {
  if (!initVideo()) return false;
  closeWindow();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // No alpha channel: blending that reads the destination's alpha reads 1.
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBuffer ? 16 : 0);
  SDL_Rect usable;
  const bool measured = SDL_GetDisplayUsableBounds(0, &usable) == 0 && width > 0 && height > 0;
#ifdef __EMSCRIPTEN__
  // The canvas is fitted to the box the page gives it (placeGameArea).
  const double scale = 1;
#else
  const double scale = window_.chosenScale > 0 ? window_.chosenScale : std::floor(largestWindowScale(width, height));
#endif
  const int windowWidth = scaled(width, scale), windowHeight = scaled(height, scale);
  if (scale > 1 && measured) {
    x = usable.x + (usable.w - windowWidth) / 2;
    y = usable.y + (usable.h - windowHeight) / 2;
  }
  window_.placement = Placement();
  window_.desktopFullScreen = false;
  window_.gameWidth = width;
  window_.gameHeight = height;
  bool byName = false;
  const ContextKind asked = askedContextKind(&byName);
  // A machine without desktop OpenGL (a board, a phone) may still have ES;
  // a kind asked for by name is that kind or nothing. Why each failed is
  // kept for the player.
  window_.windowError.clear();
  if (!createWindowAndContext(asked, title, x, y, windowWidth, windowHeight)) {
    window_.windowError = std::string(asked == ContextKind::ES2 ? "OpenGL ES: " : "OpenGL: ") + SDL_GetError();
    if (byName || asked == ContextKind::ES2) return false;
    if (!createWindowAndContext(ContextKind::ES2, title, x, y, windowWidth, windowHeight)) {
      window_.windowError += std::string("; OpenGL ES: ") + SDL_GetError();
      return false;
    }
  }
  watchDisplay();
#ifdef __EMSCRIPTEN__
  hearContextLoss();
#else
  // The game is drawn at its own size in the window: it is never smaller.
  // (A page's canvas is fitted to its box instead.)
  SDL_SetWindowMinimumSize(window_.window, width, height);
#endif
  placeGameArea();
  return true;
}

bool windowOpen() { return window_.window != nullptr; }

void closeWindow() {
  if (window_.context) SDL_GL_DeleteContext(window_.context);
  if (window_.window) SDL_DestroyWindow(window_.window);
  window_.context = nullptr;
  window_.window = nullptr;
  window_.placement = Placement();
  window_.contextLost = false;
}

void setWindowTitle(const char *title) {
  if (window_.window) SDL_SetWindowTitle(window_.window, title ? title : "");
}

void showWindow() {
  if (!window_.window) return;
  SDL_ShowWindow(window_.window);
  SDL_RaiseWindow(window_.window);
}

void minimizeWindow() {
  if (window_.window) SDL_MinimizeWindow(window_.window);
}

void restoreWindow() {
  if (window_.window) SDL_RestoreWindow(window_.window);
}

bool setFullScreen(bool on, int width, int height, int refreshRate) {
  if (!window_.window) return false;
  if (!on) return SDL_SetWindowFullscreen(window_.window, 0) == 0;
  SDL_DisplayMode want{}, got{};
  want.w = width;
  want.h = height;
  want.refresh_rate = refreshRate;
  if (SDL_GetClosestDisplayMode(0, &want, &got)) SDL_SetWindowDisplayMode(window_.window, &got);
  return SDL_SetWindowFullscreen(window_.window, SDL_WINDOW_FULLSCREEN) == 0;
}

void windowPosition(int &x, int &y) {
  x = y = 0;
  if (window_.window) SDL_GetWindowPosition(window_.window, &x, &y);
}

bool makeContextCurrent() {
  if (!window_.window || !window_.context) return false;
  if (SDL_GL_MakeCurrent(window_.window, window_.context) == 0) return true;
  report(K_REPORT_WARNING, "video: the OpenGL context could not be made current", "", SDL_GetError());
  return false;
}

bool contextLost() {
#ifdef __EMSCRIPTEN__
  // Lost from the moment it is, though the page hears of it a task later.
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_get_current_context();
  if (context && emscripten_is_webgl_context_lost(context)) return true;
#endif
  return window_.contextLost;
}

void setContextRenewedHandler(ContextRenewedHandler handler) { window_.contextRenewed = handler; }

bool renewContext() {
#ifdef __EMSCRIPTEN__
  return false;
#else
  if (!window_.window || !window_.context) return false;
  // Made as the old one was, sharing nothing with it.
  askFor(window_.contextKind);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
  SDL_GLContext fresh = SDL_GL_CreateContext(window_.window);
  if (!fresh) {
    report(K_REPORT_WARNING, "video: no new OpenGL context", "the old one is kept", SDL_GetError());
    makeContextCurrent();
    return false;
  }
  SDL_GL_DeleteContext(window_.context);
  window_.context = fresh;
  if (!makeContextCurrent()) return false;
  SDL_GL_SetSwapInterval(window_.swapInterval);
  if (window_.contextRenewed) window_.contextRenewed();
  return true;
#endif
}

void *glFunction(const char *name) { return window_.context && name ? SDL_GL_GetProcAddress(name) : nullptr; }

bool setSwapInterval(int interval) {
  if (!window_.context || SDL_GL_SetSwapInterval(interval) != 0) return false;
  window_.swapInterval = interval;
  return true;
}

uint64_t refreshPeriod() {
  SDL_DisplayMode mode;
  if (!window_.window || SDL_GetWindowDisplayMode(window_.window, &mode) != 0 || mode.refresh_rate <= 0) return 0;
  return 1000000u / static_cast<uint64_t>(mode.refresh_rate);
}

Placement placeGameArea() {
  if (!window_.window || window_.gameWidth <= 0 || window_.gameHeight <= 0) return Placement();
  int width = 0, height = 0, pointsWidth = 0, pointsHeight = 0;
#ifdef __EMSCRIPTEN__
  fitCanvas();
  emscripten_get_canvas_element_size(kCanvas, &width, &height);
#else
  SDL_GL_GetDrawableSize(window_.window, &width, &height);
#endif
  SDL_GetWindowSize(window_.window, &pointsWidth, &pointsHeight);
  window_.placement = placeGameIn(width, height, window_.gameWidth, window_.gameHeight, window_.wholeScaling);
  if (pointsWidth > 0 && pointsHeight > 0) {
    window_.placement.pointsWidth = pointsWidth;
    window_.placement.pointsHeight = pointsHeight;
  }
#ifdef __EMSCRIPTEN__
  tellGameBox(window_.placement);
#endif
  return window_.placement;
}

void swapBuffers() {
  if (!window_.window) return;
  if (window_.presentHook) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_.window, &w, &h);
    window_.presentHook(w, h);
  }
  SDL_GL_SwapWindow(window_.window);
}

void setPresentHook(PresentHook hook) { window_.presentHook = hook; }

int gameAreaBottom() { return window_.placement.drawBottom; }

bool setWindowScale(double scale) {
  if (!(scale == 0 || scale >= 1)) return false;
  window_.chosenScale = scale;
  if (!window_.window) return true;
  if (scale < 1) return false;
  const int width = scaled(window_.gameWidth, scale), height = scaled(window_.gameHeight, scale);
  SDL_SetWindowSize(window_.window, width, height);
  // A window that grows keeps its top-left corner, unless that would take
  // it past the work area's edge: then it moves back in.
  SDL_Rect usable;
  int x, y, top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowPosition(window_.window, &x, &y);
  if (SDL_GetWindowBordersSize(window_.window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  if (SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_.window), &usable) == 0) {
    const int inX = std::max(usable.x + left, std::min(x, usable.x + usable.w - right - width));
    const int inY = std::max(usable.y + top, std::min(y, usable.y + usable.h - bottom - height));
    if (inX != x || inY != y) SDL_SetWindowPosition(window_.window, inX, inY);
  }
  placeGameArea();
  return true;
}

double windowScale() {
  if (window_.placement.scale > 0 || window_.placement.gameHeight <= 0) return std::max(1, window_.placement.scale);
  return static_cast<double>(window_.placement.shownHeight) / window_.placement.gameHeight;
}

double largestWindowScale(int width, int height) {
#ifdef __EMSCRIPTEN__
  // The canvas takes the size of the page's box for it.
  (void)width;
  (void)height;
  return 1;
#else
  SDL_Rect usable;
  if (!initVideo() || width <= 0 || height <= 0 || SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  // An open window's frame takes its share of the work area.
  int top = 0, left = 0, bottom = 0, right = 0;
  if (window_.window && SDL_GetWindowBordersSize(window_.window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  const double across = static_cast<double>(usable.w - left - right) / width;
  const double down = static_cast<double>(usable.h - top - bottom) / height;
  return std::max(1.0, std::min(across, down));
#endif
}

void setWholeScaling(bool whole) {
  window_.wholeScaling = whole;
  placeGameArea();
}

bool wholeScaling() { return window_.wholeScaling; }

bool setDesktopFullScreen(bool on) {
#ifdef __EMSCRIPTEN__
  // Full screen is the page's (its button, the browser's F11): a browser
  // grants it to a click, never to a frame of the game.
  return !on;
#else
  if (!window_.window) return false;
  if (SDL_SetWindowFullscreen(window_.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  window_.desktopFullScreen = on;
  placeGameArea();
  return true;
#endif
}

bool desktopFullScreen() { return window_.desktopFullScreen; }

std::vector<DisplayMode> displayModes() {
  std::vector<DisplayMode> modes;
  if (!initVideo()) return modes;
  int n = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < n; i++) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) == 0)
      modes.push_back({m.w, m.h, static_cast<int>(SDL_BITSPERPIXEL(m.format)), m.refresh_rate});
  }
  return modes;
}

} // namespace platform
