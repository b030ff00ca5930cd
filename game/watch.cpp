#include "watch.h"

#include "controls.h"
#include "layout.h"
#include "pause.h"
#include "replay.h"
#include "zunk.h"

using namespace layout;

namespace {
Recording watched;
bool isWatching = false;
int32_t screenAfter = kMenuScreen;
int endFrames = 0; // how long the end has been shown
// The player's own input last frame: the replay's takes its place in the
// controls, so the player's presses are told apart here.
PlayInput playerBefore;
const uint32_t kStopHeld = kHeldMouse | kHeldEscape | kHeldBackspace | kHeldPadB;
} // namespace

bool startWatching(const std::string &path, int32_t after, std::string &error) {
  Recording r;
  if (!loadRecording(path, r, error)) return false;
  stopWatching();
  watched = std::move(r);
  screenAfter = after;
  endFrames = 0;
  playerBefore = playInput(); // what is held already (the click that chose it) stops nothing
  isWatching = true;
  beginReplay(watched);
  return true;
}

bool watching() { return isWatching; }

void stopWatching() {
  if (!isWatching) return;
  isWatching = false;
  endReplay();
  resumeGame();
  gameState = screenAfter;
}

void watchFrame() {
  // The player's own keys and clicks, read this frame, stop it.
  const PlayInput player = playInput();
  const bool stop = player.held & ~playerBefore.held & kStopHeld;
  playerBefore = player;
  if (stop) {
    stopWatching();
    return;
  }
  if (!replayStep()) {
    // The last frame stays a moment (GAME OVER comes down over it), with
    // nothing more from the player of the recording.
    if (++endFrames > kReplayEndFrames) {
      stopWatching();
      return;
    }
    replayControls(PlayInput());
    playFrame();
  }
  surf_zunk->blitAlphaRect(kReplayMark.x1, kReplayMark.y1, kReplayMark.x2, kReplayMark.y2, kReplayMarkAt.x,
                           kReplayMarkAt.y, false, false);
}
