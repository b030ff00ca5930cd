#pragma once

// What the player does, from the keyboard, the first gamepad and the mouse,
// read once a frame: presses seen once each, and this frame's input to the
// play. The shell reads the devices into its Controls; the screens are given
// them, the play is given the PlayInput they make.

#include "KInput.h"
#include "playinput.h"

class Controls {
public:
  /// Reads the devices: called once at the start of every frame. What was
  /// down becomes what was down last frame. (A new Controls has seen no
  /// press yet, as the program starts.)
  void read();
  /// This frame's input, as the play reads it.
  PlayInput playInput() const;

  /// Whether `key` is down, and whether it went down since the last frame.
  bool keyHeld(EKeyboardLayout key) const;
  bool keyPressed(EKeyboardLayout key) const;
  /// Whether the left mouse button went down since the last frame.
  bool clickPressed() const { return mouseDown_ && !mouseWasDown_; }

  /// Escape, Backspace or the gamepad's B: back to the menu from a screen.
  bool backPressed() const;
  /// Return or the gamepad's A: activate.
  bool confirmPressed() const;
  /// Down, Tab or the D-pad's down: +1; Up, Shift+Tab or the D-pad's up: -1.
  int focusStep() const;

  /// The mouse this frame: where it is and whether its left button is down.
  int mouseX() const { return mouseX_; }
  int mouseY() const { return mouseY_; }
  bool mouseHeld() const { return mouseDown_; }

private:
  bool padPressed(int button) const { return padDown_[button] && !padWasDown_[button]; }

  bool keyDown_[K_VK_ERROR] = {}, keyWasDown_[K_VK_ERROR] = {};
  bool padDown_[K_JOY_DPAD_RIGHT + 1] = {}, padWasDown_[K_JOY_DPAD_RIGHT + 1] = {};
  bool mouseDown_ = false, mouseWasDown_ = false;
  int mouseX_ = 0, mouseY_ = 0;
  int stickX_ = 0, stickY_ = 0;
};
