// The window and its presentation: the SDL video subsystem, the one window
// and its OpenGL context, the game area drawn in the window and scaled to
// its place at each swap, the frame last shown kept for reading, full
// screen, display modes.
// Owns the window's state; the input side reads it through WindowState.h.

#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {
SDL_Window *gWindow = nullptr;
SDL_GLContext gContext = nullptr;
bool gVideoUp = false;
// The game draws straight into the window's back buffer, in its top-left
// corner at its own size (the top, so that the frame lies on the window's
// rows as on a window of the game's size: a software rasteriser may blend
// pixels one level apart otherwise). A window of exactly that size (scale 1, no
// margins) then shows it as drawn, with no copy. A larger window gets at
// each swap a copy of it scaled by the largest whole number that fits and
// centred (letterboxed in full screen). The game never sees the scale: its
// area, its mouse and its screenshots stay in game pixels. All drawing goes
// to one buffer, so the pixels are the same at every scale.
int gScale = 1;
int gOffsetX = 0, gOffsetY = 0; // the game area's top-left corner in the window
int gGameWidth = 0, gGameHeight = 0;
int gDrawBottom = 0; // the game area's lowest row in the window, counted upwards
// The frame last shown, at the game's size: the scaled copy goes through
// it, and at scale 1 it is kept only once someone has read the front buffer
// (a window's own front buffer cannot be relied on to hold it).
GLuint gShownFramebuffer = 0, gShownTexture = 0;
bool gShownKept = false;   // it holds the frame last shown
bool gKeepShown = false;   // the front buffer has been read: keep it at every swap
bool gDesktopFullScreen = false;
PresentHook gPresentHook = nullptr;
int gChosenScale = 0; // the window's scale asked for; 0: the largest that fits

PFNGLGENFRAMEBUFFERSPROC pGenFramebuffers;
PFNGLBINDFRAMEBUFFERPROC pBindFramebuffer;
PFNGLFRAMEBUFFERTEXTURE2DPROC pFramebufferTexture2D;
PFNGLCHECKFRAMEBUFFERSTATUSPROC pCheckFramebufferStatus;
PFNGLBLITFRAMEBUFFERPROC pBlitFramebuffer;
PFNGLDELETEFRAMEBUFFERSPROC pDeleteFramebuffers;

bool makeFramebuffer(GLuint &fb, GLuint &tex, int w, int h) {
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  pGenFramebuffers(1, &fb);
  pBindFramebuffer(GL_FRAMEBUFFER, fb);
  pFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, 0);
  bool ok = pCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  pBindFramebuffer(GL_FRAMEBUFFER, 0);
  return ok;
}

bool haveFramebuffers() { return gShownFramebuffer != 0; }

void releaseFramebuffers() {
  if (haveFramebuffers() && pDeleteFramebuffers) {
    pBindFramebuffer(GL_FRAMEBUFFER, 0);
    pDeleteFramebuffers(1, &gShownFramebuffer);
    glDeleteTextures(1, &gShownTexture);
  }
  gShownFramebuffer = gShownTexture = 0;
  gShownKept = gKeepShown = false;
}

// Sets up the frame kept as shown; false where the driver has no
// framebuffer objects (the window then shows the game at its own size).
bool setUpFramebuffers(int w, int h) {
  pGenFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glGenFramebuffers"));
  pBindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
  pFramebufferTexture2D =
      reinterpret_cast<PFNGLFRAMEBUFFERTEXTURE2DPROC>(SDL_GL_GetProcAddress("glFramebufferTexture2D"));
  pCheckFramebufferStatus =
      reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(SDL_GL_GetProcAddress("glCheckFramebufferStatus"));
  pBlitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBlitFramebuffer"));
  pDeleteFramebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(SDL_GL_GetProcAddress("glDeleteFramebuffers"));
  if (!pGenFramebuffers || !pBindFramebuffer || !pFramebufferTexture2D || !pCheckFramebufferStatus ||
      !pBlitFramebuffer || !pDeleteFramebuffers)
    return false;
  gGameWidth = w;
  gGameHeight = h;
  if (!makeFramebuffer(gShownFramebuffer, gShownTexture, w, h)) {
    releaseFramebuffers();
    return false;
  }
  return true;
}

// Where the game area lies in the window now: the scale and the margins.
// Gives the window's drawable size.
struct Size {
  int w = 0, h = 0;
};
Size placeGameArea() {
  Size drawable;
  if (!gWindow || !haveFramebuffers()) return drawable;
  SDL_GL_GetDrawableSize(gWindow, &drawable.w, &drawable.h);
  const int dw = drawable.w, dh = drawable.h;
  int s = std::min(dw / gGameWidth, dh / gGameHeight);
  gScale = s < 1 ? 1 : s;
  gOffsetX = (dw - gGameWidth * gScale) / 2;
  gOffsetY = (dh - gGameHeight * gScale) / 2;
  gDrawBottom = dh - gGameHeight;
  return drawable;
}

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
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
#ifdef __EMSCRIPTEN__
  // A browser's WebGL 1 is OpenGL ES 2.0.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
