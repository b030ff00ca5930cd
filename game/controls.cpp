#include "controls.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {
// The gamepad the game follows: the first one plugged in.
const char kPad = 0;
// A stick deflection smaller than this is the stick at rest.
const int kStickDeadZone = 8000;
const int kStickTravel = 32768;

bool keyDown[K_VK_ERROR] = {}, keyWasDown[K_VK_ERROR] = {};
bool padDown[K_JOY_DPAD_RIGHT + 1] = {}, padWasDown[K_JOY_DPAD_RIGHT + 1] = {};
bool mouseDown = false, mouseWasDown = false;
int stickX = 0, stickY = 0;

struct Pull {
  bool active = false;
  int x = 0, y = 0;         ///< the point the ball follows
  int grabX = 0, grabY = 0; ///< where it was grabbed: the stick pulls from there
  int heldFrames = 0;       ///< how long an arrow has been held
} pull;

bool padPressed(int button) { return padDown[button] && !padWasDown[button]; }
bool grabHeld() { return keyDown[K_VK_SPACE] || padDown[K_JOY_A]; }
bool grabPressed() { return keyPressed(K_VK_SPACE) || padPressed(K_JOY_A); }
} // namespace

void readControls() {
  std::copy(std::begin(keyDown), std::end(keyDown), keyWasDown);
  for (int k = 0; k < K_VK_ERROR; k++) keyDown[k] = KInput::isPressed(static_cast<EKeyboardLayout>(k));
  std::copy(std::begin(padDown), std::end(padDown), padWasDown);
  // A gamepad plugged in mid-game is taken up at once; one pulled out reads
  // as released, and the mouse and keyboard go on.
  const bool pad = KInput::joyEnable(kPad);
  for (int b = 0; b <= K_JOY_DPAD_RIGHT; b++) padDown[b] = pad && KInput::joyButtonN(kPad, b);
  stickX = pad ? static_cast<int>(KInput::joyX(kPad, 0)) : 0;
  stickY = pad ? static_cast<int>(KInput::joyY(kPad, 0)) : 0;
  mouseWasDown = mouseDown;
  mouseDown = KInput::getLeftButtonState();
}

void resetControls() {
  std::fill(std::begin(keyDown), std::end(keyDown), false);
  std::fill(std::begin(keyWasDown), std::end(keyWasDown), false);
  std::fill(std::begin(padDown), std::end(padDown), false);
  std::fill(std::begin(padWasDown), std::end(padWasDown), false);
  mouseDown = mouseWasDown = false;
  stickX = stickY = 0;
  pull = Pull();
}

bool keyPressed(EKeyboardLayout key) { return key >= 0 && key < K_VK_ERROR && keyDown[key] && !keyWasDown[key]; }
bool clickPressed() { return mouseDown && !mouseWasDown; }

bool pausePressed() { return keyPressed(K_VK_P) || keyPressed(K_VK_ESCAPE) || padPressed(K_JOY_START); }
bool backPressed() { return keyPressed(K_VK_ESCAPE) || keyPressed(K_VK_BACK) || padPressed(K_JOY_B); }
bool leavePressed() { return keyPressed(K_VK_BACK) || padPressed(K_JOY_B); }
bool confirmPressed() { return keyPressed(K_VK_RETURN) || padPressed(K_JOY_A); }

int focusStep() {
  const bool shift = keyDown[K_VK_SHIFT] || keyDown[K_VK_RSHIFT];
  if (keyPressed(K_VK_DOWN) || (keyPressed(K_VK_TAB) && !shift) || padPressed(K_JOY_DPAD_DOWN)) return 1;
  if (keyPressed(K_VK_UP) || (keyPressed(K_VK_TAB) && shift) || padPressed(K_JOY_DPAD_UP)) return -1;
  return 0;
}

void updatePull(float ballX, float ballY, bool ballFree) {
  if (!pull.active) {
    if (!grabPressed() || !ballFree) return;
    pull.active = true;
    pull.x = pull.grabX = static_cast<int>(ballX) + kGrabOffsetX;
    pull.y = pull.grabY = static_cast<int>(ballY) + kGrabOffsetY;
    pull.heldFrames = 0;
    return;
  }
  if (!grabHeld()) {
    pull.active = false; // the ball sees the point let go, and flies
    return;
  }
  const int dx = (keyDown[K_VK_RIGHT] || padDown[K_JOY_DPAD_RIGHT]) - (keyDown[K_VK_LEFT] || padDown[K_JOY_DPAD_LEFT]);
  const int dy = (keyDown[K_VK_DOWN] || padDown[K_JOY_DPAD_DOWN]) - (keyDown[K_VK_UP] || padDown[K_JOY_DPAD_UP]);
  if (dx || dy) {
    const int step = std::min(kPullStartStep + pull.heldFrames / kPullSpeedUpFrames, kPullTopStep);
    pull.heldFrames++;
    pull.x += dx * step;
    pull.y += dy * step;
  } else {
    pull.heldFrames = 0;
  }
  // Like a real sling, the stick's deflection is the pull.
  if (std::abs(stickX) > kStickDeadZone || std::abs(stickY) > kStickDeadZone) {
    pull.x = pull.grabX + stickX * kStickPull / kStickTravel;
    pull.y = pull.grabY + stickY * kStickPull / kStickTravel;
  }
  pull.x = std::clamp(pull.x, 0, 319);
  pull.y = std::clamp(pull.y, 0, 479);
}

int pointerX() { return pull.active ? pull.x : KInput::getMouseX(); }
int pointerY() { return pull.active ? pull.y : KInput::getMouseY(); }
bool pointerDown() { return (pull.active && grabHeld()) || KInput::getLeftButtonState(); }
