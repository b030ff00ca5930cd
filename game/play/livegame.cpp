#include "livegame.h"

#include <cstdlib>

namespace {
Play live;
Recording recording;
// The game was continued: the next frame recorded says so.
bool continuedHere = false;

// rand()'s numbers, each kept in the recording.
class LiveDraws : public RandomSource {
public:
  int draw() override {
    const int d = std::rand();
    recording.draws.push_back(static_cast<uint32_t>(d));
    return d;
  }
} liveDraws;
} // namespace

Play &liveGame() { return live; }

void newLiveGame(const PlayInput &now) {
  live.before = now;
  recording = Recording();
  recording.start = startOf(live);
  continuedHere = false;
  resetInGame(live, liveDraws);
}

PlayEvents playLiveFrame(const PlayInput &input) {
  PlayInput frame = input;
  if (continuedHere) {
    frame.held |= kContinuedHere;
    continuedAt(live, frame);
  }
  continuedHere = false;
  // Past six hours the game goes on; its recording stops.
  if (recording.frames.size() < kMaxReplayFrames) recording.frames.push_back(frame);
  return stepPlay(live, frame, liveDraws);
}

Recording liveRecording() {
  Recording r = recording;
  r.score = live.gScore;
  r.ended = live.gameover;
  r.digest = playDigest(live);
  r.randomAfter = randomPosition();
  return r;
}

void continueLiveGame(const Play &game, const Recording &kept) {
  live = game;
  pausePlay(live);
  recording = kept;
  recording.ended = false;
  continuedHere = true;
}

void resetLiveGame() {
  live = Play();
  recording = Recording();
  continuedHere = false;
}
