#pragma once

// The pause: the play screen frozen as it was, under a veil, with the PAUSED
// panel. Nothing of the play runs meanwhile, so nothing moves and no random
// number is drawn.

#include "KGraphic.h"

/// Whether the play is paused.
extern bool paused;
/// Holds the frozen play screen while paused; made with the window (null:
/// only the veil and the panel are drawn).
extern KGraphic *surf_paused;
/// The music's volume while paused, against 100 when playing.
const int kPausedMusicVolume = 35;

/// Pauses at the end of a frame of play: keeps the frame just drawn, stops
/// the sound effects and turns the music down.
void pauseGame();
/// One frame of the pause: the frozen screen, the veil and the panel. P,
/// Escape, Start or a click play on (the play runs again from the next
/// frame); Backspace or B leave for the menu. True when leaving.
bool doPause();
/// Ends the pause without leaving (also when the session starts again).
void resumeGame();
