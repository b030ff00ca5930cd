#pragma once

// The high-score screen: the table's nine first rows over the veiled menu,
// a small arrow before each row whose game was kept, and BACK. Space held
// for a second resets the table, as a bar fills (let go earlier, nothing
// changes): the reset is kept at once, and only then are its rows'
// replays deleted. A click on a kept row asks to watch its game.

#include <string>

#include "menu.h"

/// What the player asked for on the high scores.
struct ScoresChoice {
  MenuChoice back = kNoChoice; ///< kChoseBack once BACK has played out
  std::string watch;           ///< a kept row clicked: its game's replay, to watch
};
/// One frame of the high-score screen.
ScoresChoice showScores();
