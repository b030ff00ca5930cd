#pragma once

// One game of Zunk as one value: the wall and its feeder line, the ball and
// its sling, the bonuses, the score and its display, the clouds, the game
// over and the pause. stepPlay runs one frame of it with that frame's input
// and says what happened; drawPlay (playview.h) draws it. Nothing here
// touches anything outside the value, so the live game, a replay being
// watched and a recording being checked are values of their own.

#include <cstdint>
#include <string>

#include "playinput.h"
#include "playrules.h"
#include "playstate.h"

/// One frame of play with the player's `input`: the wall, the ball, the
/// bonuses and the score move on and `play.shown` becomes what the frame
/// shows; while paused, only the keys that end the pause are read. Random
/// numbers come from `random`, in the order the rules draw them.
PlayEvents stepPlay(Play &play, const PlayInput &input, RandomSource &random);

/// Pauses at the end of the frame just played (nothing moves until P,
/// Escape, Start or a click), and plays on.
void pausePlay(Play &play);
/// The frame a game was continued at: it is paused, and what is held then
/// counts as held before (the press that chose CONTINUE resumes nothing).
void continuedAt(Play &play, const PlayInput &input);

/// A short digest of the game's whole state (the wall, the feeder line, the
/// ball, the score, the clouds): two games that differ anywhere differ here.
uint32_t playDigest(const Play &play);
/// The same state, one field after another in words: for finding where two
/// games part.
std::string describePlay(const Play &play);
