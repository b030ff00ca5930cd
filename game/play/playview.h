#pragma once

// Drawing a game: what its last frame shows (Play::shown), on the play's
// background, from the sprite sheet. Drawing changes nothing: the same game
// draws the same picture as often as it is drawn.

#include "KGraphic.h"
#include "calendar.h"
#include "look.h"
#include "play.h"

/// Draws `play` with `sheet`: the background, the feeder line, the wall,
/// the frame, the clouds, the score, the aiming guide, the band and the
/// ball, the hint, GAME OVER; and in a frame of the pause, the veil and the
/// PAUSED panel over it all. In calmer motion a brick sliding in fades in
/// at its place and a falling one is drawn in its cell, a cloud fades
/// without puffing, GAME OVER fades in still; in stronger contrast the
/// field behind the wall is darker and the bricks, icons, ball and guide
/// outlined.
void drawPlay(const Play &play, KGraphic &sheet, const Look &look = {});

/// One digit picture of the sheet (`numberTable`).
struct sNumber {
  char character;
  int16_t x1, y1, x2, y2;
};
extern const sNumber numberTable[10];
/// Draws `value` with the sheet's digits: from x to the right, or with its
/// last digit at x and the rest to the left.
void displayLeftValueAt(KGraphic &sheet, long x, long y, long value);
void displayValueAt(KGraphic &sheet, long x, long y, long value);
/// How wide `value` is in the sheet's digits.
long valueWidth(long value);
/// Draws `day` as "2026-12-09" in the sheet's digits, from x to the right;
/// and how wide it is.
void displayDayAt(KGraphic &sheet, long x, long y, Day day);
long dayWidth(Day day);
