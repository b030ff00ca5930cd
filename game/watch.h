#pragma once

// Watching a kept game again: it plays in the play screen under a REPLAY
// mark, at the game's own pace, from a row of the high-score table or from
// a file. Escape, Backspace, the gamepad's B or a click stop it; so does its
// end, after the last frame has been shown a moment.

#include <cstdint>
#include <string>

/// Starts watching the replay at `path`; when it stops, the game goes to the
/// screen `after` (kScoresScreen, kMenuScreen). False, with the reason in
/// `error`, when the file cannot be played.
bool startWatching(const std::string &path, int32_t after, std::string &error);
/// Whether a replay is being watched.
bool watching();
/// One frame of the replay being watched.
void watchFrame();
/// Stops watching at once (the program is ending).
void stopWatching();

/// How long the end of a replay stays on the screen, in frames.
const int kReplayEndFrames = 160;
