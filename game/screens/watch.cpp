#include "watch.h"

#include <memory>
#include <utility>

#include "assets.h"
#include "controls.h"
#include "layout.h"
#include "playsounds.h"
#include "playview.h"
#include "recording.h"
#include "replayer.h"
#include "switches.h"

using namespace layout;

namespace {
std::unique_ptr<Replay> watched;
int endFrames = 0; // how long the end has been shown
// The player's own input last frame: presses that stop the replay are told
// apart from what was already held when it began.
PlayInput playerBefore;
const uint32_t kStopHeld = kHeldMouse | kHeldEscape | kHeldBackspace | kHeldPadB;

// The replay's own pause turns the music down, as the player's does.
void heard(const PlayEvents &events) {
  playSounds(events.sounds);
  if (events.paused) stopEffects();
  if (events.paused || events.resumed) applySettings(watched->game().paused);
}
} // namespace

bool startWatching(const std::string &path, std::string &error) {
  Recording r;
  if (!loadRecording(path, r, error)) return false;
  stopWatching();
  watched = std::make_unique<Replay>(std::move(r));
  endFrames = 0;
  playerBefore = playInput(); // what is held already (the click that chose it) stops nothing
  return true;
}

bool watching() { return watched != nullptr; }

const Play *watchedGame() { return watched ? &watched->game() : nullptr; }

void stopWatching() {
  if (!watched) return;
  watched.reset();
  applySettings(false);
}

bool watchFrame() {
  if (!watched) return false;
  // The player's own keys and clicks, read this frame, stop it.
  const PlayInput player = playInput();
  const bool stop = player.held & ~playerBefore.held & kStopHeld;
  playerBefore = player;
  if (stop) {
    stopWatching();
    return false;
  }
  PlayEvents events;
  if (!watched->step(&events)) {
    // The last frame stays a moment (GAME OVER comes down over it), with
    // nothing more from the player of the recording.
    if (++endFrames > kReplayEndFrames) {
      stopWatching();
      return false;
    }
    events = watched->stepPastEnd();
  }
  heard(events);
  drawPlay(watched->game(), *surf_zunk);
  surf_zunk->blitAlphaRect(kReplayMark.x1, kReplayMark.y1, kReplayMark.x2, kReplayMark.y2, kReplayMarkAt.x,
                           kReplayMarkAt.y, false, false);
  return true;
}
