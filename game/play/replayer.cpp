#include "replayer.h"

#include <utility>

int Replay::Draws::draw() {
  if (next_ < draws_.size()) return static_cast<int>(draws_[next_++]);
  ranOut_ = true;
  return 0;
}

Replay::Replay(Recording recording)
    : recording_(std::move(recording)), draws_(recording_.draws),
      daily_(dailyGame(recording_) ? std::make_unique<DailyDraws>(recording_.day) : nullptr),
      play_(playFrom(recording_.start)) {
  resetInGame(play_, numbers());
}

RandomSource &Replay::numbers() {
  if (daily_) return *daily_;
  return draws_;
}

bool Replay::step(PlayEvents *events) {
  if (endedEarly_ || next_ >= recording_.frames.size()) return false;
  const PlayInput &input = recording_.frames[next_++];
  if (input.held & kContinuedHere) continuedAt(play_, input);
  PlayEvents happened = stepPlay(play_, input, numbers());
  // A recording ends where its game did, unless the game was continued
  // from there: then its next frame says so.
  const bool left = happened.leave || happened.restart;
  if (left && next_ < recording_.frames.size() && !(recording_.frames[next_].held & kContinuedHere)) endedEarly_ = true;
  if (events) *events = std::move(happened);
  return !endedEarly_;
}

PlayEvents Replay::stepPastEnd() { return stepPlay(play_, PlayInput(), numbers()); }

bool Replay::playToEnd() {
  while (step()) {
  }
  return same();
}

bool Replay::same() const {
  const Recording &r = recording_;
  const bool allNumbers = daily_ ? daily_->drawn() == r.drawsMade : !draws_.ranOut() && draws_.drawn() == r.draws.size();
  return !endedEarly_ && allNumbers && next_ == r.frames.size() && play_.gScore == r.score &&
         play_.gameover == r.ended && playDigest(play_) == r.digest;
}
