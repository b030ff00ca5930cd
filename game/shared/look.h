#pragma once

// How the game looks, as the player chose or the system asked: calmer
// motion (the decorative movement stops: the buttons' wobble, the doors,
// the clouds' puff, the bricks' slide, the game over's wobble become still
// pictures, fades or cuts) and stronger contrast (a darker field behind the
// wall, outlined bricks with bolder symbols, the ball and the guide
// outlined). Only the draws read it: the play's rules, timings and random
// draws are the same whatever it says, so that a game replays alike.

#include "settings.h"

struct Look {
  bool calm = false;
  bool contrast = false;
};

/// The look `settings` choose, the system's wishes (`systemCalm`,
/// `systemContrast`) standing where the player has not chosen.
Look lookOf(const Settings &settings, bool systemCalm, bool systemContrast);
