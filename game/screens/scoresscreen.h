#pragma once

// The high-score screen: the table's nine first rows over the veiled menu,
// a small arrow and SEND beside each row whose game was kept, and BACK.
// Space held for a second resets the table, as a bar fills (let go
// earlier, nothing changes): the reset is kept at once, and only then are
// its rows' replays deleted. A click on a kept row asks to watch its game,
// on its SEND to send it; the keys and the pad move a focus over the kept
// rows (Up and Down), between a row's game and its SEND (Left and Right),
// and Return or A takes it (with no focus, Return is BACK).
// EXPORT and IMPORT, above the title (or the keys E and I), carry the
// records to another copy of the game and back; what they did is said
// under the table for a few seconds.

#include <cstdint>
#include <string>
#include <vector>

#include "KGraphic.h"
#include "controls.h"
#include "keepnotice.h"
#include "keptreplays.h"
#include "menu.h"
#include "recordsfile.h"

/// What an export or an import did, as the screen says it (the order of the
/// sheet's carryWord rows).
enum class CarryWord : int32_t {
  kNone = -1,
  kSavedHome,    ///< written in the player's home folder
  kDownloaded,   ///< a page's download
  kNotExported,  ///< the file could not be written
  kImported,     ///< something new came
  kNothingNew,   ///< all of it was here already
  kNoFileHome,   ///< IMPORT on a desktop, no records file in the home folder
  kUnreadable,   ///< refused, nothing changed: the reasons of Refusal
  kTooLarge,
  kNotRecords,
  kLaterVersion,
  kDamaged,
};

/// Which rows have a kept game, and the table and the folder that was read
/// for: read again only when either changes, not every frame; how long
/// Space has been held; and what the last frame showed.
struct ScoresScreen {
  std::vector<std::string> replays; ///< a row's replay, or ""; none read yet
  int32_t replaysFor[10] = {};
  std::string replaysFrom;
  int spaceHeld = 0;
  /// What EXPORT or IMPORT did, said for saidFrames more frames.
  CarryWord said = CarryWord::kNone;
  int saidFrames = 0;
  /// The kept row the keys' focus is on (-1: none), and whether on its SEND.
  int focus = -1;
  bool onSend = false;
  /// The rows as the last frame drew them (a reset comes after), how far
  /// the reset's bar was filled (0: not drawn), the focus, and what was
  /// said.
  struct Scene {
    int32_t scores[10] = {};
    int held = 0;
    int focus = -1;
    bool onSend = false;
    CarryWord said = CarryWord::kNone;
  } shown;
};

/// What the player asked for on the high scores.
struct ScoresChoice {
  MenuEvents back;   ///< BACK: its choice is kChoseBack once it has played out
  std::string watch; ///< a kept row clicked: its game's replay, to watch
  std::string send;  ///< a kept row's SEND: its game's replay, to send
  KeepFailure failure; ///< the table reset, but not kept
  bool exportPressed = false, importPressed = false; ///< EXPORT, IMPORT clicked
};
/// One frame of the high-score screen, showing `scores` (which Space held
/// resets).
ScoresChoice showScores(ScoresScreen &screen, HighScores &scores, Menu &menu, const Controls &controls);
void drawScores(const ScoresScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look = {});
/// The screen says `word` from the next frame on, for a few seconds.
void sayCarried(ScoresScreen &screen, CarryWord word);
/// What the screen says of an import that read `outcome`.
CarryWord importWord(const CarryOutcome &outcome);
