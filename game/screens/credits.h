#pragma once

#include <cstdint>

/// One credits line: its rows on the sprite sheet (x 789 to 1020).
struct sCredit {
  int32_t srcTop;
  int32_t srcBottom;
};

extern int32_t creditIndex;
extern float creditFade;
extern float creditFadeSpeed;
extern const sCredit credits[7];

/// The credits as the program starts: the second line, about to fade in.
void resetCredits();
/// Advances the fade of the credits line and draws it.
void doCredits();
