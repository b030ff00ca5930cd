#include "watch.h"

#include <utility>

#include "layout.h"
#include "playview.h"

using namespace layout;

namespace {
const uint32_t kStopHeld = kHeldMouse | kHeldEscape | kHeldBackspace | kHeldPadB;
} // namespace

void startWatching(Watching &watching, Recording recording, const PlayInput &player) {
  watching.replay = std::make_unique<Replay>(std::move(recording));
  watching.endFrames = 0;
  watching.playerBefore = player; // what is held already (the click that chose it) stops nothing
}

void stopWatching(Watching &watching) { watching.replay.reset(); }

bool watchFrame(Watching &watching, const PlayInput &player, PlayEvents &events) {
  if (!watching.replay) return false;
  // The player's own keys and clicks, read this frame, stop it.
  const bool stop = player.held & ~watching.playerBefore.held & kStopHeld;
  watching.playerBefore = player;
  if (stop) {
    stopWatching(watching);
    return false;
  }
  if (!watching.replay->step(&events)) {
    // The last frame stays a moment (GAME OVER comes down over it), with
    // nothing more from the player of the recording.
    if (++watching.endFrames > kReplayEndFrames) {
      stopWatching(watching);
      return false;
    }
    events = watching.replay->stepPastEnd();
  }
  return true;
}

void drawWatched(const Watching &watching, KGraphic &sheet, const Look &look) {
  if (!watching.replay) return;
  drawPlay(watching.replay->game(), sheet, look);
  sheet.blitAlphaRect(kReplayMark.x1, kReplayMark.y1, kReplayMark.x2, kReplayMark.y2, kReplayMarkAt.x, kReplayMarkAt.y,
                      false, false);
}
