#include "livegame.h"

#include <cstdlib>

namespace {
// rand()'s numbers, each kept in the recording.
class RandDraws : public RandomSource {
public:
  explicit RandDraws(Recording &recording) : recording_(recording) {}
  int draw() override {
    const int d = std::rand();
    recording_.draws.push_back(static_cast<uint32_t>(d));
    return d;
  }

private:
  Recording &recording_;
};
} // namespace

void LiveGame::newGame(const PlayInput &now) {
  play_.before = now;
  recording_ = Recording();
  recording_.start = startOf(play_);
  continuedHere_ = false;
  RandDraws draws(recording_);
  resetInGame(play_, draws);
}

PlayEvents LiveGame::playFrame(const PlayInput &input) {
  PlayInput frame = input;
  if (continuedHere_) {
    frame.held |= kContinuedHere;
    continuedAt(play_, frame);
  }
  continuedHere_ = false;
  // Past six hours the game goes on; its recording stops.
  if (recording_.frames.size() < kMaxReplayFrames) recording_.frames.push_back(frame);
  RandDraws draws(recording_);
  return stepPlay(play_, frame, draws);
}

Recording LiveGame::recording() const {
  Recording r = recording_;
  r.score = play_.gScore;
  r.ended = play_.gameover;
  r.digest = playDigest(play_);
  r.randomAfter = randomPosition();
  return r;
}

void LiveGame::continueFrom(const Play &game, const Recording &kept) {
  play_ = game;
  pausePlay(play_);
  recording_ = kept;
  recording_.ended = false;
  continuedHere_ = true;
}
