#pragma once

// The game's shell: the program's start and end, the frame loop, and the
// screen each frame runs. The screens and the play say what the player did;
// the shell decides what follows: the next screen, the sounds, the table
// and the replays it keeps, the game left unfinished.

#include <cstdint>
#include <string>

#include "assets.h"
#include "calendar.h"
#include "controls.h"
#include "credits.h"
#include "daily.h"
#include "dailytable.h"
#include "keptreplays.h"
#include "livegame.h"
#include "keepnotice.h"
#include "menu.h"
#include "options.h"
#include "received.h"
#include "resume.h"
#include "scoresscreen.h"
#include "sentpanel.h"
#include "switches.h"
#include "title.h"
#include "unfinished.h"
#include "watch.h"

/// The screen the frame loop runs.
enum Screen : int32_t {
  kTitleScreen = 0,
  kMenuScreen = 1,
  kHelpScreen = 2,
  kScoresScreen = 3,
  kPlayScreen = 4,
  kQuitting = 5,     ///< QUIT was chosen; the window ends the loop
  kResumeScreen = 6,  ///< PLAY offers to continue the game left unfinished
  kWatchScreen = 7,   ///< a replay watched under the REPLAY mark
  kOptionsScreen = 8, ///< the options, and their keys' page
  kDailyScreen = 9,   ///< TODAY'S WALL: its start, its table, the streak
  kRefusedScreen = 10, ///< a game received that did not prove itself
};

/// Everything the game keeps from one frame to the next, but the engine's
/// own: what it draws with and plays, the devices as last read, the
/// settings, the table, the game played and those left unfinished, the
/// screen shown, and each screen's state. A frame steps it (the screen
/// runs, the shell acts on what it reports) and then draws it, changing
/// nothing. A new screen or mode is a field here and a screen of its own.
struct Shell {
  /// The program runs in a web page: its keys are the page's, and QUIT
  /// goes back to the title (the browser closes a page, not its program).
  bool page = false;
  Assets assets;
  Controls controls;
  Switchboard switches; ///< the player's settings, and the music lowered
  KeepNotice notice;      ///< what could not be kept, said on the screen
  HighScores highScores; ///< the table as this program has it
  /// The game the player plays: an ordinary game, whose numbers come from
  /// rand(), or a daily wall's, whose numbers come from its day.
  LiveGame live;
  /// The live game is today's scored try (kept in the daily table as it
  /// goes); a daily game that is not is practice.
  bool liveScored = false;
  /// The daily wall as this program has it: its table, the clock, the try
  /// taken here.
  DailyRecords daily;
  /// The last practice game on a daily wall, listed on the daily screen
  /// (to watch and to send) until the program ends; none while its score
  /// is negative.
  Recording practiceGame;
  int32_t practiceScore = -1;
  UnfinishedGames unfinished; ///< the games left, offered and claimed
  /// The screen the next frame runs.
  Screen screen = kTitleScreen;
  /// What the last frame showed: the screen it ran (a frame that leaves a
  /// screen shows it once more), with the game over it when CONTINUE put
  /// it back in that frame, as it was left.
  Screen shown = kTitleScreen;
  bool shownContinued = false;
  Title title;     ///< the title, the doors over the menu, the notice
  Menu menu;       ///< the menu's buttons, BACK, the veil
  Credits credits; ///< the help's credits line
  ScoresScreen scores;
  ResumeScreen resume;
  Watching watching;
  /// Files given to the program (dropped on the window, chosen in a page's
  /// picker) are taken: on the high scores alone, to import.
  bool takingFiles = false;
  OptionsScreen options;
  /// The sheet file drawn from (the language's), and the one the chosen
  /// language wants, which a browser may still be fetching.
  std::string sheetShown, sheetWanted;
  DailyScreen dailyScreen;
  RefusedScreen refused;
  /// What SEND did, over the screen it was chosen on.
  SentPanel sent;
  /// A file dropped on the window while a game was played: opened once it
  /// is left.
  std::string droppedFile;
  /// Where the game goes once the replay watched stops.
  Screen afterWatching = kMenuScreen;
  /// The live game's end has been kept (the table, its replay): once a game.
  bool endKept = false;
  /// What the program's end could not keep: its exit status is then 1.
  bool endNotKept = false;
  /// The live game could not be kept as the last throw landed (a host that
  /// may end the program without notice): said once, not at every throw.
  bool throwKeepFailed = false;
};

/// How the program starts: at the title, or with a game received (a replay
/// file or a link: shown once it has proved itself, else refused with the
/// reason), or on a day's wall.
struct StartWith {
  const char *replayFile = nullptr;
  const char *link = nullptr;
  Day daily = kNoDay;
};
/// The whole program: start-up, the frame loop, shut-down. Returns 0 once
/// the game has ended, 1 when no window could be made, a picture not
/// loaded or the replay file not read.
int zunkMain(const StartWith &start = StartWith());
/// Reads the table and the settings, opens the window and loads the
/// pictures into `shell`, and sets it up as the program starts; false (and
/// the loop must not run) when the window cannot be made or a picture
/// cannot be loaded. Until freeZunk, a host about to hide the program, or
/// the display lost, keeps this shell's live game.
bool initzunk(Shell &shell);
/// One frame of the loop: the cursor drawn, the frame shown and paced, then
/// the next one drawn. False once the game ends. `waitWhileInactive` holds
/// the game while its window has no focus.
bool zunkFrame(Shell &shell, bool waitWhileInactive);
/// The first half of zunkFrame: the cursor drawn over the frame, the frame
/// shown and paced. False once the game ends.
bool showFrame(Shell &shell, bool waitWhileInactive);
/// Runs the current screen for one frame (the devices read first) and draws
/// what it shows; false once the game ends.
bool doZunk(Shell &shell);
/// Keeps what is to be kept (the game left unfinished, the table), then
/// frees the sounds, the pictures and the window.
void freeZunk(Shell &shell);

/// Starts watching the replay at `path`; the screen `after` comes once it
/// stops. False, with the reason in `error`, when it cannot be played.
bool watchReplay(Shell &shell, const char *path, Screen after, std::string &error);
/// A game received: watched, marked verified, if it proved itself (then
/// the screen `after`), else refused with its reason (then the menu).
void openReceived(Shell &shell, const Received &received, Screen after);
/// Starts the wall of `day` at once: today's scored try if it is still
/// open, else practice.
void startDailyGame(Shell &shell, Day day);
/// SEND: `game`'s file written into the user's folder, its link copied
/// where the page's address is known, and the panel that says so.
void sendGame(Shell &shell, const Recording &game);
/// Loads the high scores and the sounds, unless the title's notice has
/// already: a replay watched from the command line starts without the title.
void loadSoundsOnce(Shell &shell);

/// Everything as the program starts, but the scores and the window and its
/// pictures: the title screen, no sounds loaded yet, the buttons as first
/// laid out, the menu locked, the hint to come, a new game (whose wall
/// draws from rand()).
void resetSession(Shell &shell);
