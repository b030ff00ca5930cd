#include "replayer.h"

#include <utility>

int Replay::Draws::draw() {
  if (next_ < draws_.size()) return static_cast<int>(draws_[next_++]);
  ranOut_ = true;
  return 0;
}

Replay::Replay(Recording recording)
    : recording_(std::move(recording)), draws_(recording_.draws), play_(playFrom(recording_.start)) {
  resetInGame(play_, draws_);
}

bool Replay::step(PlayEvents *events) {
  if (endedEarly_ || next_ >= recording_.frames.size()) return false;
  const PlayInput &input = recording_.frames[next_++];
  if (input.held & kContinuedHere) continuedAt(play_, input);
  PlayEvents happened = stepPlay(play_, input, draws_);
  // A recording ends where its game did, unless the game was continued
  // from there: then its next frame says so.
  const bool left = happened.leave || happened.restart;
  if (left && next_ < recording_.frames.size() && !(recording_.frames[next_].held & kContinuedHere)) endedEarly_ = true;
  if (events) *events = std::move(happened);
  return !endedEarly_;
}

PlayEvents Replay::stepPastEnd() { return stepPlay(play_, PlayInput(), draws_); }

bool Replay::playToEnd() {
  while (step()) {
  }
  return same();
}

bool Replay::same() const {
  const Recording &r = recording_;
  return !endedEarly_ && !draws_.ranOut() && next_ == r.frames.size() && play_.gScore == r.score &&
         play_.gameover == r.ended && playDigest(play_) == r.digest;
}
