#pragma once

// Watching a kept game again: it plays in a game of its own under a REPLAY
// mark, at the game's own pace, heard as it was, from a row of either table
// or from a file; a game received, once it has proved itself, marked
// verified with its score (and its wall's day). Escape, Backspace, the gamepad's B or a
// click stop it; so does its end, after the last frame has been shown a
// moment. Nothing the player keeps changes: not the table, not the live
// game, not the settings.

#include <memory>

#include "KGraphic.h"
#include "look.h"
#include "play.h"
#include "recording.h"
#include "replayer.h"

/// The replay watched, if any: its game, how long its end has been shown,
/// and the player's own input last frame (presses that stop it are told
/// apart from what was already held when it began).
struct Watching {
  std::unique_ptr<Replay> replay;
  int endFrames = 0;
  PlayInput playerBefore;
  bool verified = false; ///< a game received that proved itself
};

/// Starts watching `recording` (read with loadRecording), the player's
/// input now being `player`; `verified` marks a game received that has
/// proved itself.
void startWatching(Watching &watching, Recording recording, const PlayInput &player, bool verified = false);
/// Whether a replay is being watched.
inline bool watching(const Watching &watching) { return watching.replay != nullptr; }
/// One frame of the replay watched, with the player's own `player` input;
/// what the replay's game did goes to `events`. False once it has stopped
/// (the player stopped it, or its end has been shown): nothing is watched
/// then, and the frame shows nothing.
bool watchFrame(Watching &watching, const PlayInput &player, PlayEvents &events);
/// Stops watching at once.
void stopWatching(Watching &watching);
/// The game watched under the REPLAY mark (and the verified mark); nothing
/// when none is.
void drawWatched(const Watching &watching, KGraphic &sheet, const Look &look = {});

/// How long the end of a replay stays on the screen, in frames.
const int kReplayEndFrames = 160;
