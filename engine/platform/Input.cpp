// Events and input: the platform's event queue translated into Events, the
// mouse and keyboard state in game pixels, the pointer, and scripted input
// for tests. Owns the scripted input; the window's state is read through
// WindowState.h.

#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>

namespace platform {

namespace {
const ScriptedInput *gScripted = nullptr;
AudioDeviceLost gAudioDeviceLost = nullptr;
} // namespace

void setAudioDeviceLostHandler(AudioDeviceLost handler) { gAudioDeviceLost = handler; }

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
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
      rescanControllers();
      break;
    case SDL_QUIT:
      e.kind = Event::Quit;
      return true;
    case SDL_AUDIODEVICEREMOVED:
      // The sound side reopens whichever device is now the default.
      if (!ev.adevice.iscapture && gAudioDeviceLost) gAudioDeviceLost(ev.adevice.which);
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
  if (!videoUp()) {
    sleepMilliseconds(milliseconds);
    return;
  }
  SDL_WaitEventTimeout(nullptr, milliseconds);
}

void pumpEvents() {
  if (videoUp()) SDL_PumpEvents();
}

void mousePosition(int &x, int &y) {
  if (gScripted) {
    x = gScripted->mouseX;
    y = gScripted->mouseY;
    return;
  }
  x = y = 0;
  if (!videoUp()) return;
  // Over the window (or while a press holds it) the window's own mouse
  // state follows every event; elsewhere the desktop's pointer is asked.
  SDL_Window *window = sdlWindow();
  if (window && SDL_GetMouseFocus() == window) {
    int wx, wy;
    SDL_GetMouseState(&wx, &wy);
    x = gameX(wx);
    y = gameY(wy);
    return;
  }
  int gx, gy, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  if (window) SDL_GetWindowPosition(window, &wx, &wy);
  x = gameX(gx - wx);
  y = gameY(gy - wy);
}

bool leftButtonDown() {
  if (gScripted) return gScripted->leftButton;
  if (!videoUp()) return false;
  if (sdlWindow() && SDL_GetMouseFocus() == sdlWindow())
    return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
  return (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
}

bool keyDown(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return false;
  if (gScripted) return scancode < 512 && gScripted->keys[scancode];
  if (!videoUp()) return false;
  int n = 0;
  const Uint8 *state = SDL_GetKeyboardState(&n);
  return scancode < n && state[scancode];
}

void showCursor(bool show) {
  if (videoUp()) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void warpMouse(int x, int y) {
  if (sdlWindow()) SDL_WarpMouseInWindow(sdlWindow(), windowX(x), windowY(y));
}

void setScriptedInput(const ScriptedInput *input) { gScripted = input; }

bool windowHasFocus() {
  if (gScripted) return gScripted->focused;
  SDL_Window *window = sdlWindow();
  return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

} // namespace platform
