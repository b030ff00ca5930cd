#pragma once

// Watching a kept game again: it plays in a game of its own under a REPLAY
// mark, at the game's own pace, heard as it was, from a row of the
// high-score table or from a file. Escape, Backspace, the gamepad's B or a
// click stop it; so does its end, after the last frame has been shown a
// moment. Nothing the player keeps changes: not the table, not the live
// game, not the settings.

#include <string>

#include "play.h"

/// Starts watching the replay at `path`. False, with the reason in `error`,
/// when the file cannot be played.
bool startWatching(const std::string &path, std::string &error);
/// Whether a replay is being watched.
bool watching();
/// One frame of the replay being watched, drawn; false once it has stopped
/// (the player stopped it, or its end has been shown).
bool watchFrame();
/// Stops watching at once.
void stopWatching();
/// The game being watched, or null.
const Play *watchedGame();

/// How long the end of a replay stays on the screen, in frames.
const int kReplayEndFrames = 160;
