#include "controls.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {
// The gamepad the game follows: the first one plugged in.
const char kPad = 0;

bool keyDown[K_VK_ERROR] = {}, keyWasDown[K_VK_ERROR] = {};
bool padDown[K_JOY_DPAD_RIGHT + 1] = {}, padWasDown[K_JOY_DPAD_RIGHT + 1] = {};
bool mouseDown = false, mouseWasDown = false;
int mouseAtX = 0, mouseAtY = 0;
int stickX = 0, stickY = 0;

// The keys and gamepad buttons the play reads, by their bit in PlayInput.
const struct {
  uint32_t bit;
  EKeyboardLayout key;
} kPlayKeys[] = {{kHeldSpace, K_VK_SPACE}, {kHeldLeft, K_VK_LEFT},     {kHeldRight, K_VK_RIGHT},
                 {kHeldUp, K_VK_UP},       {kHeldDown, K_VK_DOWN},     {kHeldP, K_VK_P},
                 {kHeldEscape, K_VK_ESCAPE}, {kHeldBackspace, K_VK_BACK}, {kHeldReturn, K_VK_RETURN}};
const struct {
  uint32_t bit;
  int button;
} kPlayButtons[] = {{kHeldPadA, K_JOY_A},           {kHeldPadB, K_JOY_B},         {kHeldPadStart, K_JOY_START},
                    {kHeldPadLeft, K_JOY_DPAD_LEFT}, {kHeldPadRight, K_JOY_DPAD_RIGHT}, {kHeldPadUp, K_JOY_DPAD_UP},
                    {kHeldPadDown, K_JOY_DPAD_DOWN}};

bool padPressed(int button) { return padDown[button] && !padWasDown[button]; }
// What was down becomes what was down last frame.
void nextFrame() {
  std::copy(std::begin(keyDown), std::end(keyDown), keyWasDown);
  std::copy(std::begin(padDown), std::end(padDown), padWasDown);
  mouseWasDown = mouseDown;
}
} // namespace

void readControls() {
  nextFrame();
  for (int k = 0; k < K_VK_ERROR; k++) keyDown[k] = KInput::isPressed(static_cast<EKeyboardLayout>(k));
  // A gamepad plugged in mid-game is taken up at once; one pulled out reads
  // as released, and the mouse and keyboard go on.
  const bool pad = KInput::joyEnable(kPad);
  for (int b = 0; b <= K_JOY_DPAD_RIGHT; b++) padDown[b] = pad && KInput::joyButtonN(kPad, b);
  stickX = pad ? static_cast<int>(KInput::joyX(kPad, 0)) : 0;
  stickY = pad ? static_cast<int>(KInput::joyY(kPad, 0)) : 0;
  mouseDown = KInput::getLeftButtonState();
  mouseAtX = KInput::getMouseX();
  mouseAtY = KInput::getMouseY();
}

PlayInput playInput() {
  PlayInput input;
  input.mouseX = static_cast<int16_t>(mouseAtX);
  input.mouseY = static_cast<int16_t>(mouseAtY);
  input.held = mouseDown ? static_cast<uint32_t>(kHeldMouse) : 0u;
  for (const auto &k : kPlayKeys)
    if (keyDown[k.key]) input.held |= k.bit;
  for (const auto &b : kPlayButtons)
    if (padDown[b.button]) input.held |= b.bit;
  input.stickX = static_cast<int16_t>(std::clamp(stickX, -32768, 32767));
  input.stickY = static_cast<int16_t>(std::clamp(stickY, -32768, 32767));
  return input;
}

void resetControls() {
  std::fill(std::begin(keyDown), std::end(keyDown), false);
  std::fill(std::begin(keyWasDown), std::end(keyWasDown), false);
  std::fill(std::begin(padDown), std::end(padDown), false);
  std::fill(std::begin(padWasDown), std::end(padWasDown), false);
  mouseDown = mouseWasDown = false;
  mouseAtX = mouseAtY = 0;
  stickX = stickY = 0;
}

bool keyPressed(EKeyboardLayout key) { return key >= 0 && key < K_VK_ERROR && keyDown[key] && !keyWasDown[key]; }
bool clickPressed() { return mouseDown && !mouseWasDown; }

bool backPressed() { return keyPressed(K_VK_ESCAPE) || keyPressed(K_VK_BACK) || padPressed(K_JOY_B); }
bool confirmPressed() { return keyPressed(K_VK_RETURN) || padPressed(K_JOY_A); }

int focusStep() {
  const bool shift = keyDown[K_VK_SHIFT] || keyDown[K_VK_RSHIFT];
  if (keyPressed(K_VK_DOWN) || (keyPressed(K_VK_TAB) && !shift) || padPressed(K_JOY_DPAD_DOWN)) return 1;
  if (keyPressed(K_VK_UP) || (keyPressed(K_VK_TAB) && shift) || padPressed(K_JOY_DPAD_UP)) return -1;
  return 0;
}

int mouseX() { return mouseAtX; }
int mouseY() { return mouseAtY; }
bool mouseHeld() { return mouseDown; }
