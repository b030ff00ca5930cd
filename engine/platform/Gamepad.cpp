// Game controllers: SDL's game-controller API, opened as they are plugged in
// and let go as they are pulled out, in up to kControllerSlots slots kept in
// the order the controllers arrived.

#include "Platform.h"

#include <SDL.h>

namespace platform {

namespace {
// The controllers followed.
struct GamepadContext {
  SDL_GameController *slots[kControllerSlots] = {};
  bool controllersUp = false;
};
GamepadContext gamepads_;

// The engine numbers buttons and axes as SDL's game-controller API does.
static_assert(SDL_CONTROLLER_BUTTON_A == 0 && SDL_CONTROLLER_BUTTON_START == 6 &&
                  SDL_CONTROLLER_BUTTON_DPAD_RIGHT == 14,
              "pad buttons keep SDL's order");
static_assert(SDL_CONTROLLER_AXIS_LEFTX == 0 && SDL_CONTROLLER_AXIS_RIGHTY == 3, "pad axes keep SDL's order");

bool slotHolds(int index) { return index >= 0 && index < kControllerSlots && gamepads_.slots[index]; }
} // namespace

bool initControllers() {
  if (gamepads_.controllersUp) return true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  gamepads_.controllersUp = true;
  rescanControllers();
  return true;
}

void rescanControllers() {
  if (!gamepads_.controllersUp) return;
  SDL_GameControllerUpdate();
  // Those pulled out free their slot...
  for (SDL_GameController *&pad : gamepads_.slots)
    if (pad && !SDL_GameControllerGetAttached(pad)) {
      SDL_GameControllerClose(pad);
      pad = nullptr;
    }
  // ...and those plugged in take the first free one.
  for (int device = 0; device < SDL_NumJoysticks(); device++) {
    if (!SDL_IsGameController(device)) continue;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    bool open = false;
    for (SDL_GameController *pad : gamepads_.slots)
      if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id) open = true;
    if (open) continue;
    for (SDL_GameController *&pad : gamepads_.slots)
      if (!pad) {
        pad = SDL_GameControllerOpen(device);
        break;
      }
  }
}

void closeControllers() {
  for (SDL_GameController *&pad : gamepads_.slots) {
    if (pad) SDL_GameControllerClose(pad);
    pad = nullptr;
  }
  if (gamepads_.controllersUp) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  gamepads_.controllersUp = false;
}

bool controllerAttached(int index) { return slotHolds(index) && SDL_GameControllerGetAttached(gamepads_.slots[index]); }

bool controllerButton(int index, int button) {
  if (!controllerAttached(index) || button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX) return false;
  return SDL_GameControllerGetButton(gamepads_.slots[index], static_cast<SDL_GameControllerButton>(button)) != 0;
}

int controllerAxis(int index, int axis) {
  if (!controllerAttached(index) || axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX) return 0;
  return SDL_GameControllerGetAxis(gamepads_.slots[index], static_cast<SDL_GameControllerAxis>(axis));
}

} // namespace platform
