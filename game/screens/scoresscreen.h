#pragma once

// The high-score screen: the table's nine first rows over the veiled menu,
// a small arrow and SEND beside each row whose game was kept, and BACK.
// Space held for a second resets the table, as a bar fills (let go
// earlier, nothing changes): the reset is kept at once, and only then are
// its rows' replays deleted. A click on a kept row asks to watch its game,
// on its SEND to send it; the keys and the pad move a focus over the kept
// rows (Up and Down), between a row's game and its SEND (Left and Right),
// and Return or A takes it (with no focus, Return is BACK).

#include <cstdint>
#include <string>
#include <vector>

#include "KGraphic.h"
#include "controls.h"
#include "keepnotice.h"
#include "keptreplays.h"
#include "menu.h"

/// Which rows have a kept game, and the table and the folder that was read
/// for: read again only when either changes, not every frame; how long
/// Space has been held; and what the last frame showed.
struct ScoresScreen {
  std::vector<std::string> replays; ///< a row's replay, or ""; none read yet
  int32_t replaysFor[10] = {};
  std::string replaysFrom;
  int spaceHeld = 0;
  /// The kept row the keys' focus is on (-1: none), and whether on its SEND.
  int focus = -1;
  bool onSend = false;
  /// The rows as the last frame drew them (a reset comes after), how far
  /// the reset's bar was filled (0: not drawn), and the focus.
  struct Scene {
    int32_t scores[10] = {};
    int held = 0;
    int focus = -1;
    bool onSend = false;
  } shown;
};

/// What the player asked for on the high scores.
struct ScoresChoice {
  MenuEvents back;   ///< BACK: its choice is kChoseBack once it has played out
  std::string watch; ///< a kept row clicked: its game's replay, to watch
  std::string send;  ///< a kept row's SEND: its game's replay, to send
  KeepFailure failure; ///< the table reset, but not kept
};
/// One frame of the high-score screen, showing `scores` (which Space held
/// resets).
ScoresChoice showScores(ScoresScreen &screen, HighScores &scores, Menu &menu, const Controls &controls);
void drawScores(const ScoresScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look = {});
