#pragma once

// What the player does, from the keyboard, the first gamepad and the mouse:
// presses seen once each, and the point the sling follows. Read once a frame
// by readControls; with the keyboard and the gamepad left alone, the sling
// follows the mouse exactly as before.

#include "KInput.h"

/// Reads the devices: called once at the start of every frame.
void readControls();
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

/// How the pull moves: a held arrow goes kPullStartStep pixels a frame,
/// one more every kPullSpeedUpFrames frames, up to kPullTopStep; the stick
/// at full deflection pulls kStickPull pixels from the grab point.
const int kPullStartStep = 1;
const int kPullSpeedUpFrames = 16;
const int kPullTopStep = 4;
const int kStickPull = 150;
/// Where a pull takes the ball, from its top-left corner (inside the ball).
const int kGrabOffsetX = 18, kGrabOffsetY = 19;
