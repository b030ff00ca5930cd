#pragma once

// The game the player plays: one game, recorded as it goes (every frame's
// input, every random number it draws), so that it can be kept, watched
// again, continued and sent. An ordinary game draws from rand(), and its
// recording keeps the numbers; a daily wall's draws from its day's own
// generator, which the day makes again.

#include <memory>

#include "calendar.h"
#include "dailywall.h"
#include "play.h"
#include "recording.h"

/// The live game and its recording. A new LiveGame is as the program
/// starts: no game played yet, the hint to come.
class LiveGame {
public:
  const Play &game() const { return play_; }
  Play &game() { return play_; }
  /// A fresh ordinary game in place of this one, as the menu sets one up
  /// every frame: recorded from its first random draw, starting from what
  /// this game hands on. `now` is this frame's input.
  void newGame(const PlayInput &now);
  /// A fresh game on the wall of `day`, its numbers from the day's own
  /// generator (rand() draws none of them).
  void newDailyGame(const PlayInput &now, Day day);
  /// Whether the game is a daily wall's, and which day's.
  bool daily() const { return daily_ != nullptr; }
  Day day() const { return recording_.day; }
  /// One frame with the player's `input`: recorded, then played.
  PlayEvents playFrame(const PlayInput &input);
  /// The recording as it stands: its frames and draws so far, its score,
  /// end and digest, and (an ordinary game's) rand()'s position.
  Recording recording() const;
  /// Goes on with `game`, rebuilt from `recording` (an ordinary game
  /// continued), paused: the recording's frames and draws become this
  /// game's, and the next frame recorded says that the game was continued
  /// there.
  void continueFrom(const Play &game, const Recording &recording);

private:
  void startRecording(const PlayInput &now);

  Play play_;
  Recording recording_;
  // A daily game's numbers; none for an ordinary game.
  std::unique_ptr<DailyDraws> daily_;
  // The game was continued: the next frame recorded says so.
  bool continuedHere_ = false;
};
