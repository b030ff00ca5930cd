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

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {
SDL_Window *gWindow = nullptr;
SDL_GLContext gContext = nullptr;
bool gVideoUp = false;
ContextKind gContextKind = ContextKind::Desktop;
// The game draws into the window's back buffer, in its top-left corner at
// its own size (the top, so that the frame lies on the window's rows as on a
// window of the game's size: a software rasteriser may blend pixels one
// level apart otherwise). A window of exactly that size shows it as drawn;
// a larger one gets it scaled by the largest whole number that fits and
// centred (letterboxed in full screen). The game never sees the scale: its
// area, its mouse and its screenshots stay in game pixels.
int gScale = 1;
int gOffsetX = 0, gOffsetY = 0; // the game area's top-left corner in the window
int gGameWidth = 0, gGameHeight = 0;
int gDrawBottom = 0; // the game area's lowest row in the window's buffer, counted upwards
bool gDesktopFullScreen = false;
PresentHook gPresentHook = nullptr;
int gChosenScale = 0; // the window's scale asked for; 0: the largest that fits

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

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
  gWindow = SDL_CreateWindow(title ? title : "", x, y, width, height,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!gWindow) return false;
  gContext = SDL_GL_CreateContext(gWindow);
  if (!gContext) {
    SDL_DestroyWindow(gWindow);
    gWindow = nullptr;
    return false;
  }
  gContextKind = kind;
  return true;
}
} // namespace

SDL_Window *sdlWindow() { return gWindow; }
bool videoUp() { return gVideoUp; }
int gameX(int windowX) { return floorDiv(windowX - gOffsetX, gScale); }
int gameY(int windowY) { return floorDiv(windowY - gOffsetY, gScale); }
int windowX(int gameX) { return gOffsetX + gameX * gScale; }
int windowY(int gameY) { return gOffsetY + gameY * gScale; }

bool initVideo() {
  if (gVideoUp) return true;
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "video: %s\n", SDL_GetError());
    return false;
  }
  // When no display can be reached SDL falls back to a headless driver, where
  // a window would be invisible and never get the focus: that is no display
  // at all, unless the headless driver was asked for by name.
  const char *driver = SDL_GetCurrentVideoDriver();
  const char *asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool headless = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (headless && !(asked && std::strcmp(asked, driver) == 0)) {
    std::fprintf(stderr, "video: no display could be reached (%s)\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "DISPLAY not set");
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  gVideoUp = true;
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
  const char *asked = std::getenv("ZUNK_GL");
  if (byName) *byName = false;
  if (!asked || !*asked) return ContextKind::Desktop;
  if (std::strcmp(asked, "gl") == 0 || std::strcmp(asked, "es2") == 0) {
    if (byName) *byName = true;
    return asked[0] == 'e' ? ContextKind::ES2 : ContextKind::Desktop;
  }
  std::fprintf(stderr, "ZUNK_GL=%s is not a kind of context (gl or es2): desktop OpenGL is asked for\n", asked);
  return ContextKind::Desktop;
}

ContextKind contextKind() { return gContextKind; }

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
  int scale = largestWindowScale(width, height);
  if (gChosenScale > 0) scale = gChosenScale;
  if (scale > 1 && measured) {
    x = usable.x + (usable.w - width * scale) / 2;
    y = usable.y + (usable.h - height * scale) / 2;
  }
  gScale = 1;
  gOffsetX = gOffsetY = 0;
  gDesktopFullScreen = false;
  gGameWidth = width;
  gGameHeight = height;
  bool byName = false;
  const ContextKind asked = askedContextKind(&byName);
  // A machine without desktop OpenGL (a board, a phone) may still have ES;
  // a kind asked for by name is that kind or nothing.
  if (!createWindowAndContext(asked, title, x, y, width * scale, height * scale) &&
      (byName || asked == ContextKind::ES2 ||
       !createWindowAndContext(ContextKind::ES2, title, x, y, width * scale, height * scale)))
    return false;
  placeGameArea();
  return true;
}

