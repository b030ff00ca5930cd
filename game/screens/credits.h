#pragma once

// The credits line under the help panel, fading in and out from one name to
// the next. It carries on where it stopped when the help is shown again.

#include <cstdint>

#include "KGraphic.h"

/// One credits line: its rows on the sprite sheet (x 789 to 1020).
struct sCredit {
  int32_t srcTop;
  int32_t srcBottom;
};
extern const sCredit credits[7];

/// The line shown, its opacity and how that changes a frame (fading in
/// while positive): as the program starts, the second line about to fade in.
struct Credits {
  int32_t creditIndex = 1;
  float creditFade = 0;
  float creditFadeSpeed = 0.005f;
};

/// Advances the fade of the credits line, to the next line once faded out.
void doCredits(Credits &c);
/// The credits line as it stands.
void drawCredits(const Credits &c, KGraphic &sheet);
