#include "Platform.h"
#include "SoundChannel.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace platform {

namespace {
SDL_Window *gWindow = nullptr;
SDL_GLContext gContext = nullptr;
const ScriptedInput *gScripted = nullptr;
const uint64_t *gScriptedClock = nullptr;
MessageHook gMessageHook = nullptr;
bool gVideoUp = false;
// The game draws into an off-screen framebuffer of its own size; each swap
// copies it to the window, scaled by the largest whole number that fits and
// centred (letterboxed in full screen). The game never sees the scale: its
// area, its mouse and its screenshots stay in game pixels.
int gScale = 1;
int gOffsetX = 0, gOffsetY = 0; // the game area's top-left corner in the window
int gGameWidth = 0, gGameHeight = 0;
GLuint gFramebuffer = 0, gFrameTexture = 0;
GLuint gShownFramebuffer = 0, gShownTexture = 0; // the frame last shown
bool gDesktopFullScreen = false;

PFNGLGENFRAMEBUFFERSPROC pGenFramebuffers;
PFNGLBINDFRAMEBUFFERPROC pBindFramebuffer;
PFNGLFRAMEBUFFERTEXTURE2DPROC pFramebufferTexture2D;
PFNGLCHECKFRAMEBUFFERSTATUSPROC pCheckFramebufferStatus;
PFNGLBLITFRAMEBUFFERPROC pBlitFramebuffer;
PFNGLDELETEFRAMEBUFFERSPROC pDeleteFramebuffers;

bool makeFramebuffer(GLuint &fb, GLuint &tex, int w, int h) {
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  // No alpha channel: like a window's own buffer, blending reads a
  // destination alpha of 1.
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
  return ok;
}

void releaseFramebuffers() {
  if (gFramebuffer && pDeleteFramebuffers) {
    pBindFramebuffer(GL_FRAMEBUFFER, 0);
    pDeleteFramebuffers(1, &gFramebuffer);
    pDeleteFramebuffers(1, &gShownFramebuffer);
    glDeleteTextures(1, &gFrameTexture);
    glDeleteTextures(1, &gShownTexture);
  }
  gFramebuffer = gShownFramebuffer = gFrameTexture = gShownTexture = 0;
}

// Sets up the off-screen framebuffers; false where the driver has none.
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
  if (!makeFramebuffer(gShownFramebuffer, gShownTexture, w, h) || !makeFramebuffer(gFramebuffer, gFrameTexture, w, h)) {
    releaseFramebuffers();
    return false;
  }
  return true;
}

// Where the game area lies in the window now: the scale and the margins.
void placeGameArea() {
  if (!gWindow || !gFramebuffer) return;
  int dw, dh;
  SDL_GL_GetDrawableSize(gWindow, &dw, &dh);
  int s = std::min(dw / gGameWidth, dh / gGameHeight);
  gScale = s < 1 ? 1 : s;
  gOffsetX = (dw - gGameWidth * gScale) / 2;
  gOffsetY = (dh - gGameHeight * gScale) / 2;
}

std::string envFolder(const char *var, const char *homeRelative) {
  const char *v = std::getenv(var);
  if (v && *v == '/') return v;
  std::string home = homeFolder();
  if (home.empty()) return std::string();
  return home + homeRelative;
}

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int gameX(int windowX) { return floorDiv(windowX - gOffsetX, gScale); }
int gameY(int windowY) { return floorDiv(windowY - gOffsetY, gScale); }
} // namespace

bool initVideo() {
  if (gVideoUp) return true;
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  gVideoUp = true;
  return true;
}

