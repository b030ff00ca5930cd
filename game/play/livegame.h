#pragma once

// The game the player plays: one game, recorded as it goes (every frame's
// input, every random number it draws from rand()), so that it can be kept,
// watched again and continued.

#include "play.h"
#include "recording.h"

/// The live game and its recording. A new LiveGame is as the program
/// starts: no game played yet, the hint to come.
class LiveGame {
public:
  const Play &game() const { return play_; }
  Play &game() { return play_; }
  /// A fresh game in place of this one, as the menu sets one up every
  /// frame: recorded from its first random draw, starting from what this
  /// game hands on. `now` is this frame's input.
  void newGame(const PlayInput &now);
  /// One frame with the player's `input`: recorded, then played.
  PlayEvents playFrame(const PlayInput &input);
  /// The recording as it stands: its frames and draws so far, its score,
  /// end and digest, and rand()'s position.
  Recording recording() const;
  /// Goes on with `game`, rebuilt from `recording` (a game continued),
  /// paused: the recording's frames and draws become this game's, and the
  /// next frame recorded says that the game was continued there.
  void continueFrom(const Play &game, const Recording &recording);

private:
  Play play_;
  Recording recording_;
  // The game was continued: the next frame recorded says so.
  bool continuedHere_ = false;
};
