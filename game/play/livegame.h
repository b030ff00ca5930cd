#pragma once

// The game the player plays: one game, recorded as it goes (every frame's
// input, every random number it draws from rand()), so that it can be kept,
// watched again and continued.

#include "play.h"
#include "recording.h"

/// The live game.
Play &liveGame();
/// A fresh game in place of the live one, as the menu sets one up every
/// frame: recorded from its first random draw, starting from what the live
/// game hands on. `now` is this frame's input.
void newLiveGame(const PlayInput &now);
/// One frame of the live game with the player's `input`: recorded, then
/// played.
PlayEvents playLiveFrame(const PlayInput &input);
/// The live game's recording as it stands: its frames and draws so far,
/// its score, end and digest, and rand()'s position.
Recording liveRecording();
/// Goes on with `game`, rebuilt from `recording` (a game continued), paused:
/// the recording's frames and draws become the live recording's, and the
/// next frame recorded says that the game was continued there.
void continueLiveGame(const Play &game, const Recording &recording);
/// Everything as the program starts: no game played yet, the hint to come.
void resetLiveGame();
