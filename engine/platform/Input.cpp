// Events and input: the platform's event queue translated into Events, the
// mouse and keyboard state in game pixels (mapped through the window's
// placement), presses too short for a frame, touch as the mouse, the
// pointer, and scripted input for tests. Owns the scripted input and what
// the input remembers; the window's state is read through WindowState.h.

#include "InputState.h"
#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>

namespace platform {

namespace {
// A page knows where the mouse is only once it has moved over it; a
// desktop's is where it is from the start.
#ifdef __EMSCRIPTEN__
const bool kMousePointsAtStart = false;
#else
const bool kMousePointsAtStart = true;
#endif

// The input's state: the script standing in for the devices (and the
// script as last looked at), what the input remembers between events and
// reads, and whether the mouse is the pointer.
struct InputContext {
  const ScriptedInput *scripted = nullptr;
  ScriptedInput lastScript;
  AudioDeviceLost audioDeviceLost = nullptr;
  ShortPresses presses;
  TouchPointer touch;
  bool mousePoints = kMousePointsAtStart;
  std::string droppedFile; ///< the last file dropped on the window, until taken
};
InputContext input_;

// Whether a key's press is the player playing or choosing by keys (the
// mouse is then no pointer), not a modifier or a function key that goes
// with the mouse as well (Ctrl+Plus, F11, Shift+F6).
bool keyOfPlay(int scancode) {
  const bool modifier = scancode >= SDL_SCANCODE_LCTRL && scancode <= SDL_SCANCODE_RGUI;
  const bool function = (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) ||
                        (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24);
  return scancode > SDL_SCANCODE_UNKNOWN && !modifier && !function;
}

// A script changes the devices without events: what changed since it was
// last looked at counts as the events would.
void followScript() {
  if (!input_.scripted) return;
  const ScriptedInput &now = *input_.scripted, &was = input_.lastScript;
  if (now.mouseX != was.mouseX || now.mouseY != was.mouseY || (now.leftButton && !was.leftButton)) {
    input_.touch.mouseUsed();
    input_.mousePoints = true;
  }
  for (int k = 0; k < 512; k++)
    if (now.keys[k] && !was.keys[k] && keyOfPlay(k)) input_.mousePoints = false;
  input_.lastScript = now;
}

// A point of the window (its middle for a whole point) as a game pixel.
void toGame(double x, double y, int &gameX, int &gameY) { gamePixelAt(lastPlacement(), x, y, gameX, gameY); }

// A finger's place, from 0 to 1 across the window, in the window's points.
double acrossPoints(float fraction, bool vertical) {
  const Placement &p = lastPlacement();
  return fraction * (vertical ? p.pointsHeight : p.pointsWidth);
}

// Every event the input remembers something of, from the devices or a
// test, the moment it arrives: the device state SDL keeps changes then too.
void remember(const Event &e) {
  switch (e.kind) {
  case Event::MouseDown:
    input_.touch.mouseUsed();
    input_.mousePoints = true;
    if (e.button == 1) input_.presses.pressed(ShortPresses::kLeftButton);
    break;
  case Event::MouseMoved:
    input_.touch.mouseUsed();
    input_.mousePoints = true;
    break;
  case Event::KeyDown:
    input_.presses.pressed(e.scancode);
    if (keyOfPlay(e.scancode)) input_.mousePoints = false;
    break;
  case Event::FingerDown:
    input_.mousePoints = false;
    if (input_.touch.fingerDown(e.finger, acrossPoints(e.touchX, false), acrossPoints(e.touchY, true)))
      input_.presses.pressed(ShortPresses::kLeftButton);
    break;
  case Event::FingerMoved:
    input_.touch.fingerMoved(e.finger, acrossPoints(e.touchX, false), acrossPoints(e.touchY, true));
    break;
  case Event::FingerUp:
    input_.touch.fingerUp(e.finger, acrossPoints(e.touchX, false), acrossPoints(e.touchY, true));
    break;
  default: break;
  }
}

// A stick pushed this far (of 32767) is played, not resting or drifting.
const int kStickPlayed = 16384;

// Runs inside SDL as each event is queued.
int watchEvent(void *, SDL_Event *ev) {
  Event e;
  switch (ev->type) {
  case SDL_MOUSEBUTTONDOWN:
    e.kind = Event::MouseDown;
    e.button = ev->button.button == SDL_BUTTON_LEFT ? 1 : 0;
    break;
  case SDL_MOUSEMOTION: e.kind = Event::MouseMoved; break;
  case SDL_KEYDOWN:
    if (ev->key.repeat) return 1;
    e.kind = Event::KeyDown;
    e.scancode = ev->key.keysym.scancode;
    break;
  case SDL_FINGERDOWN:
  case SDL_FINGERMOTION:
  case SDL_FINGERUP:
    e.kind = ev->type == SDL_FINGERDOWN ? Event::FingerDown
             : ev->type == SDL_FINGERUP ? Event::FingerUp
                                        : Event::FingerMoved;
    e.finger = ev->tfinger.fingerId;
    e.touchX = ev->tfinger.x;
    e.touchY = ev->tfinger.y;
    break;
  case SDL_CONTROLLERBUTTONDOWN:
    // A gamepad played: the mouse is no pointer.
    input_.mousePoints = false;
    return 1;
  case SDL_CONTROLLERAXISMOTION:
    if (ev->caxis.value > kStickPlayed || ev->caxis.value < -kStickPlayed) input_.mousePoints = false;
    return 1;
  default: return 1;
  }
  // Mouse events SDL makes of touch (when asked to) are the touch's own.
  if ((ev->type == SDL_MOUSEBUTTONDOWN && ev->button.which == SDL_TOUCH_MOUSEID) ||
      (ev->type == SDL_MOUSEMOTION && ev->motion.which == SDL_TOUCH_MOUSEID))
    return 1;
  remember(e);
  return 1;
}
} // namespace

void watchInput() {
  SDL_DelEventWatch(watchEvent, nullptr);
  SDL_AddEventWatch(watchEvent, nullptr);
}

void feedInput(const Event &event) { remember(event); }

void endOfFrame() {
  followScript();
  input_.presses.frameEnded();
}

bool mousePointing() {
  followScript();
  return input_.mousePoints;
}

std::string takeDroppedFile() {
  std::string file;
  file.swap(input_.droppedFile);
  return file;
}

void forgetPress(int scancode) { input_.presses.forget(scancode); }

void setAudioDeviceLostHandler(AudioDeviceLost handler) { input_.audioDeviceLost = handler; }

bool pollEvent(Event &e) {
  // A signal asked the program to end: as the session's own request would.
  if (endAsked()) {
    e = Event();
    e.kind = Event::Quit;
    return true;
  }
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    e = Event();
    switch (ev.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      e.kind = ev.type == SDL_MOUSEBUTTONDOWN ? Event::MouseDown : Event::MouseUp;
      e.button = ev.button.button == SDL_BUTTON_LEFT ? 1 : ev.button.button == SDL_BUTTON_RIGHT ? 2 : 3;
      e.clicks = ev.button.clicks;
      toGame(ev.button.x + 0.5, ev.button.y + 0.5, e.x, e.y);
      return true;
    case SDL_MOUSEMOTION:
      e.kind = Event::MouseMoved;
      toGame(ev.motion.x + 0.5, ev.motion.y + 0.5, e.x, e.y);
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
    case SDL_DROPFILE:
      if (ev.drop.file) {
        input_.droppedFile = ev.drop.file;
        SDL_free(ev.drop.file);
      }
      break;
    case SDL_DROPTEXT: // text dragged from another program: not a file
      SDL_free(ev.drop.file);
      break;
    case SDL_AUDIODEVICEREMOVED:
      // The sound side reopens whichever device is now the default.
      if (!ev.adevice.iscapture && input_.audioDeviceLost) input_.audioDeviceLost(ev.adevice.which);
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
  if (input_.touch.pointing()) {
    toGame(input_.touch.x(), input_.touch.y(), x, y);
    return;
  }
  if (input_.scripted) {
    x = input_.scripted->mouseX;
    y = input_.scripted->mouseY;
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
    toGame(wx + 0.5, wy + 0.5, x, y);
    return;
  }
  int gx, gy, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  if (window) SDL_GetWindowPosition(window, &wx, &wy);
  toGame(gx - wx + 0.5, gy - wy + 0.5, x, y);
}

bool leftButtonDown() {
  bool held = false;
  if (input_.touch.pointing()) held = input_.touch.held();
  else if (input_.scripted) held = input_.scripted->leftButton;
  else if (!videoUp()) held = false;
  else if (sdlWindow() && SDL_GetMouseFocus() == sdlWindow())
    held = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
  else held = (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
  return input_.presses.read(ShortPresses::kLeftButton, held);
}

bool keyHeld(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return false;
  if (input_.scripted) return scancode < 512 && input_.scripted->keys[scancode];
  if (!videoUp()) return false;
  int n = 0;
  const Uint8 *state = SDL_GetKeyboardState(&n);
  return scancode < n && state[scancode];
}

bool keyDown(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return false;
  return input_.presses.read(scancode, keyHeld(scancode));
}

void showCursor(bool show) {
  if (videoUp()) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void warpMouse(int x, int y) {
  int wx, wy;
  windowPointOf(lastPlacement(), x, y, wx, wy);
  if (sdlWindow()) SDL_WarpMouseInWindow(sdlWindow(), wx, wy);
}

void setScriptedInput(const ScriptedInput *input) {
  // A script starts from nothing pressed or touched, and so do the devices after it.
  input_.scripted = input;
  input_.presses.forgetAll();
  input_.touch.reset();
  // A script's mouse is where it says from the start.
  if (input) input_.lastScript = *input;
  input_.mousePoints = input ? true : kMousePointsAtStart;
}

bool windowHasFocus() {
  if (input_.scripted) return input_.scripted->focused;
  SDL_Window *window = sdlWindow();
  return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

} // namespace platform
