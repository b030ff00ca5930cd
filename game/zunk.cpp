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
#include "keepnotice.h"
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
// What the program's end could not keep: its exit status is then 1.
bool endNotKept = false;
// The live game's end has been kept (the table, its replay): once a game.
bool endKept = false;

// The live game, if it is on the screen, is kept to continue: as the
// program ends, as the player leaves it, and as a host that may end the
// program without notice hides it (a page). A game that goes on after that
// is kept again as it is left, or forgotten at its GAME OVER. False when
// it could not be kept.
bool keepLiveGame() {
  KeepFailure failure;
  if (gameState == kPlayScreen && !watching()) keepUnfinishedGame(failure);
  tellFailure(failure);
  return !failure.failed;
}
void keepLiveGameAsHidden() { keepLiveGame(); }

// The live game kept as it goes: a failure is told once, not at every throw.
void keepLiveGameAsItGoes() {
  static bool failedBefore = false;
  KeepFailure failure;
  keepUnfinishedGame(failure);
  if (!failedBefore) tellFailure(failure);
  failedBefore = failure.failed;
}

// A host that keeps the user's files for several programs at once (a
// browser's tabs) locks them and brings them up to date itself.
const KeptFilesLock kHostLock = {
    [](const std::string &, std::string &error) { return KMiscTools::takeUserFiles(error); },
    [](const std::string &) { KMiscTools::giveUserFiles(); }};

// The host's storage, late to answer, has come in: the games that ended
// meanwhile enter the table it holds.
void keepPendingAsFilesArrive() {
  KeepFailure failure;
  keepPendingGames(failure);
  tellFailure(failure);
  if (!gamesPending()) endedGamesKept();
}

// What the program keeps at its end: the live game, and the games that
// ended and could not be kept until now. False when something was not kept.
bool keepAtTheEnd() {
  KeepFailure failure;
  keepPendingGames(failure);
  tellFailure(failure);
  // The games continued here whose ends are kept now are done with.
  if (!gamesPending()) endedGamesKept();
  const bool live = keepLiveGame();
  return live && !failure.failed;
}

// The display is gone (its connection broken, the window destroyed): the
// program can show nothing more and ends at once, keeping what it keeps at
// its end. Its exit status.
int displayLost() {
  tell("the display was lost: the game ends, and a game in progress is kept to continue");
  return keepAtTheEnd() ? 0 : 1;
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
  case kChoseScores: {
    // Another copy of the game may have changed the table.
    std::string message;
    reloadTable(message);
    tell(message);
    gameState = kScoresScreen;
    break;
  }
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
  const bool inFlight = liveGame().launched;
  const PlayEvents events = playLiveFrame(input);
  drawPlay(liveGame(), *surf_zunk);
  playSounds(events.sounds);
  if (events.paused) stopEffects();
  if (events.paused || events.resumed) applySettings(liveGame().paused);
  // A game that has just ended enters the table with its replay, kept
  // before the frame that shows GAME OVER is (its score is final in the
  // frame that ends it, where the play offers it only in the next); only
  // then is the game it was continued from forgotten.
  if (!liveGame().gameover) endKept = false;
  else if (!endKept) {
    endKept = true;
    KeepFailure failure;
    keepEndedGame(liveRecording(), failure);
    tellFailure(failure);
    liveGameEnded(!gamesPending());
  }
  // A host that may end the program without notice (a browser quit or
  // crashed says nothing to its pages) keeps the game as each throw lands:
  // no more than a throw is lost.
  if (inFlight && !liveGame().launched && !liveGame().gameover && KMiscTools::isEndedWithoutNotice())
    keepLiveGameAsItGoes();
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
  resetKeepNotice();
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
  return endNotKept ? 1 : status;
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
  if (KMiscTools::hostKeepsUserFiles()) setKeptFilesLock(&kHostLock);
  KMiscTools::setUserFilesArrivedHandler(keepPendingAsFilesArrive);
  KMiscTools::setHidingHandler(keepLiveGameAsHidden);
  KMiscTools::setDisplayLostHandler(displayLost);
  // The records' folder is tidied and the table read before anything can
  // change it.
  std::string message;
  KeepFailure noFolder;
  prepareRecords(message, noFolder);
  tell(message);
  settingsFile = settingsPath();
  if (!settingsFile.empty()) playerSettings = readSettings(settingsFile, message);
  tell(message);
  removeSettingsLeftovers(settingsFile);
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
  // Said once, on the screen too: the game plays on, keeping nothing.
  tellFailure(noFolder);
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
  drawKeepNotice(gameState == kPlayScreen);
  return true;
}

void leaveForMenu() {
  // A game left before its end is kept, to be continued; another copy of
  // the game may now be offered it.
  keepLiveGame();
  releaseUnfinishedGame();
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
  KMiscTools::setUserFilesArrivedHandler(nullptr);
  KMiscTools::setDisplayLostHandler(nullptr);
  endNotKept = !keepAtTheEnd();
  stopWatching();
  freeSounds();
  delete surf_curseur;
  surf_curseur = nullptr;
  delete surf_zunk;
  surf_zunk = nullptr;
  delete gamewindow;
  gamewindow = nullptr;
}
