#pragma once

// The high-score screen: the table's nine first rows over the veiled menu,
// a small arrow before each row whose game was kept, and BACK. Space held
// for a second resets the table, as a bar fills (let go earlier, nothing
// changes): the reset is kept at once, and only then are its rows'
// replays deleted. A click on a kept row asks to watch its game.

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
  /// The rows as the last frame drew them (a reset comes after), and how
  /// far the reset's bar was filled (0: not drawn).
  struct Scene {
    int32_t scores[10] = {};
    int held = 0;
  } shown;
};

/// What the player asked for on the high scores.
struct ScoresChoice {
  MenuEvents back;   ///< BACK: its choice is kChoseBack once it has played out
  std::string watch; ///< a kept row clicked: its game's replay, to watch
  KeepFailure failure; ///< the table reset, but not kept
};
/// One frame of the high-score screen, showing `scores` (which Space held
/// resets).
ScoresChoice showScores(ScoresScreen &screen, HighScores &scores, Menu &menu, const Controls &controls);
void drawScores(const ScoresScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look = {});
