#pragma once

// The game's shell: the program's start and end, the frame loop, and the
// screen each frame runs. The screens and the play say what the player did;
// the shell decides what follows: the next screen, the sounds, the table
// and the replays it keeps, the game left unfinished.

#include <cstdint>
#include <string>

/// The screen the frame loop runs: the value of gameState.
enum Screen : int32_t {
  kTitleScreen = 0,
  kMenuScreen = 1,
  kHelpScreen = 2,
  kScoresScreen = 3,
  kPlayScreen = 4,
  kQuitting = 5,     ///< QUIT was chosen; the window ends the loop
  kResumeScreen = 6, ///< PLAY offers to continue the game left unfinished
};
extern int32_t gameState;

/// The whole program: start-up, the frame loop, shut-down. With a replay
/// file, the game starts by playing it (then the menu). Returns 0 once the
/// game has ended, 1 when no window could be made, a picture not loaded or
/// the replay not read.
int zunkMain(const char *replayFile = nullptr);
/// Reads the table and the settings, opens the window and loads the
/// pictures; false (and the loop must not run) when the window cannot be
/// made or a picture cannot be loaded.
bool initzunk();
/// One frame of the loop: the cursor drawn, the frame shown and paced, then
/// the next one drawn. False once the game ends. `waitWhileInactive` holds
/// the game while its window has no focus.
bool zunkFrame(bool waitWhileInactive);
/// The first half of zunkFrame: the cursor drawn over the frame, the frame
/// shown and paced. False once the game ends.
bool showFrame(bool waitWhileInactive);
/// Draws and runs the current screen for one frame (the devices read
/// first); false once the game ends.
bool doZunk();
/// Keeps what is to be kept (the game left unfinished, the table), then
/// frees the sounds, the pictures and the window.
void freeZunk();

/// Leaves the play (or the choice to continue) for the menu, as the menu
/// zone does; the live game, left before its end, is kept to continue.
void leaveForMenu();
/// Starts watching the replay at `path`; the screen `after` comes once it
/// stops. False, with the reason in `error`, when it cannot be played.
bool watchReplay(const char *path, int32_t after, std::string &error);

/// Everything as the program starts, but the scores and the window: the
/// title screen, no sounds loaded yet, the buttons as first laid out, the
/// menu locked, the hint to come, a new game (whose wall draws from rand()).
void resetSession();
