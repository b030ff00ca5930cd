#pragma once

// A recording played again, a frame at a time, into a game of its own: the
// same input and the same random numbers give the same game, frame for
// frame. An ordinary game's numbers come from its recording; a daily wall's
// are made again from its day. Nothing outside the replay's own game
// changes: it is watched, checked or rebuilt out of sight alike.

#include <cstddef>
#include <memory>

#include "dailywall.h"
#include "play.h"
#include "recording.h"

class Replay {
public:
  /// The game set up as the recording's start says (its first random
  /// numbers drawn), before its first frame.
  explicit Replay(Recording recording);
  Replay(const Replay &) = delete;
  Replay &operator=(const Replay &) = delete;

  /// Plays the next recorded frame (`events`, when given, gets what it did).
  /// False when none is left, or when the game was left or started again
  /// before its last frame (and not continued from there): a recording
  /// ends where its game did.
  bool step(PlayEvents *events = nullptr);
  /// A frame past the recording's end, with nothing from its player: its
  /// end shown a moment longer.
  PlayEvents stepPastEnd();
  /// Plays what is left; whether the game came back to the recorded state.
  bool playToEnd();
  /// Whether every frame was played and the game is as recorded: its score,
  /// its end and its digest, with every random number it drew, and no more.
  bool same() const;

  const Play &game() const { return play_; }
  Play &game() { return play_; }
  size_t framesPlayed() const { return next_; }
  const Recording &recording() const { return recording_; }

private:
  // The recording's random numbers, in order; past its last, 0.
  class Draws : public RandomSource {
  public:
    explicit Draws(const std::vector<uint32_t> &draws) : draws_(draws) {}
    int draw() override;
    bool ranOut() const { return ranOut_; }
    size_t drawn() const { return next_; }

  private:
    const std::vector<uint32_t> &draws_;
    size_t next_ = 0;
    bool ranOut_ = false;
  };
  RandomSource &numbers();

  Recording recording_;
  Draws draws_;
  std::unique_ptr<DailyDraws> daily_; ///< a daily wall's numbers
  Play play_;
  size_t next_ = 0;
  bool endedEarly_ = false;
};
