#pragma once

// The options, on two pages. OPTIONS: the music's and the sound effects'
// sliders, the language, the window's size, full screen, calmer motion,
// stronger contrast, KEYS (the keys' page) and BACK. KEYS: each action's key
// and the gamepad's two buttons, each given another by choosing its row and
// pressing the new one (one another action has is refused, and said which),
// RESET and BACK. The mouse (or a finger), the keys and a gamepad all work
// them: up and down choose a row, left and right change its value, Return
// or A activates it, Esc or B goes back. A step reports what the player
// chose; the shell makes each change and keeps it.

#include "KGraphic.h"
#include "controls.h"
#include "keymap.h"
#include "look.h"
#include "menu.h"

/// The options' rows, top to bottom.
enum OptionRow : int {
  kRowMusic = 0,
  kRowEffects,
  kRowLanguage,
  kRowWindowSize,
  kRowFullScreen,
  kRowCalm,
  kRowContrast,
  kRowKeys,
  kRowBack,
  kOptionRows
};
/// The keys' page: a row for each keyboard action, then each of the
/// gamepad's two, then RESET and BACK.
const int kRowFirstPad = kKeyActions, kRowReset = kKeyActions + kPadActions, kRowKeysBack = kRowReset + 1,
          kKeysRows = kRowKeysBack + 1;

/// The settings as the options show them.
struct OptionValues {
  int musicLevel = 0, soundsLevel = 0; ///< 0 (off) to kVolumeSteps
  int language = -1;                   ///< among kLanguageTags; -1 as the system
  double scale = 1;                    ///< the window's, shown to a quarter
  bool wholeScaling = false, fullScreen = false;
  Look look;
  KeyMap keys;
};

struct OptionsScreen {
  bool keysPage = false;
  /// The row the keys or the gamepad are on, or -1.
  int focus = -1;
  /// The keys' page's row waiting for its new key or button, or -1.
  int waiting = -1;
  /// The action that has the key just refused (a row of the keys' page), or -1.
  int refusedBy = -1;
  /// The slider a press came down on, while it is held (it follows the
  /// pointer or the finger along), or -1.
  int sliding = -1;
  /// What the last frame showed.
  OptionValues shown;
};

/// What a frame of the options asks the shell to change.
struct OptionsEvents {
  MenuEvents menu; ///< a press to be heard; BACK chosen (back to the menu)
  int musicLevel = -1, soundsLevel = -1; ///< a slider set, or -1
  bool language = false;                 ///< the language chosen: `languageIndex` (-1 as the system)
  int languageIndex = -1;
  int windowStep = 0;      ///< the window's size one step up or down
  bool fullScreen = false; ///< switched
  bool calm = false, contrast = false; ///< switched
  bool keys = false;       ///< the keys changed to `newKeys`
  KeyMap newKeys;
};

/// The options' first page, as the menu opens it.
void openOptions(OptionsScreen &screen);
/// One frame of the options, the settings standing as `values` say.
OptionsEvents doOptions(OptionsScreen &screen, Menu &menu, const Controls &controls, const OptionValues &values);
void drawOptions(const OptionsScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look);
/// The options wait for a new key: no other key acts meanwhile.
bool waitingForKey(const OptionsScreen &screen);
/// Draws `text` (ASCII) from the sheet's glyph strip, its left at x.
void drawGlyphText(KGraphic &sheet, const std::string &text, int x, int y);
/// The width it takes.
int glyphTextWidth(const std::string &text);