bool windowOpen() { return gWindow != nullptr; }

void closeWindow() {
  if (gContext) SDL_GL_DeleteContext(gContext);
  if (gWindow) SDL_DestroyWindow(gWindow);
  gContext = nullptr;
  gWindow = nullptr;
}

void setWindowTitle(const char *title) {
  if (gWindow) SDL_SetWindowTitle(gWindow, title ? title : "");
}

void showWindow() {
  if (!gWindow) return;
  SDL_ShowWindow(gWindow);
  SDL_RaiseWindow(gWindow);
}

void minimizeWindow() {
  if (gWindow) SDL_MinimizeWindow(gWindow);
}

void restoreWindow() {
  if (gWindow) SDL_RestoreWindow(gWindow);
}

bool setFullScreen(bool on, int width, int height, int refreshRate) {
  if (!gWindow) return false;
  if (!on) return SDL_SetWindowFullscreen(gWindow, 0) == 0;
  SDL_DisplayMode want{}, got{};
  want.w = width;
  want.h = height;
  want.refresh_rate = refreshRate;
  if (SDL_GetClosestDisplayMode(0, &want, &got)) SDL_SetWindowDisplayMode(gWindow, &got);
  return SDL_SetWindowFullscreen(gWindow, SDL_WINDOW_FULLSCREEN) == 0;
}

void windowPosition(int &x, int &y) {
  x = y = 0;
  if (gWindow) SDL_GetWindowPosition(gWindow, &x, &y);
}

bool makeContextCurrent() { return gWindow && gContext && SDL_GL_MakeCurrent(gWindow, gContext) == 0; }

bool setSwapInterval(int interval) { return gContext && SDL_GL_SetSwapInterval(interval) == 0; }

uint64_t refreshPeriod() {
  SDL_DisplayMode mode;
  if (!gWindow || SDL_GetWindowDisplayMode(gWindow, &mode) != 0 || mode.refresh_rate <= 0) return 0;
  return 1000000u / static_cast<uint64_t>(mode.refresh_rate);
}

Placement placeGameArea() {
  Placement p;
  if (!gWindow || gGameWidth <= 0 || gGameHeight <= 0) return p;
  SDL_GL_GetDrawableSize(gWindow, &p.width, &p.height);
  const int s = std::min(p.width / gGameWidth, p.height / gGameHeight);
  gScale = s < 1 ? 1 : s;
  gOffsetX = (p.width - gGameWidth * gScale) / 2;
  gOffsetY = (p.height - gGameHeight * gScale) / 2;
  gDrawBottom = p.height - gGameHeight;
  p.x = gOffsetX;
  p.y = gOffsetY;
  p.scale = gScale;
  p.drawBottom = gDrawBottom;
  return p;
}

void swapBuffers() {
  if (!gWindow) return;
  if (gPresentHook) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(gWindow, &w, &h);
    gPresentHook(w, h);
  }
  SDL_GL_SwapWindow(gWindow);
}

void setPresentHook(PresentHook hook) { gPresentHook = hook; }

int gameAreaBottom() { return gDrawBottom; }

bool setWindowScale(int scale) {
  if (scale < 0) return false;
  gChosenScale = scale;
  if (!gWindow) return true;
  if (scale < 1) return false;
  SDL_SetWindowSize(gWindow, gGameWidth * scale, gGameHeight * scale);
  placeGameArea();
  return true;
}

int windowScale() { return gScale; }

int largestWindowScale(int width, int height) {
  SDL_Rect usable;
  if (!initVideo() || width <= 0 || height <= 0 || SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  return std::max(1, std::min(usable.w / width, usable.h / height));
}

bool setDesktopFullScreen(bool on) {
  if (!gWindow) return false;
  if (SDL_SetWindowFullscreen(gWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  gDesktopFullScreen = on;
  placeGameArea();
  return true;
}

bool desktopFullScreen() { return gDesktopFullScreen; }

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
