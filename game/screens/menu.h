#pragma once

// The menu: four buttons (PLAY, HIGH SCORES, HELP, QUIT) that wobble and,
// once chosen, grow and fade out; the focus the keys and the gamepad move;
// the music and sound switches. The help and high-score screens share its
// BACK button.

#include <cstdint>

/// One menu button: its picture on the sprite sheet, where it is drawn and
/// its press animation.
struct sButton {
  int32_t id;
  int16_t srcX1, srcY1, srcX2, srcY2;
  int16_t destX, destY;
  int16_t destX2, destY2; ///< right and bottom of the clickable box
  float zoom;
  float phase;
  float blend;
  float phaseSpeed;
};

/// The buttons: PLAY, HIGH SCORES, HELP, QUIT, and BACK; and their first
/// layout, put back whenever the menu is shown again.
extern sButton buttons[5];
extern sButton storeButtons[5];
/// The button chosen, growing until it is done; -1 for none.
extern int32_t selectedButton;
/// The menu button the keyboard or gamepad points at (0 to 3), or -1.
extern int32_t menuFocus;
/// While set the buttons take no press (the doors are still opening).
extern bool lockMenu;

/// What a button does once its press has played out.
enum MenuChoice : int32_t { kNoChoice = -1, kChosePlay = 0, kChoseScores = 1, kChoseHelp = 2, kChoseQuit = 3, kChoseBack = 4 };

/// The buttons as first laid out, and each a new random phase (five random
/// numbers drawn).
void putButtonsBack();
/// A new phase for each button (five random numbers), no choice made.
void resetButtons();
/// Draws button `index` and takes a press on it; the button, once its
/// press has played out (then resetButtons has run).
MenuChoice displayButton(long index);
/// The menu screen's background, buttons and switches; the choice played
/// out this frame, if any.
MenuChoice doMenu();
/// Escape, Return, Backspace or B on the help and high-score screens:
/// BACK, as a click on it.
void backControls();
/// The veil that darkens the menu behind the help and the high scores,
/// deeper each frame up to half.
void drawVeil();
