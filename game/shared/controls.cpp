#include "controls.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {
// The gamepad the game follows: the first one plugged in.
const char kPad = 0;

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
} // namespace

void Controls::read() {
  std::copy(std::begin(keyDown_), std::end(keyDown_), keyWasDown_);
  std::copy(std::begin(padDown_), std::end(padDown_), padWasDown_);
  mouseWasDown_ = mouseDown_;
  for (int k = 0; k < K_VK_ERROR; k++) keyDown_[k] = KInput::isPressed(static_cast<EKeyboardLayout>(k));
  // A gamepad plugged in mid-game is taken up at once; one pulled out reads
  // as released, and the mouse and keyboard go on.
  const bool pad = KInput::joyEnable(kPad);
  for (int b = 0; b <= K_JOY_DPAD_RIGHT; b++) padDown_[b] = pad && KInput::joyButtonN(kPad, b);
  stickX_ = pad ? static_cast<int>(KInput::joyX(kPad, 0)) : 0;
  stickY_ = pad ? static_cast<int>(KInput::joyY(kPad, 0)) : 0;
  mouseDown_ = KInput::getLeftButtonState();
  mouseX_ = KInput::getMouseX();
  mouseY_ = KInput::getMouseY();
}

PlayInput Controls::playInput() const {
  PlayInput input;
  input.mouseX = static_cast<int16_t>(mouseX_);
  input.mouseY = static_cast<int16_t>(mouseY_);
  input.held = mouseDown_ ? static_cast<uint32_t>(kHeldMouse) : 0u;
  for (const auto &k : kPlayKeys)
    if (keyDown_[k.key]) input.held |= k.bit;
  for (const auto &b : kPlayButtons)
    if (padDown_[b.button]) input.held |= b.bit;
  input.stickX = static_cast<int16_t>(std::clamp(stickX_, -32768, 32767));
  input.stickY = static_cast<int16_t>(std::clamp(stickY_, -32768, 32767));
  return input;
}

bool Controls::keyHeld(EKeyboardLayout key) const { return key >= 0 && key < K_VK_ERROR && keyDown_[key]; }
bool Controls::keyPressed(EKeyboardLayout key) const { return keyHeld(key) && !keyWasDown_[key]; }

bool Controls::backPressed() const {
  return keyPressed(K_VK_ESCAPE) || keyPressed(K_VK_BACK) || padPressed(K_JOY_B);
}
bool Controls::confirmPressed() const { return keyPressed(K_VK_RETURN) || padPressed(K_JOY_A); }

int Controls::focusStep() const {
  const bool shift = keyDown_[K_VK_SHIFT] || keyDown_[K_VK_RSHIFT];
  if (keyPressed(K_VK_DOWN) || (keyPressed(K_VK_TAB) && !shift) || padPressed(K_JOY_DPAD_DOWN)) return 1;
  if (keyPressed(K_VK_UP) || (keyPressed(K_VK_TAB) && shift) || padPressed(K_JOY_DPAD_UP)) return -1;
  return 0;
}
