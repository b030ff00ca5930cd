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

// What the frame's input is kept as: where the play reads no pointer (its
// button up: only the button and the keys count), the pointer is kept
// where it was, so that a recording says only what the game took.
PlayInput asKept(PlayInput input, const PlayInput &was) {
  if (!(input.held & kHeldMouse)) {
    input.mouseX = was.mouseX;
    input.mouseY = was.mouseY;
  }
  return input;
}
} // namespace

void LiveGame::startRecording(const PlayInput &now) {
  play_.before = now;
  recording_ = Recording();
  recording_.start = startOf(play_);
  continuedHere_ = false;
}

void LiveGame::newGame(const PlayInput &now) {
  startRecording(now);
  daily_.reset();
  RandDraws draws(recording_);
  resetInGame(play_, draws);
}

void LiveGame::newDailyGame(const PlayInput &now, Day day) {
  startRecording(now);
  recording_.mode = GameMode::kDaily;
  recording_.day = day;
  daily_ = std::make_unique<DailyDraws>(day);
  resetInGame(play_, *daily_);
}

PlayEvents LiveGame::playFrame(const PlayInput &input) {
  PlayInput frame = input;
  if (continuedHere_) {
    frame.held |= kContinuedHere;
    continuedAt(play_, frame);
  }
  continuedHere_ = false;
  // Past six hours the game goes on; its recording stops.
  if (recording_.frames.size() < kMaxReplayFrames)
    recording_.frames.push_back(
        asKept(frame, recording_.frames.empty() ? recording_.start.before : recording_.frames.back()));
  if (daily_) return stepPlay(play_, frame, *daily_);
  RandDraws draws(recording_);
  return stepPlay(play_, frame, draws);
}

Recording LiveGame::recording() const {
  Recording r = recording_;
  r.score = play_.gScore;
  r.ended = play_.gameover;
  r.digest = playDigest(play_);
  if (daily_) r.drawsMade = daily_->drawn();
  else r.randomAfter = randomPosition();
  return r;
}

void LiveGame::continueFrom(const Play &game, const Recording &kept) {
  play_ = game;
  pausePlay(play_);
  daily_.reset();
  recording_ = kept;
  recording_.ended = false;
  continuedHere_ = true;
}