std::string executableFolder() {
  char *base = SDL_GetBasePath();
  if (!base) return std::string(".");
  std::string s(base);
  SDL_free(base);
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string homeFolder() {
  const char *h = std::getenv("HOME");
  return h ? std::string(h) : std::string();
}

std::string configFolder() { return envFolder("XDG_CONFIG_HOME", "/.config"); }
std::string userDataFolder() { return envFolder("XDG_DATA_HOME", "/.local/share"); }

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
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBuffer ? 16 : 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  // The largest whole-number scale that fits the usable desktop.
  int scale = 1;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && width > 0 && height > 0)
    scale = std::max(1, std::min(usable.w / width, usable.h / height));
  if (scale > 1) {
    x = usable.x + (usable.w - width * scale) / 2;
    y = usable.y + (usable.h - height * scale) / 2;
  }
  gScale = 1;
  gOffsetX = gOffsetY = 0;
  gDesktopFullScreen = false;
  gWindow = SDL_CreateWindow(title ? title : "", x, y, width * scale, height * scale,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
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
    // Without off-screen framebuffers the game is drawn at its own size.
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

bool windowHasFocus() {
  if (!gWindow) return false;
  return (SDL_GetWindowFlags(gWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void windowPosition(int &x, int &y) {
  x = y = 0;
  if (gWindow) SDL_GetWindowPosition(gWindow, &x, &y);
}

bool makeContextCurrent() { return gWindow && gContext && SDL_GL_MakeCurrent(gWindow, gContext) == 0; }

void setSwapInterval(int interval) {
  if (gContext) SDL_GL_SetSwapInterval(interval);
}

void swapBuffers() {
  if (!gWindow) return;
  if (!gFramebuffer) {
    SDL_GL_SwapWindow(gWindow);
    return;
  }
  const int w = gGameWidth, h = gGameHeight;
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glDisable(GL_SCISSOR_TEST);
  // Keep the frame about to be shown, for reading the front buffer.
  pBindFramebuffer(GL_READ_FRAMEBUFFER, gFramebuffer);
  pBindFramebuffer(GL_DRAW_FRAMEBUFFER, gShownFramebuffer);
  pBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  placeGameArea();
  int dw, dh;
  SDL_GL_GetDrawableSize(gWindow, &dw, &dh);
  pBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  // OpenGL counts rows from the bottom: the lower margin is what the upper leaves.
  const int bottom = dh - gOffsetY - h * gScale;
  pBlitFramebuffer(0, 0, w, h, gOffsetX, bottom, gOffsetX + w * gScale, bottom + h * gScale, GL_COLOR_BUFFER_BIT,
                   GL_NEAREST);
  SDL_GL_SwapWindow(gWindow);
  pBindFramebuffer(GL_FRAMEBUFFER, gFramebuffer);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

void selectReadBuffer(bool front) {
  if (gFramebuffer) {
    pBindFramebuffer(GL_READ_FRAMEBUFFER, front ? gShownFramebuffer : gFramebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
  } else {
    glReadBuffer(front ? GL_FRONT : GL_BACK);
  }
}

void endRead() {
  if (gFramebuffer) pBindFramebuffer(GL_READ_FRAMEBUFFER, gFramebuffer);
  else glReadBuffer(GL_BACK);
}

bool setDesktopFullScreen(bool on) {
  if (!gWindow || !gFramebuffer) return false;
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

bool pollEvent(Event &e) {
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    e = Event();
    switch (ev.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      e.kind = ev.type == SDL_MOUSEBUTTONDOWN ? Event::MouseDown : Event::MouseUp;
      e.button = ev.button.button == SDL_BUTTON_LEFT ? 1 : ev.button.button == SDL_BUTTON_RIGHT ? 2 : 3;
      e.clicks = ev.button.clicks;
      e.x = gameX(ev.button.x);
      e.y = gameY(ev.button.y);
      return true;
    case SDL_MOUSEMOTION:
      e.kind = Event::MouseMoved;
      e.x = gameX(ev.motion.x);
      e.y = gameY(ev.motion.y);
      return true;
    case SDL_MOUSEWHEEL:
      e.kind = Event::MouseWheel;
      e.wheel = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -ev.wheel.y : ev.wheel.y;
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      e.kind = ev.type == SDL_KEYUP ? Event::KeyUp : ev.key.repeat ? Event::KeyRepeat : Event::KeyDown;
      e.scancode = ev.key.keysym.scancode;
      if (ev.key.keysym.sym > 0 && ev.key.keysym.sym < 128) e.charCode = static_cast<char>(ev.key.keysym.sym);
      return true;
    case SDL_QUIT:
      e.kind = Event::Quit;
      return true;
    case SDL_AUDIODEVICEREMOVED:
      // Sound goes on through whichever device is now the default.
      if (!ev.adevice.iscapture) SoundChannel::deviceLost(ev.adevice.which);
      break;
    case SDL_WINDOWEVENT:
      switch (ev.window.event) {
      case SDL_WINDOWEVENT_CLOSE: e.kind = Event::WindowClose; return true;
      case SDL_WINDOWEVENT_EXPOSED: e.kind = Event::WindowExposed; return true;
      case SDL_WINDOWEVENT_FOCUS_GAINED: e.kind = Event::AppActivated; return true;
      case SDL_WINDOWEVENT_FOCUS_LOST: e.kind = Event::AppDeactivated; return true;
      default: break;
      }
      break;
    default:
      break;
    }
  }
  return false;
}

void waitForEvent(int milliseconds) {
  if (milliseconds <= 0) return;
  if (!gVideoUp) {
    sleepMilliseconds(milliseconds);
    return;
  }
  SDL_WaitEventTimeout(nullptr, milliseconds);
}

void pumpEvents() {
  if (gVideoUp) SDL_PumpEvents();
}

void mousePosition(int &x, int &y) {
  if (gScripted) {
    x = gScripted->mouseX;
    y = gScripted->mouseY;
    return;
  }
  x = y = 0;
  if (!gVideoUp) return;
  // Over the window (or while a press holds it) the window's own mouse
  // state follows every event; elsewhere the desktop's pointer is asked.
  if (gWindow && SDL_GetMouseFocus() == gWindow) {
    int wx, wy;
    SDL_GetMouseState(&wx, &wy);
    x = gameX(wx);
    y = gameY(wy);
    return;
  }
  int gx, gy, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  if (gWindow) SDL_GetWindowPosition(gWindow, &wx, &wy);
  x = gameX(gx - wx);
  y = gameY(gy - wy);
}

bool leftButtonDown() {
  if (gScripted) return gScripted->leftButton;
  if (!gVideoUp) return false;
  if (gWindow && SDL_GetMouseFocus() == gWindow)
    return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
  return (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
}

bool keyDown(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return false;
  if (gScripted) return scancode < 512 && gScripted->keys[scancode];
  if (!gVideoUp) return false;
  int n = 0;
  const Uint8 *state = SDL_GetKeyboardState(&n);
  return scancode < n && state[scancode];
}

void showCursor(bool show) {
  if (gVideoUp) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void warpMouse(int x, int y) {
  if (gWindow) SDL_WarpMouseInWindow(gWindow, gOffsetX + x * gScale, gOffsetY + y * gScale);
}

void setScriptedInput(const ScriptedInput *input) { gScripted = input; }

void setScriptedClock(const uint64_t *microseconds) { gScriptedClock = microseconds; }

uint64_t microseconds() {
  if (gScriptedClock) return *gScriptedClock;
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<std::chrono::microseconds>(steady_clock::now().time_since_epoch()).count());
}

int localYear() {
  std::time_t t = std::time(nullptr);
  std::tm tmv;
  localtime_r(&t, &tmv);
  return tmv.tm_year + 1900;
}

void sleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void setMessageHook(MessageHook hook) { gMessageHook = hook; }

void messageBox(const char *heading, const char *detail) {
  const char *h = heading ? heading : "";
  const char *d = detail ? detail : "";
  if (gMessageHook) {
    gMessageHook(h, d);
    return;
  }
  const char *drv = gVideoUp ? SDL_GetCurrentVideoDriver() : nullptr;
  bool desktop = drv && std::string(drv) != "offscreen" && std::string(drv) != "dummy" &&
                 !std::getenv("ZUNK_MESSAGES_TO_STDERR");
  if (desktop && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, d, h, gWindow) == 0) return;
  std::fprintf(stderr, "%s%s%s\n", d, *d && *h ? ": " : "", h);
}

bool openURL(const char *url) { return url && SDL_OpenURL(url) == 0; }

std::string preferredLocale() {
  SDL_Locale *locales = SDL_GetPreferredLocales();
  std::string result;
  if (locales && locales[0].language) {
    result = locales[0].language;
    if (locales[0].country) result += std::string("_") + locales[0].country;
  }
  SDL_free(locales);
  return result;
}

} // namespace platform
