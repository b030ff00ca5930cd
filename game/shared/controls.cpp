#include "controls.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {
// The gamepad the game follows: the first one plugged in.
const char kPad = 0;

// The play's bits of each keyboard action that the play reads, and the
// keys it reads whatever the map says.
const struct {
  uint32_t bit;
  KeyAction action;
} kPlayActions[] = {{kHeldSpace, kActThrow},    {kHeldLeft, kActPullLeft}, {kHeldRight, kActPullRight},
                    {kHeldUp, kActPullUp},      {kHeldDown, kActPullDown}, {kHeldP, kActPause},
                    {kHeldBackspace, kActBack}};
const struct {
  uint32_t bit;
  EKeyboardLayout key;
} kPlayKeys[] = {{kHeldEscape, K_VK_ESCAPE}, {kHeldReturn, K_VK_RETURN}};
// The gamepad's: its two that the map gives, the rest as they are.
const struct {
  uint32_t bit;
  PadAction action;
} kPlayPadActions[] = {{kHeldPadA, kPadThrow}, {kHeldPadB, kPadBack}};
const struct {
  uint32_t bit;
  int button;
} kPlayButtons[] = {{kHeldPadStart, K_JOY_START},     {kHeldPadLeft, K_JOY_DPAD_LEFT}, {kHeldPadRight, K_JOY_DPAD_RIGHT},
                    {kHeldPadUp, K_JOY_DPAD_UP},      {kHeldPadDown, K_JOY_DPAD_DOWN}};
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
  dropped_ = KInput::takeDroppedFile();
}

PlayInput Controls::playInput() const {
  PlayInput input;
  input.mouseX = static_cast<int16_t>(mouseX_);
  input.mouseY = static_cast<int16_t>(mouseY_);
  input.held = mouseDown_ ? static_cast<uint32_t>(kHeldMouse) : 0u;
  for (const auto &a : kPlayActions)
    if (keyHeld(keys_.keys[a.action])) input.held |= a.bit;
  for (const auto &k : kPlayKeys)
    if (keyDown_[k.key]) input.held |= k.bit;
  for (const auto &a : kPlayPadActions)
    if (padHeld(keys_.pad[a.action])) input.held |= a.bit;
  for (const auto &b : kPlayButtons)
    if (padDown_[b.button]) input.held |= b.bit;
  input.stickX = static_cast<int16_t>(std::clamp(stickX_, -32768, 32767));
  input.stickY = static_cast<int16_t>(std::clamp(stickY_, -32768, 32767));
  return input;
}

bool Controls::keyHeld(EKeyboardLayout key) const { return key >= 0 && key < K_VK_ERROR && keyDown_[key]; }
bool Controls::keyPressed(EKeyboardLayout key) const { return keyHeld(key) && !keyWasDown_[key]; }

bool Controls::backPressed() const {
  return keyPressed(K_VK_ESCAPE) || actionPressed(kActBack) || padPressed(keys_.pad[kPadBack]);
}
bool Controls::confirmPressed() const { return keyPressed(K_VK_RETURN) || padPressed(keys_.pad[kPadThrow]); }

int Controls::sideStep() const {
  if (keyPressed(K_VK_RIGHT) || padPressed(K_JOY_DPAD_RIGHT)) return 1;
  if (keyPressed(K_VK_LEFT) || padPressed(K_JOY_DPAD_LEFT)) return -1;
  return 0;
}

EKeyboardLayout Controls::firstKeyPressed() const {
  for (int k = 0; k < K_VK_ERROR; k++)
    if (keyPressed(static_cast<EKeyboardLayout>(k))) return static_cast<EKeyboardLayout>(k);
  return K_VK_ERROR;
}

int Controls::firstPadButtonPressed() const {
  for (int b = 0; b <= K_JOY_DPAD_RIGHT; b++)
    if (padPressed(b)) return b;
  return -1;
}

int Controls::focusStep() const {
  const bool shift = keyDown_[K_VK_SHIFT] || keyDown_[K_VK_RSHIFT];
  if (keyPressed(K_VK_DOWN) || (keyPressed(K_VK_TAB) && !shift) || padPressed(K_JOY_DPAD_DOWN)) return 1;
  if (keyPressed(K_VK_UP) || (keyPressed(K_VK_TAB) && shift) || padPressed(K_JOY_DPAD_UP)) return -1;
  return 0;
}

bool Controls::anyPressed() const {
  if (clickPressed()) return true;
  for (int k = 0; k < K_VK_ERROR; k++)
    if (keyDown_[k] && !keyWasDown_[k]) return true;
  for (int b = 0; b <= K_JOY_DPAD_RIGHT; b++)
    if (padPressed(b)) return true;
  return false;
}