#else
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
#endif
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
#ifdef __EMSCRIPTEN__
  // The page scales the canvas, a game pixel to a whole number of the
  // display's where it can: the canvas holds the game at its own size.
  scale = 1;
  const Uint32 flags = SDL_WINDOW_OPENGL;
#else
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
#endif
  gWindow = SDL_CreateWindow(title ? title : "", x, y, width * scale, height * scale, flags);
  if (!gWindow) return false;
  gContext = SDL_GL_CreateContext(gWindow);
  if (!gContext) {
    SDL_DestroyWindow(gWindow);
    gWindow = nullptr;
    return false;
  }
  if (setUpFramebuffers(width, height)) {
    placeGameArea();
  } else if (scale > 1) {
    // Without framebuffer objects there is no scaled copy: the window keeps the game's size.
    SDL_SetWindowSize(gWindow, width, height);
  }
  return true;
}

bool windowOpen() { return gWindow != nullptr; }

void closeWindow() {
  if (gContext) releaseFramebuffers();
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

void swapBuffers() {
  if (!gWindow) return;
  if (!haveFramebuffers()) {
    SDL_GL_SwapWindow(gWindow);
    return;
  }
  const int w = gGameWidth, h = gGameHeight;
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  const Size drawable = placeGameArea();
  const int dw = drawable.w, dh = drawable.h;
  // A window of the game's own size shows the frame as drawn.
  const bool scaled = dw != w || dh != h;
  if (scaled || gKeepShown) {
    pBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    pBindFramebuffer(GL_DRAW_FRAMEBUFFER, gShownFramebuffer);
    pBlitFramebuffer(0, gDrawBottom, w, gDrawBottom + h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  if (scaled) {
    pBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Only a window larger than the scaled frame has margins to clear.
    if (dw != w * gScale || dh != h * gScale) {
      GLfloat clear[4];
      glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
      glClearColor(clear[0], clear[1], clear[2], clear[3]);
    }
    // OpenGL counts rows from the bottom: the lower margin is what the upper leaves.
    const int bottom = dh - gOffsetY - h * gScale;
    pBindFramebuffer(GL_READ_FRAMEBUFFER, gShownFramebuffer);
    pBlitFramebuffer(0, 0, w, h, gOffsetX, bottom, gOffsetX + w * gScale, bottom + h * gScale, GL_COLOR_BUFFER_BIT,
                     GL_NEAREST);
  }
  pBindFramebuffer(GL_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  if (gPresentHook) gPresentHook(dw, dh);
  SDL_GL_SwapWindow(gWindow);
  gShownKept = scaled || gKeepShown;
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

void setPresentHook(PresentHook hook) { gPresentHook = hook; }

int gameAreaBottom() { return gDrawBottom; }

bool setWindowScale(int scale) {
  if (scale < 0) return false;
  gChosenScale = scale;
  if (!gWindow) return true;
  if (!haveFramebuffers() || scale < 1) return false;
  SDL_SetWindowSize(gWindow, gGameWidth * scale, gGameHeight * scale);
  placeGameArea();
  return true;
}

int windowScale() { return gScale; }

int largestWindowScale(int width, int height) {
#ifdef __EMSCRIPTEN__
  // The page scales the canvas to the browser's window.
  (void)width;
  (void)height;
  return 1;
#else
  SDL_Rect usable;
  if (!initVideo() || width <= 0 || height <= 0 || SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  return std::max(1, std::min(usable.w / width, usable.h / height));
#endif
}

int selectReadBuffer(bool front) {
  if (front && gShownKept) {
    pBindFramebuffer(GL_READ_FRAMEBUFFER, gShownFramebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return 0;
  }
  // Once the frame shown has been asked for, every swap keeps it; this
  // first time the window's own front buffer is all there is.
  if (front) gKeepShown = haveFramebuffers();
  if (haveFramebuffers()) pBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(front ? GL_FRONT : GL_BACK);
  return gDrawBottom;
}

void endRead() {
  if (haveFramebuffers()) pBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
}

bool setDesktopFullScreen(bool on) {
#ifdef __EMSCRIPTEN__
  // Full screen is the page's (its button, the browser's F11): a browser
  // grants it to a click, never to a frame of the game.
  return !on;
#else
  if (!gWindow || !haveFramebuffers()) return false;
  if (SDL_SetWindowFullscreen(gWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  gDesktopFullScreen = on;
  placeGameArea();
  return true;
#endif
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
