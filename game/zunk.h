#pragma once

// The game shell: entry, main loop, screen states, menu, sound set, the
// high-score table, and the help and high-score screens.

#include <cstdint>
#include <string>

#include "KGraphic.h"
#include "KSound.h"
#include "KWindow.h"
#include "switches.h"

/// One menu button: its picture on the sprite sheet, where it is drawn and
/// its press animation.
struct sButton {
  int32_t id;
  int16_t srcX1, srcY1, srcX2, srcY2;
  int16_t destX, destY;
  int16_t destX2, destY2; ///< right and bottom of the clickable box
  float zoom;
  float phase;
  float blend;
  float phaseSpeed;
};

extern KWindow *gamewindow;
extern KGraphic *surf_zunk;
extern KGraphic *surf_curseur;
/// The screen the frame loop runs: the value of gameState.
enum Screen : int32_t {
  kTitleScreen = 0,
  kMenuScreen = 1,
  kHelpScreen = 2,
  kScoresScreen = 3,
  kPlayScreen = 4,
  kQuitting = 5, ///< QUIT was chosen; the window ends the loop
  kResumeScreen = 6, ///< PLAY offers to continue the game left unfinished
};
extern int32_t gameState;

extern sButton buttons[5];
extern sButton storeButtons[5];
extern int32_t selectedButton;
/// The menu button the keyboard or gamepad points at (0 to 3), or -1.
extern int32_t menuFocus;
extern bool lockMenu;
extern float fadeback;

extern int32_t topScores[10];
extern const int32_t topScoresOld[10];

extern KSound *snd_downline;
extern KSound *snd_break[3];
extern KSound *snd_bomb;
extern KSound *snd_hammer;
extern KSound *snd_tictac;
extern KSound *snd_throw;
extern KSound *snd_menu;
extern KSound *snd_music;

void initzunk();
bool doZunk();
void freeZunk();
/// The whole program: start-up, the frame loop, shut-down. With a replay
/// file, the game starts by playing it (then the menu). Returns 0 once the
/// game has ended, 1 when no window could be made or the replay not read.
int zunkMain(const char *replayFile = nullptr);
/// One frame of the loop: the cursor drawn, the frame shown and paced, then
/// the next one drawn. False once the game ends. `waitWhileInactive` holds
/// the game while its window has no focus.
bool zunkFrame(bool waitWhileInactive);
/// The first half of zunkFrame: the cursor drawn over the frame, the frame
/// shown and paced. False once the game ends.
bool showFrame(bool waitWhileInactive);

void resetButtons();

/// Leaves the play for the menu, as the MENU button does.
void leaveForMenu();
/// One frame of play (or of the paused game): what the play screen does
/// each frame with the player's input already read.
void playFrame();
void displayButton(long index);
void doMenu();
void diplayCopyright();
void showHelp();
void showScores();

void loadSounds();
void freeSounds();
/// Plays a sound of the set if it exists, unless the sounds are quiet.
void playSound(KSound *sound);
/// While set, playSound plays nothing (a game rebuilt out of sight).
extern bool soundsQuiet;

/// Reads the table from scoresPath(), or from the data folder while the
/// user's folder holds none; a missing file leaves the table as it is.
void loadScores();
/// Writes the table atomically; false (and a line on standard error) when
/// nothing was written, as for a file the player made read-only.
bool saveScores();
/// Where the high-score file is written: the data folder, or the user's data
/// folder when the data folder cannot be written or its file is read-only.
const char *scoresPath();

/// The function-local statics of the screens.
void resetShellStatics();
/// Everything as the program starts, but the scores and the window: the
/// title screen, no sounds loaded yet, the buttons as first laid out, the
/// menu locked, the tutorial on, a new game (whose wall draws from rand()).
void resetSession();
