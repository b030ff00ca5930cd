#pragma once

// What the player does, from the keyboard, the first gamepad and the mouse,
// read once a frame: presses seen once each, and this frame's input to the
// play. The shell reads the devices into its Controls; the screens are given
// them, the play is given the PlayInput they make.

#include <string>

#include "KInput.h"
#include "keymap.h"
#include "playinput.h"

class Controls {
public:
  /// Reads the devices: called once at the start of every frame. What was
  /// down becomes what was down last frame. (A new Controls has seen no
  /// press yet, as the program starts.)
  void read();
  /// This frame's input, as the play reads it: each action's key and
  /// button as the map gives them.
  PlayInput playInput() const;
  /// The keys and gamepad buttons of the actions (the defaults at first).
  void setKeys(const KeyMap &keys) { keys_ = keys; }
  const KeyMap &keys() const { return keys_; }
  /// Whether the key of `action` went down since the last frame.
  bool actionPressed(KeyAction action) const { return keyPressed(keys_.keys[action]); }
  /// The first key (in the engine's order) and the first gamepad button
  /// that went down since the last frame; K_VK_ERROR and -1 for none.
  EKeyboardLayout firstKeyPressed() const;
  int firstPadButtonPressed() const;

  /// Whether `key` is down, and whether it went down since the last frame.
  bool keyHeld(EKeyboardLayout key) const;
  bool keyPressed(EKeyboardLayout key) const;
  /// Whether the left mouse button went down since the last frame.
  bool clickPressed() const { return mouseDown_ && !mouseWasDown_; }

  /// Escape, the back key (Backspace) or the gamepad's back button (B):
  /// back to the menu from a screen.
  bool backPressed() const;
  /// Return or the gamepad's throw button (A): activate.
  bool confirmPressed() const;
  /// Down, Tab or the D-pad's down: +1; Up, Shift+Tab or the D-pad's up: -1.
  int focusStep() const;
  /// Right or the D-pad's right: +1; Left or the D-pad's left: -1.
  int sideStep() const;
  /// Any key or pad button pressed this frame, or a click.
  bool anyPressed() const;

  /// The mouse this frame: where it is and whether its left button is down.
  int mouseX() const { return mouseX_; }
  int mouseY() const { return mouseY_; }
  bool mouseHeld() const { return mouseDown_; }
  /// A file dropped on the window this frame (its path), or "".
  const std::string &droppedFile() const { return dropped_; }

private:
  bool padHeld(int button) const { return button >= 0 && button <= K_JOY_DPAD_RIGHT && padDown_[button]; }
  bool padPressed(int button) const { return padHeld(button) && !padWasDown_[button]; }

  bool keyDown_[K_VK_ERROR] = {}, keyWasDown_[K_VK_ERROR] = {};
  bool padDown_[K_JOY_DPAD_RIGHT + 1] = {}, padWasDown_[K_JOY_DPAD_RIGHT + 1] = {};
  bool mouseDown_ = false, mouseWasDown_ = false;
  int mouseX_ = 0, mouseY_ = 0;
  int stickX_ = 0, stickY_ = 0;
  std::string dropped_;
  KeyMap keys_;
};
