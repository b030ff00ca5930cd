#include "zunk.h"

#include <cstring>
#include <string>

#include "KInput.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "assets.h"
#include "controls.h"
#include "credits.h"
#include "help.h"
#include "keptreplays.h"
#include "layout.h"
#include "livegame.h"
#include "menu.h"
#include "playerwords.h"
#include "playsounds.h"
#include "playview.h"
#include "recording.h"
#include "resume.h"
#include "scores.h"
#include "scoresscreen.h"
#include "storage.h"
#include "switches.h"
#include "tell.h"
#include "title.h"
#include "unfinished.h"
#include "watch.h"

using namespace layout;

int32_t gameState = kTitleScreen;

namespace {
// Where the game goes once the replay being watched stops.
int32_t screenAfterWatching = kMenuScreen;

// The live game, if it is on the screen, is kept to continue: as the
// program ends, as the player leaves it, and as a host that may end the
// program without notice hides it (a page). A game that goes on after that
// is kept again as it is left, or forgotten at its GAME OVER.
void keepLiveGame() {
  std::string message;
  if (gameState == kPlayScreen && !watching() && !keepUnfinishedGame(message)) tell(message);
}

// What a menu button does once its press has played out.
void chosen(MenuChoice choice) {
  switch (choice) {
  case kChosePlay: {
    // PLAY offers to continue a game left unfinished, if it still replays.
    std::string message;
    const bool offered = unfinishedGameOnOffer(message);
    tell(message);
    if (offered) {
      offerResumeChoice();
      gameState = kResumeScreen;
    } else {
      gameState = kPlayScreen;
    }
    break;
  }
  case kChoseScores: gameState = kScoresScreen; break;
  case kChoseHelp: gameState = kHelpScreen; break;
  case kChoseQuit:
    gameState = kQuitting;
    gamewindow->terminate();
    break;
  case kChoseBack: gameState = kMenuScreen; break;
  case kNoChoice: break;
  }
}

// A frame of the live game: played, drawn, heard; what it did decides the
// rest (the table, the game kept to continue, the next screen).
void liveFrame(const PlayInput &input) {
  const bool wasOver = liveGame().gameover;
  const PlayEvents events = playLiveFrame(input);
  drawPlay(liveGame(), *surf_zunk);
  playSounds(events.sounds);
  if (events.paused) stopEffects();
  if (events.paused || events.resumed) applySettings(liveGame().paused);
  // A game that has ended is no longer one to continue.
  if (liveGame().gameover && !wasOver) forgetUnfinishedGame();
  // A game that enters the table keeps its replay beside it.
  if (events.scoreOffered) {
    int32_t before[10];
    std::memcpy(before, topScores, sizeof before);
    const int row = sendScore(events.score);
    std::string message;
    if (row >= 0 && !keepReplay(row, before, liveRecording(), message)) tell(message);
    // A page closed never runs the program's end, where the table is saved.
    if (row >= 0 && KMiscTools::isEndedWithoutNotice()) {
      std::string saved;
      saveScores(saved);
      tell(saved);
    }
  }
  if (events.leave) leaveForMenu();
  else if (events.restart) newLiveGame(input);
}

void resumeChoice(const PlayInput &input) {
  switch (doResumeChoice()) {
  case kChoseMenu: leaveForMenu(); break;
  case kChoseContinue:
    if (continueUnfinishedGame()) {
      // The game as it was left, its last frame shown, paused.
      gameState = kPlayScreen;
      stopEffects();
      applySettings(true);
      drawPlay(liveGame(), *surf_zunk);
      break;
    }
    [[fallthrough]]; // it could not be rebuilt: a new game
  case kChoseNewGame:
    forgetUnfinishedGame();
    newLiveGame(input);
    gameState = kPlayScreen;
    break;
  case kNotChosen: break;
  }
}
} // namespace

void resetSession() {
  stopWatching();
  std::memcpy(buttons, storeButtons, sizeof buttons);
  gameState = kTitleScreen;
  // The title loads the sounds again: those loaded are released first.
  freeSounds();
  resetTitle();
  resetCredits();
  resetButtons();
  selectedButton = -1;
  menuFocus = -1;
  lockMenu = true;
  resetControls();
  applySettings(false);
  resetLiveGame();
  newLiveGame(playInput());
}

// ------------------------------------------------------------------ program

