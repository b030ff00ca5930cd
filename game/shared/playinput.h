#pragma once

// Everything the play reads from the player in one frame, as one value: the
// pointer, its button, the keys and the gamepad's buttons the play uses, and
// the left stick. The controls make one from the devices each frame; a
// recording keeps them and gives them back when the game is replayed.

#include <cstdint>

struct PlayInput {
  int16_t mouseX = 0, mouseY = 0;
  uint32_t held = 0; ///< PlayHeld bits
  int16_t stickX = 0, stickY = 0;
  bool operator==(const PlayInput &o) const {
    return mouseX == o.mouseX && mouseY == o.mouseY && held == o.held && stickX == o.stickX && stickY == o.stickY;
  }
  bool operator!=(const PlayInput &o) const { return !(*this == o); }
};

/// What PlayInput::held holds, one bit each.
enum PlayHeld : uint32_t {
  kHeldMouse = 1u << 0,
  kHeldSpace = 1u << 1,
  kHeldLeft = 1u << 2,
  kHeldRight = 1u << 3,
  kHeldUp = 1u << 4,
  kHeldDown = 1u << 5,
  kHeldP = 1u << 6,
  kHeldEscape = 1u << 7,
  kHeldBackspace = 1u << 8,
  kHeldReturn = 1u << 9,
  kHeldPadA = 1u << 10,
  kHeldPadB = 1u << 11,
  kHeldPadStart = 1u << 12,
  kHeldPadLeft = 1u << 13,
  kHeldPadRight = 1u << 14,
  kHeldPadUp = 1u << 15,
  kHeldPadDown = 1u << 16,
  /// Not a key: the game was continued (and paused) before this frame.
  kContinuedHere = 1u << 17,
};
/// Every PlayHeld bit.
const uint32_t kAllHeld = (1u << 18) - 1;

/// One frame's input against the frame's before: what is held, and what
/// went down since (held now, not then).
struct Presses {
  const PlayInput &now, &before;
  bool held(uint32_t bits) const { return (now.held & bits) != 0; }
  bool pressed(uint32_t bit) const { return (now.held & bit) && !(before.held & bit); }

  bool click() const { return pressed(kHeldMouse); }
  /// P, Escape or the gamepad's Start: pause, or play on.
  bool pause() const { return pressed(kHeldP) || pressed(kHeldEscape) || pressed(kHeldPadStart); }
  /// Backspace or the gamepad's B: leave a paused game for the menu.
  bool leave() const { return pressed(kHeldBackspace) || pressed(kHeldPadB); }
  /// Return or the gamepad's A.
  bool confirm() const { return pressed(kHeldReturn) || pressed(kHeldPadA); }
  /// Space or the gamepad's A: the keyboard's and the pad's hold on the ball.
  bool grabHeld() const { return held(kHeldSpace | kHeldPadA); }
  bool grabPressed() const { return pressed(kHeldSpace) || pressed(kHeldPadA); }
};
