#pragma once

// The title: its picture fading in, the notice line rising at the bottom,
// and the doors that slide apart over the menu. Each moves on a frame in a
// step and is drawn, as that frame shows it, by a const draw. The first
// time the notice is fully shown the shell loads the sounds and the high
// scores.

#include "KGraphic.h"
#include "look.h"

/// The title, the doors and the notice, for the whole run: the title is
/// shown once, the doors open once.
struct Title {
  /// The title picture's opacity: the notice shows from 1, the menu comes at 3.
  float _blend = 0;
  /// How far the doors have slid apart, in pixels, and how fast they go.
  float _slidey = 0, _slidespeed = 0;
  /// The notice's opacity.
  float myblend = 0;
  /// Whether the last frame of the doors drew them, and how far apart.
  bool doorsShown = false;
  float doorsShownAt = 0;
};

/// What a frame of the title did.
struct TitleStep {
  bool noticeShown = false; ///< the notice is fully shown
  bool done = false;        ///< the title has played out: the menu next
};
/// One frame of the title, and of the notice once the title shows it.
TitleStep doTitle(Title &title);
/// The title picture, and the notice once it shows.
void drawTitle(const Title &title, KGraphic &sheet);

/// One frame of the doors over the menu; true while they still move (the
/// menu takes no press meanwhile).
bool slideDoors(Title &title);
/// In calmer motion the doors stay in place and fade as they would open.
void drawDoors(const Title &title, KGraphic &sheet, const Look &look = {});

/// One frame of the notice, rising and fading in; true once it is fully
/// shown.
bool diplayCopyright(Title &title);
void drawNotice(const Title &title, KGraphic &sheet);
