#pragma once

// The menu: five buttons (PLAY, HIGH SCORES, HELP, TODAY'S WALL, QUIT) that
// wobble and, once chosen, grow and fade out; OPTIONS and the music and sound switches
// on the top strip; the focus the keys and the gamepad move. The help and high-score screens share its
// BACK button and its veil. Each frame is a step (the buttons move, a press
// is taken, what the frame shows is set) and a const draw.

#include <cstdint>

#include "KGraphic.h"
#include "controls.h"
#include "look.h"

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
/// How many buttons there are: PLAY, HIGH SCORES, HELP, QUIT, BACK (the
/// help's and the high scores'), and TODAY'S WALL.
const int kMenuButtons = 6;
/// The buttons as first laid out.
extern const sButton kFirstButtons[kMenuButtons];

/// What a button does once its press has played out.
enum MenuChoice : int32_t {
  kNoChoice = -1,
  kChosePlay = 0,
  kChoseScores = 1,
  kChoseHelp = 2,
  kChoseQuit = 3,
  kChoseBack = 4,
  kChoseDaily = 5,   ///< TODAY'S WALL
  kChoseOptions = 6, ///< OPTIONS, at once (it does not grow)
};
/// The focus on OPTIONS (the others are the buttons' indexes).
const int32_t kFocusOptions = kChoseOptions;

/// What the last frame drew of the buttons, the switches and the veil, each
/// as it stood when the frame came to it: a button whose press plays out
/// gives every button a new phase after those before it were drawn.
struct MenuScene {
  struct Button {
    bool drawn = false;
    float zoom = 1;      ///< with its wobble
    float stillZoom = 1; ///< without: calmer motion's
    float blend = 1;
  };
  Button buttons[kMenuButtons];
  bool musicOn = true, soundsOn = true;
  int32_t focusArrow = -1; ///< the button the arrow points at, or -1
  float veil = 0;
};

/// The buttons, the choice being played out, the focus, the lock and the
/// veil, for the whole run.
struct Menu {
  sButton buttons[kMenuButtons];
  /// The button chosen, growing until it is done; -1 for none.
  int32_t selectedButton = -1;
  /// The menu button the keyboard or gamepad points at (its choice, or
  /// kFocusOptions), or -1.
  int32_t menuFocus = -1;
  /// While set the buttons take no press (the doors are still opening).
  bool lockMenu = true;
  /// The veil's opacity, over the help and the high scores.
  float fadeback = 0;
  MenuScene shown;
  /// The buttons as first laid out, before resetButtons gives them their
  /// phases; no choice, no focus, locked.
  Menu();
};

/// What a frame of the menu, or of BACK, did that the shell acts on.
struct MenuEvents {
  MenuChoice choice = kNoChoice;                  ///< a button whose press has played out
  bool pressed = false;                           ///< a button was pressed: its sound
  bool switchMusic = false, switchSounds = false; ///< a switch was clicked
};

/// The buttons as first laid out, and each a new random phase (five random
/// numbers drawn).
void putButtonsBack(Menu &menu);
/// A new phase for each button (five random numbers, one each for PLAY,
/// HIGH SCORES, HELP, QUIT and BACK; TODAY'S WALL swings against HELP),
/// the veil cleared.
void resetButtons(Menu &menu);
/// One frame of button `index`: its wobble, its press played out, a press
/// on it taken; once its press has played out, its choice in `events` (and
/// resetButtons has run).
void displayButton(Menu &menu, long index, const Controls &controls, MenuEvents &events);
void drawButton(const Menu &menu, long index, KGraphic &sheet, const Look &look = {});
/// One frame of the menu screen: its five buttons, the switches (as they
/// stand: `musicOn`, `soundsOn`) and the focus.
MenuEvents doMenu(Menu &menu, const Controls &controls, bool musicOn, bool soundsOn);
/// The menu's background, buttons and switches, and the focus arrow.
void drawMenu(const Menu &menu, KGraphic &sheet, const Look &look = {});
/// The picture behind the menu, the help, the high scores and the choice
/// to continue.
void drawMenuBackground(KGraphic &sheet);
/// Escape, Return, Backspace or B on the help and high-score screens:
/// BACK, as a click on it (Return too unless `returnToo` is false: a screen
/// whose focus Return takes).
void backControls(Menu &menu, const Controls &controls, MenuEvents &events, bool returnToo = true);
/// BACK chosen, as a click on it does (while no choice plays out).
void pressBack(Menu &menu, MenuEvents &events);
/// The veil that darkens the menu behind the help and the high scores,
/// deeper each frame up to half.
void deepenVeil(Menu &menu);
void drawVeil(const Menu &menu, KGraphic &sheet);
