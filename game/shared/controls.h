#pragma once

// What the player does, from the keyboard, the first gamepad and the mouse,
// read once a frame by readControls: presses seen once each, and this
// frame's input to the play.

#include "KInput.h"
#include "playinput.h"

/// Reads the devices: called once at the start of every frame.
void readControls();
/// This frame's input, as the play reads it.
PlayInput playInput();
/// Forgets every press, as the program starts.
void resetControls();

/// Whether `key` went down since the last frame.
bool keyPressed(EKeyboardLayout key);
/// Whether the left mouse button went down since the last frame.
bool clickPressed();

/// Escape, Backspace or the gamepad's B: back to the menu from a screen.
bool backPressed();
/// Return or the gamepad's A: activate.
bool confirmPressed();
/// Down, Tab or the D-pad's down: +1; Up, Shift+Tab or the D-pad's up: -1.
int focusStep();

/// The mouse this frame: where it is and whether its left button is down.
int mouseX();
int mouseY();
bool mouseHeld();