int zunkMain(const char *replayFile) {
  KMiscTools::initMiscTools();
  KMiscTools::setFileSource(true);
  std::string error;
  Recording check;
  if (replayFile && !loadRecording(replayFile, check, error)) {
    tell(std::string(replayFile) + ": " + error);
    return 1;
  }
  // Without a window or its pictures the game cannot run: say so to
  // whoever started it.
  const bool ready = initzunk();
  const int status = ready ? 0 : 1;
  if (ready && replayFile) {
    if (!watchReplay(replayFile, kMenuScreen, error)) {
      tell(std::string(replayFile) + ": " + error);
      freeZunk();
      return 1;
    }
    // The title, which loads the sounds, is not shown before the replay.
    loadSoundsOnce();
  }
  // The loop draws a frame, then shows it: a browser shows what the call
  // of the loop leaves drawn, which must be a whole frame with its cursor.
  if (ready && showFrame(true)) gamewindow->runFrameLoop([] { return doZunk() && showFrame(true); }, freeZunk);
  else freeZunk();
  return status;
}

bool showFrame(bool waitWhileInactive) {
  if (!gamewindow) return false;
  gamewindow->setDefaultWorldView();
  if (gamewindow->isQuit()) return false;
  surf_curseur->blitAlphaRect(kCursor.x1, kCursor.y1, kCursor.x2, kCursor.y2, KInput::getMouseX(), KInput::getMouseY(),
                              false, false);
  gamewindow->flipBackBuffer(waitWhileInactive, true);
  return true;
}

bool zunkFrame(bool waitWhileInactive) { return showFrame(waitWhileInactive) && doZunk(); }

bool initzunk() {
  // What the game keeps, the host keeps too (a browser, in its storage).
  setFilesChangedHandler(KMiscTools::userFilesChanged);
  KMiscTools::setHidingHandler(keepLiveGame);
  // The table is read before anything can save it: a quit before the title
  // has loaded the sounds must not write the defaults over the player's file.
  std::string message;
  loadScores(message);
  tell(message);
  settingsFile = settingsPath();
  if (!settingsFile.empty()) playerSettings = readSettings(settingsFile, message);
  tell(message);
  applySettings(false);
  gamewindow = KVexo::createKWindow(K_OPENGL, false);
  // The window opens no larger than the desktop; the kept scale stays in
  // the file for when the larger desktop is back.
  prepareWindow();
  if (!gamewindow->createGameWindow(kScreenWidth, kScreenHeight, -1, true, "Zunk")) {
    // Without a window nothing can be drawn: the loop ends at once.
    delete gamewindow;
    gamewindow = nullptr;
    return false;
  }
  applyWindowSettings();
  gamewindow->setClearColor(0, 0, 0, 1);
  gamewindow->setWorldView(0, 0, 0, 1, true);
  gamewindow->flipBackBuffer(true, true);
  gamewindow->setMaxFrameRate(80);
  surf_zunk = loadGamePicture(playerSheet().c_str(), message);
  tell(message);
  surf_curseur = loadGamePicture("curseur.png", message);
  tell(message);
  resetSession();
  return surf_zunk && surf_curseur;
}

bool doZunk() {
  if (!surf_zunk || !gamewindow || gamewindow->isQuit()) return false;
  readControls();
  handleSwitches();
  handleWindowKeys();
  gamewindow->setClearColor(0, 0, 0, 1);
  gamewindow->setWorldView(0, 0, 0, 1, true);
  const PlayInput input = playInput();
  switch (gameState) {
  case kTitleScreen:
    selectedButton = -1;
    if (doTitle()) gameState = kMenuScreen;
    break;
  case kMenuScreen: {
    // Every frame of the menu sets a new game up: a game left is never
    // picked up again (but by CONTINUE).
    newLiveGame(input);
    const MenuChoice choice = doMenu();
    lockMenu = drawDoors();
    diplayCopyright();
    chosen(choice);
    break;
  }
  case kHelpScreen: chosen(showHelp()); break;
  case kScoresScreen: {
    const ScoresChoice choice = showScores();
    chosen(choice.back);
    std::string error;
    if (!choice.watch.empty() && !watchReplay(choice.watch.c_str(), kScoresScreen, error))
      tell(choice.watch + ": " + error);
    break;
  }
  case kPlayScreen:
    if (!watching()) liveFrame(input);
    else if (!watchFrame()) gameState = screenAfterWatching;
    break;
  case kResumeScreen: resumeChoice(input); break;
  default: break;
  }
  return true;
}

void leaveForMenu() {
  // A game left before its end is kept, to be continued.
  keepLiveGame();
  gameState = kMenuScreen;
  putButtonsBack();
  selectedButton = -1;
}

bool watchReplay(const char *path, int32_t after, std::string &error) {
  if (!startWatching(path, error)) return false;
  screenAfterWatching = after;
  gameState = kPlayScreen;
  return true;
}

void freeZunk() {
  KMiscTools::setHidingHandler(nullptr);
  keepLiveGame();
  stopWatching();
  freeSounds();
  std::string message;
  saveScores(message);
  tell(message);
  delete surf_curseur;
  surf_curseur = nullptr;
  delete surf_zunk;
  surf_zunk = nullptr;
  delete gamewindow;
  gamewindow = nullptr;
}
