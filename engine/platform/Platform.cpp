#include "Platform.h"

#include <SDL.h>

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
MessageHook gMessageHook = nullptr;
bool gVideoUp = false;
// The window's content is the game area times this whole number.
int gScale = 1;

std::string envFolder(const char *var, const char *homeRelative) {
  const char *v = std::getenv(var);
  if (v && *v == '/') return v;
  std::string home = homeFolder();
  if (home.empty()) return std::string();
  return home + homeRelative;
}

int toGame(int windowPixels) { return windowPixels >= 0 ? windowPixels / gScale : -((-windowPixels + gScale - 1) / gScale); }
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
  gScale = 1;
  gWindow = SDL_CreateWindow(title ? title : "", x, y, width * gScale, height * gScale,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!gWindow) return false;
  gContext = SDL_GL_CreateContext(gWindow);
  if (!gContext) {
    SDL_DestroyWindow(gWindow);
    gWindow = nullptr;
    return false;
  }
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
  if (gWindow) SDL_GL_SwapWindow(gWindow);
}

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
      e.x = toGame(ev.button.x);
      e.y = toGame(ev.button.y);
      return true;
    case SDL_MOUSEMOTION:
      e.kind = Event::MouseMoved;
      e.x = toGame(ev.motion.x);
      e.y = toGame(ev.motion.y);
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
    x = toGame(wx);
    y = toGame(wy);
    return;
  }
  int gx, gy, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  if (gWindow) SDL_GetWindowPosition(gWindow, &wx, &wy);
  x = toGame(gx - wx);
  y = toGame(gy - wy);
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
  if (gWindow) SDL_WarpMouseInWindow(gWindow, x * gScale, y * gScale);
}

void setScriptedInput(const ScriptedInput *input) { gScripted = input; }

uint64_t microseconds() {
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
