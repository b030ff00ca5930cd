#pragma once

// What the player does, from the keyboard, the first gamepad and the mouse:
// presses seen once each, and the point the sling follows. Read once a frame
// by readControls; with the keyboard and the gamepad left alone, the sling
// follows the mouse exactly as before.

#include <cstdint>

#include "KInput.h"

/// Everything the play reads from the player in one frame: the pointer, its
/// button, the keys and the gamepad's buttons the play uses (PlayHeld bits)
/// and the left stick. Recorded with every game and given back when the
/// game is replayed.
struct PlayInput {
  int16_t mouseX = 0, mouseY = 0;
  uint32_t held = 0;
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

/// The keyboard's or gamepad's pull on the ball.
struct Pull {
  bool active = false;
  int x = 0, y = 0;         ///< the point the ball follows
  int grabX = 0, grabY = 0; ///< where it was grabbed: the stick pulls from there
  int heldFrames = 0;       ///< how long an arrow has been held
};
/// The pull as it stands, and setting it (a replay starts from the
/// recorded game's).
Pull currentPull();
void setPull(const Pull &pull);

/// Reads the devices: called once at the start of every frame.
void readControls();
/// Instead of reading the devices, takes `input` as this frame's (a replay):
/// the keys and buttons outside it are up.
void replayControls(const PlayInput &input);
/// This frame's input, as the play reads it.
PlayInput playInput();
/// Forgets every press and the pull, as the program starts.
void resetControls();

/// Whether `key` went down since the last frame.
bool keyPressed(EKeyboardLayout key);
/// Whether the left mouse button went down since the last frame.
bool clickPressed();

/// P, Escape or the gamepad's Start: pause, or play on.
bool pausePressed();
/// Escape, Backspace or the gamepad's B: back to the menu from a screen.
bool backPressed();
/// Backspace or the gamepad's B: leave a paused game for the menu (Escape
/// there plays on).
bool leavePressed();
/// Return or the gamepad's A: activate.
bool confirmPressed();
/// Down, Tab or the D-pad's down: +1; Up, Shift+Tab or the D-pad's up: -1.
int focusStep();

/// The sling's point for one frame of play. Space or the gamepad's A pressed
/// while `ballFree` grabs the ball at (ballX, ballY) (its top-left corner);
/// while held, the arrow keys or the D-pad move the point (faster the longer
/// they are held) and the left stick sets it by its deflection; let go, the
/// ball is thrown. Called once a frame before the ball reads the pointer.
void updatePull(float ballX, float ballY, bool ballFree);
/// The point the sling follows and whether it is held: the keyboard's or
/// gamepad's pull while there is one, the mouse otherwise.
int pointerX();
int pointerY();
bool pointerDown();
/// The mouse this frame: where it is and whether its left button is down.
int mouseX();
int mouseY();
bool mouseHeld();

/// How the pull moves: a held arrow goes kPullStartStep pixels a frame,
/// one more every kPullSpeedUpFrames frames, up to kPullTopStep; the stick
/// at full deflection pulls kStickPull pixels from the grab point.
const int kPullStartStep = 1;
const int kPullSpeedUpFrames = 16;
const int kPullTopStep = 4;
const int kStickPull = 150;
/// How long an arrow must be held for the top step.
const int kPullTopFrames = (kPullTopStep - kPullStartStep) * kPullSpeedUpFrames;
/// Where a pull takes the ball, from its top-left corner (inside the ball).
const int kGrabOffsetX = 18, kGrabOffsetY = 19;
