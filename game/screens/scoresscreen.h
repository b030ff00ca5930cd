#pragma once

// The high-score screen: the table's nine first rows over the veiled menu,
// a small arrow before each row whose game was kept, and BACK. Space held
// resets the table (and forgets its replays); a click on a kept row asks to
// watch its game.

#include <cstdint>
#include <string>
#include <vector>

#include "KGraphic.h"
#include "controls.h"
#include "menu.h"

/// Which rows have a kept game, and the table and the folder that was read
/// for: read again only when either changes, not every frame.
struct ScoresScreen {
  std::vector<std::string> replays; ///< a row's replay, or ""; none read yet
  int32_t replaysFor[10] = {};
  std::string replaysFrom;
};

/// What the player asked for on the high scores.
struct ScoresChoice {
  MenuEvents back;   ///< BACK: its choice is kChoseBack once it has played out
  std::string watch; ///< a kept row clicked: its game's replay, to watch
};
/// One frame of the high-score screen.
ScoresChoice showScores(ScoresScreen &screen, Menu &menu, const Controls &controls);
void drawScores(const ScoresScreen &screen, const Menu &menu, KGraphic &sheet);
