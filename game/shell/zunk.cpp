#include "zunk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "KInput.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "help.h"
#include "keepnotice.h"
#include "keptreplays.h"
#include "language.h"
#include "layout.h"
#include "livegame.h"
#include "playerwords.h"
#include "playsounds.h"
#include "playview.h"
#include "sentgame.h"
#include "recording.h"
#include "recordsfile.h"
#include "settings.h"
#include "scores.h"
#include "storage.h"
#include "switches.h"
#include "tell.h"
#include "unfinished.h"

using namespace layout;

#ifndef ZUNK_SHARE_URL
#define ZUNK_SHARE_URL ""
#endif

namespace {
// The shell the engine's callbacks reach, which carry nothing of ours: the
// frame loop a host runs (a browser, once the program's own stack is
// gone), the host about to hide the program, and the display lost. Set
// from initzunk to freeZunk.
Shell *running = nullptr;

// The live game, if it is on the screen, is kept to continue: as the
// program ends, as the player leaves it, and as a host that may end the
// program without notice hides it (a page). A game that goes on after that
// is kept again as it is left, or forgotten at its GAME OVER. False when
// it could not be kept.
bool keepLiveGame(Shell &shell) {
  KeepFailure failure;
  // A daily wall's game is not continued: its scored try is kept as it
  // stands (a practice game is not kept at all).
  if (shell.screen == kPlayScreen && shell.live.daily()) {
    if (shell.liveScored) keepScoredTry(shell.daily, shell.live.recording(), failure);
  } else if (shell.screen == kPlayScreen) {
    keepUnfinishedGame(shell.unfinished, shell.live.recording(), failure);
  }
  tellFailure(shell.notice, failure);
  return !failure.failed;
}

// What the program keeps at its end: the live game, and the games that
// ended and could not be kept until now. False when something was not kept.
bool keepAtTheEnd(Shell &shell) {
  KeepFailure failure;
  keepPendingGames(shell.highScores, failure);
  tellFailure(shell.notice, failure);
  // The games continued here whose ends are kept now are done with.
  if (!gamesPending(shell.highScores)) endedGamesKept(shell.unfinished);
  const bool live = keepLiveGame(shell);
  return live && !failure.failed;
}

// The live game kept as it goes: a failure is told once, not at every throw.
void keepLiveGameAsItGoes(Shell &shell) {
  KeepFailure failure;
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failure);
  if (!shell.throwKeepFailed) tellFailure(shell.notice, failure);
  shell.throwKeepFailed = failure.failed;
}

// A host that keeps the user's files for several programs at once (a
// browser's tabs) locks them and brings them up to date itself.
const KeptFilesLock kHostLock = {
    [](const std::string &, std::string &error) { return KMiscTools::takeUserFiles(error); },
    [](const std::string &) { KMiscTools::giveUserFiles(); }};

// The host's storage, late to answer, has come in: the games that ended
// meanwhile enter the table it holds.
void keepPendingAsFilesArrive() {
  if (!running) return;
  Shell &shell = *running;
  KeepFailure failure;
  keepPendingGames(shell.highScores, failure);
  tellFailure(shell.notice, failure);
  if (!gamesPending(shell.highScores)) endedGamesKept(shell.unfinished);
}

void stopWatching(Shell &shell) {
  if (!watching(shell.watching)) return;
  stopWatching(shell.watching);
  applySettings(shell.switches, false);
}

// The daily screen, with the table as it is kept now (another copy of the
// game may have changed it) and the focus on `row`.
void showDaily(Shell &shell, int row = kStartFocus, bool send = false) {
  std::string message;
  reloadDailyTable(shell.daily, message);
  tell(message);
  enterDailyScreen(shell.dailyScreen, row, send);
  shell.screen = kDailyScreen;
  // Reached without the menu (a day's wall from the command line), no
  // door is left to open.
  shell.menu.lockMenu = false;
}

// A daily game left (or ended): the scored try kept as it stands, a
// practice game listed to watch and send until the program ends.
void dailyGameDone(Shell &shell) {
  const Recording game = shell.live.recording();
  if (shell.liveScored) {
    KeepFailure failure;
    keepScoredTry(shell.daily, game, failure);
    tellFailure(shell.notice, failure);
  } else {
    shell.practiceGame = game;
    shell.practiceScore = game.score;
  }
}

// What a frame of play asks to be heard: its sounds; its pause stops the
// effects and turns the music down (`paused`: the game now is).
void hear(Shell &shell, const PlayEvents &events, bool paused) {
  playSounds(shell.assets.sounds, events.sounds);
  if (events.paused) stopEffects(shell.assets.sounds);
  if (events.paused || events.resumed) applySettings(shell.switches, paused);
}

// Leaves the play (or the choice to continue) for the menu, as the menu
// zone does; the live game, left before its end, is kept to continue.
void leaveForMenu(Shell &shell) {
  if (shell.screen == kPlayScreen && shell.live.daily()) {
    // A daily game goes back to the daily screen, its row in view.
    dailyGameDone(shell);
    shell.liveScored = false;
    putButtonsBack(shell.menu);
    shell.menu.selectedButton = -1;
    showDaily(shell);
    return;
  }
  keepLiveGame(shell);
  // Another copy of the game may now be offered it.
  releaseUnfinishedGame(shell.unfinished);
  shell.screen = kMenuScreen;
  putButtonsBack(shell.menu);
  shell.menu.selectedButton = -1;
}

// QUIT in a page: what the program's end keeps is kept, and the program
// starts again from its title, as a page opened anew would.
void quitToTitle(Shell &shell) {
  resetSession(shell);
  keepAtTheEnd(shell);
}

// ---- the records carried: EXPORT and IMPORT on the high scores

// Where a desktop's EXPORT writes the records and its IMPORT reads them:
// the player's home folder, as the screen says; "" without one.
std::string homeRecordsFile() {
  const char *home = std::getenv("HOME");
  return home && *home ? std::string(home) + "/" + kRecordsFileName : std::string();
}

// An import's outcome acted on: said on the screen (and why, on standard
// error), what could not be kept noticed, the settings taken applied.
void imported(Shell &shell, const CarryOutcome &outcome) {
  tell(outcome.message);
  tell(outcome.failure.note);
  tellFailure(shell.notice, outcome.failure);
  if (outcome.settingsTaken) {
    std::string message;
    shell.switches.playerSettings = readSettings(shell.switches.settingsFile, message);
    tell(message);
    applySettings(shell.switches, false);
  }
  sayCarried(shell.scores, importWord(outcome));
}

// EXPORT: a desktop writes the file in the home folder; a page writes it
// where the player cannot reach it and hands it over as a download.
void exportPressed(Shell &shell) {
  const std::string path = shell.page ? std::string("/tmp/") + kRecordsFileName : homeRecordsFile();
  CarryOutcome outcome;
  if (!path.empty()) outcome = exportRecords(shell.highScores, shell.switches.settingsFile, path);
  tell(outcome.failure.note);
  bool given = outcome.done;
  if (outcome.done && shell.page) {
    given = KMiscTools::offerFile(path.c_str(), kRecordsFileName);
    std::remove(path.c_str());
  }
  if (!outcome.done) tell(path.empty() ? "nothing exported: no home folder" : outcome.message);
  sayCarried(shell.scores, !given ? CarryWord::kNotExported
                                  : shell.page ? CarryWord::kDownloaded : CarryWord::kSavedHome);
}

// IMPORT: a page opens its picker (the file chosen arrives as a file given);
// a desktop reads the file EXPORT writes, and says where to put one (or to
// drop one on the window) when there is none.
void importPressed(Shell &shell) {
  if (KMiscTools::askForFile()) return;
  const std::string path = homeRecordsFile();
  struct stat there;
  if (path.empty() || ::lstat(path.c_str(), &there) != 0) {
    sayCarried(shell.scores, CarryWord::kNoFileHome);
    return;
  }
  imported(shell, importRecords(shell.highScores, shell.switches.settingsFile, path));
}

// A file dropped on the window that is a records file is imported, and
// the high scores say what came; any other is a game received. False when
// it is not a records file.
bool importedDropped(Shell &shell, const std::string &path) {
  const CarryOutcome outcome = importRecords(shell.highScores, shell.switches.settingsFile, path);
  if (outcome.refused == Refusal::kNotRecords) return false;
  stopWatching(shell);
  shell.screen = kScoresScreen;
  imported(shell, outcome);
  return true;
}

// Files given are taken on the high scores alone: anywhere else a file
// dropped is not opened (nor, in a page, opened by the browser instead).
void takeFilesOn(Shell &shell, bool taking) {
  if (taking == shell.takingFiles) return;
  shell.takingFiles = taking;
  KMiscTools::acceptGivenFiles(taking ? kMaxRecordsBytes : 0);
}

// A file given on the high scores is imported; a page's copy of it is
// removed once read (a desktop's is the player's own).
void importGiven(Shell &shell) {
  const std::string given = KMiscTools::takeGivenFile();
  if (given.empty()) return;
  imported(shell, importRecords(shell.highScores, shell.switches.settingsFile, given));
  if (shell.page) std::remove(given.c_str());
}

// What a menu button does once its press has played out.
void chosen(Shell &shell, MenuChoice choice) {
  switch (choice) {
  case kChosePlay: {
    // PLAY offers to continue a game left unfinished, if it still replays.
    std::string message;
    const bool offered = unfinishedGameOnOffer(shell.unfinished, message);
    tell(message);
    if (offered) {
      offerResumeChoice(shell.resume);
      shell.screen = kResumeScreen;
    } else {
      shell.screen = kPlayScreen;
    }
    break;
  }
  case kChoseScores: {
    // Another copy of the game may have changed the table.
    std::string message;
    reloadTable(shell.highScores, message);
    tell(message);
    shell.screen = kScoresScreen;
    break;
  }
  case kChoseHelp: shell.screen = kHelpScreen; break;
  case kChoseQuit:
    if (shell.page) {
      quitToTitle(shell);
      break;
    }
    shell.screen = kQuitting;
    shell.assets.gamewindow->terminate();
    break;
  case kChoseBack: shell.screen = kMenuScreen; break;
  case kChoseDaily: showDaily(shell); break;
  case kChoseOptions:
    openOptions(shell.options);
    shell.screen = kOptionsScreen;
    break;
  case kNoChoice: break;
  }
}

// The menu's buttons and switches: the press heard, the switch switched,
// then what a button chose.
void menuDid(Shell &shell, const MenuEvents &events) {
  if (events.pressed) playSound(shell.assets.sounds.snd_menu);
  KeepFailure failure;
  switchSounds(shell.switches, events.switchMusic, events.switchSounds, failure);
  tellFailure(shell.notice, failure);
}

// The sheet of the language the player chose (the system's when none),
// once it is there: a browser fetches it first.
void followLanguage(Shell &shell) {
  shell.sheetWanted = playerSheet(shell.switches.playerSettings.language);
  if (shell.sheetWanted == shell.sheetShown || !shell.assets.surf_zunk) return;
  if (!KMiscTools::fileExists(KMiscTools::makeFilePath(shell.sheetWanted.c_str()))) {
    KMiscTools::fetchDataFile(shell.sheetWanted.c_str());
    return;
  }
  std::string message;
  KGraphic *sheet = loadGamePicture(shell.sheetWanted.c_str(), message);
  tell(message);
  // One that cannot be loaded is not asked for again.
  const std::string wanted = shell.sheetWanted;
  if (!sheet) {
    shell.sheetShown = wanted;
    return;
  }
  delete shell.assets.surf_zunk;
  shell.assets.surf_zunk = sheet;
  shell.sheetShown = wanted;
}

OptionValues optionValues(const Shell &shell) {
  const Settings &settings = shell.switches.playerSettings;
  OptionValues values;
  values.musicLevel = settings.music ? settings.musicLevel : 0;
  values.soundsLevel = settings.sounds ? settings.soundsLevel : 0;
  values.language = settings.language.empty() ? -1 : languageIndex(settings.language);
  values.wholeScaling = settings.wholeScaling;
  values.fullScreen = settings.fullScreen;
  if (KWindow *window = shell.assets.gamewindow) values.scale = window->getWindowScale();
  values.look = lookOf(shell.switches);
  values.keys = settings.keys;
  return values;
}

// What the options chose: each change made and kept.
void optionsDid(Shell &shell, const OptionsEvents &events) {
  menuDid(shell, events.menu);
  Switchboard &switches = shell.switches;
  KWindow *window = shell.assets.gamewindow;
  const Look look = lookOf(switches);
  KeepFailure failure;
  if (events.musicLevel >= 0) setVolume(switches, true, events.musicLevel, failure);
  if (events.soundsLevel >= 0) setVolume(switches, false, events.soundsLevel, failure);
  if (events.language)
    chooseLanguage(switches, events.languageIndex < 0 ? "" : kLanguageTags[events.languageIndex], failure);
  if (events.windowStep) stepWindowSize(switches, window, events.windowStep, failure);
  if (events.fullScreen) chooseFullScreen(switches, window, !switches.playerSettings.fullScreen, failure);
  if (events.calm) chooseCalm(switches, look.calm ? Choice::kOff : Choice::kOn, failure);
  if (events.contrast) chooseContrast(switches, look.contrast ? Choice::kOff : Choice::kOn, failure);
  if (events.keys) {
    chooseKeys(switches, events.newKeys, failure);
    shell.controls.setKeys(events.newKeys);
  }
  tellFailure(shell.notice, failure);
  followLanguage(shell);
}

// A frame of the live game: played and heard; what it did decides the rest
// (the table, the game kept to continue, the next screen).
void liveFrame(Shell &shell, const PlayInput &input) {
  const bool inFlight = shell.live.game().launched;
  const PlayEvents events = shell.live.playFrame(input);
  hear(shell, events, shell.live.game().paused);
  // A game that has just ended enters the table with its replay, kept
  // before the frame that shows GAME OVER is (its score is final in the
  // frame that ends it, where the play offers it only in the next); only
  // then is the game it was continued from forgotten.
  if (!shell.live.game().gameover) shell.endKept = false;
  else if (!shell.endKept && shell.live.daily()) {
    // A daily wall's game goes to its own table, not the high scores.
    shell.endKept = true;
    dailyGameDone(shell);
  } else if (!shell.endKept) {
    shell.endKept = true;
    KeepFailure failure;
    keepEndedGame(shell.highScores, shell.live.recording(), failure);
    tellFailure(shell.notice, failure);
    // A score is kept: a host that may clear the player's files is asked
    // to keep them for good.
    if (!failure.failed) KMiscTools::askForLastingStorage();
    liveGameEnded(shell.unfinished, !gamesPending(shell.highScores));
  }
  // A host that may end the program without notice (a browser quit or
  // crashed says nothing to its pages) keeps the game as each throw lands:
  // no more than a throw is lost.
  const Play &game = shell.live.game();
  if (inFlight && !game.launched && !game.gameover && KMiscTools::isEndedWithoutNotice()) keepLiveGameAsItGoes(shell);
  if (events.leave) leaveForMenu(shell);
  else if (events.restart && shell.live.daily()) startDailyGame(shell, shell.live.day());
  else if (events.restart) shell.live.newGame(input);
}

void watchedFrame(Shell &shell, const PlayInput &input) {
  PlayEvents events;
  if (watchFrame(shell.watching, input, events)) {
    hear(shell, events, shell.watching.replay->game().paused);
    return;
  }
  // Stopped: the music as the player has it.
  applySettings(shell.switches, false);
  shell.screen = shell.afterWatching;
}

void resumeChoice(Shell &shell, const PlayInput &input) {
  switch (doResumeChoice(shell.resume, shell.controls)) {
  case kChoseMenu: leaveForMenu(shell); break;
  case kChoseContinue:
    if (continueUnfinishedGame(shell.unfinished, shell.live)) {
      // The game as it was left, its last frame shown, paused.
      shell.screen = kPlayScreen;
      shell.shownContinued = true;
      stopEffects(shell.assets.sounds);
      applySettings(shell.switches, true);
      break;
    }
    [[fallthrough]]; // it could not be rebuilt: a new game
  case kChoseNewGame:
    forgetUnfinishedGame(shell.unfinished);
    shell.live.newGame(input);
    shell.screen = kPlayScreen;
    break;
  case kNotChosen: break;
  }
}

// Runs the screen of this frame, and acts on what it reports.
void stepShell(Shell &shell) {
  const PlayInput input = shell.controls.playInput();
  // What SEND did stands over the screen, which waits, until it is closed.
  if (doSentPanel(shell.sent, shell.controls)) return;
  shell.shown = shell.screen;
  shell.shownContinued = false;
  takeFilesOn(shell, shell.screen == kScoresScreen);
  // A file dropped in the middle of a game waits until the game is left.
  if (!shell.controls.droppedFile().empty()) shell.droppedFile = shell.controls.droppedFile();
  if (!shell.droppedFile.empty() && shell.screen != kPlayScreen && shell.screen != kTitleScreen) {
    const std::string path = std::move(shell.droppedFile);
    shell.droppedFile.clear();
    const Screen back = shell.screen == kWatchScreen ? shell.afterWatching : shell.screen;
    if (!importedDropped(shell, path))
      openReceived(shell, receiveFile(path), back == kRefusedScreen || back == kResumeScreen ? kMenuScreen : back);
  }
  switch (shell.screen) {
  case kTitleScreen: {
    shell.menu.selectedButton = -1;
    const TitleStep step = doTitle(shell.title);
    if (step.noticeShown) loadSoundsOnce(shell);
    if (step.done) shell.screen = kMenuScreen;
    break;
  }
  case kMenuScreen: {
    // Every frame of the menu sets a new game up: a game left is never
    // picked up again (but by CONTINUE).
    shell.live.newGame(input);
    const MenuEvents events = doMenu(shell.menu, shell.controls, shell.switches.playerSettings.music,
                                        shell.switches.playerSettings.sounds);
    menuDid(shell, events);
    shell.menu.lockMenu = slideDoors(shell.title);
    if (diplayCopyright(shell.title)) loadSoundsOnce(shell);
    chosen(shell, events.choice);
    break;
  }
  case kHelpScreen: {
    const MenuEvents events = showHelp(shell.menu, shell.credits, shell.controls);
    menuDid(shell, events);
    chosen(shell, events.choice);
    break;
  }
  case kScoresScreen: {
    const ScoresChoice choice = showScores(shell.scores, shell.highScores, shell.menu, shell.controls);
    tellFailure(shell.notice, choice.failure);
    menuDid(shell, choice.back);
    chosen(shell, choice.back.choice);
    if (choice.exportPressed) exportPressed(shell);
    if (choice.importPressed) importPressed(shell);
    importGiven(shell);
    std::string error;
    if (!choice.watch.empty() && !watchReplay(shell, choice.watch.c_str(), kScoresScreen, error))
      tell(choice.watch + ": " + error);
    Recording game;
    if (!choice.send.empty() && !loadRecording(choice.send, game, error)) tell(choice.send + ": " + error);
    else if (!choice.send.empty()) sendGame(shell, game);
    break;
  }
  case kDailyScreen: {
    const bool practice = shell.practiceScore >= 0;
    const DailyChoice choice = doDailyScreen(shell.dailyScreen, shell.daily, shell.practiceScore,
                                             practice && !shell.practiceGame.frames.empty(), shell.menu, shell.controls);
    menuDid(shell, choice.back);
    chosen(shell, choice.back.choice);
    if (choice.start) startDailyGame(shell, today(shell.daily));
    // The rows as listed: the practice game first, when there is one.
    const int row = std::max(choice.watch, choice.send) - (practice ? 1 : 0);
    Recording game;
    std::string error;
    bool have = choice.watch >= 0 || choice.send >= 0;
    if (have && row < 0) game = shell.practiceGame;
    else if (have) {
      const std::string path = dailyReplayPath(shell.daily.table.rows[static_cast<size_t>(row)]);
      have = loadRecording(path, game, error);
      if (!have) tell(path + ": " + error);
    }
    if (have && choice.watch >= 0) {
      stopWatching(shell);
      startWatching(shell.watching, std::move(game), input);
      shell.afterWatching = kDailyScreen;
      shell.screen = kWatchScreen;
    } else if (have) {
      sendGame(shell, game);
    }
    break;
  }
  case kRefusedScreen: {
    const MenuEvents events = doRefusal(shell.refused, shell.menu, shell.controls);
    menuDid(shell, events);
    chosen(shell, events.choice);
    break;
  }
  case kPlayScreen: liveFrame(shell, input); break;
  case kWatchScreen: watchedFrame(shell, input); break;
  case kResumeScreen: resumeChoice(shell, input); break;
  case kOptionsScreen: {
    const OptionsEvents events = doOptions(shell.options, shell.menu, shell.controls, optionValues(shell));
    optionsDid(shell, events);
    chosen(shell, events.menu.choice);
    break;
  }
  case kQuitting: break;
  }
  // The notice stands over whatever the frame shows, clear of the play on
  // the screen the next frame runs.
  countKeepNotice(shell.notice, shell.screen == kPlayScreen || shell.screen == kWatchScreen);
}

// What the frame just run shows.
void drawShell(const Shell &shell, KGraphic &sheet) {
  const Look look = lookOf(shell.switches);
  switch (shell.shown) {
  case kTitleScreen: drawTitle(shell.title, sheet); break;
  case kMenuScreen:
    drawMenu(shell.menu, sheet, look);
    drawDoors(shell.title, sheet, look);
    drawNotice(shell.title, sheet);
    break;
  case kHelpScreen: drawHelp(shell.menu, shell.credits, shell.page, sheet, look); break;
  case kScoresScreen: drawScores(shell.scores, shell.menu, sheet, look); break;
  case kPlayScreen:
    drawPlay(shell.live.game(), sheet, look);
    // A daily game says whether it is the day's try or practice.
    if (shell.live.daily()) {
      const Rect &tag = shell.liveScored ? kScoredTryTag : kPracticeTag;
      sheet.blitAlphaRect(tag.x1, tag.y1, tag.x2, tag.y2, kDailyTagAt.x, kDailyTagAt.y, false, false);
    }
    break;
  case kWatchScreen: drawWatched(shell.watching, sheet, look); break;
  case kDailyScreen: drawDaily(shell.dailyScreen, shell.menu, sheet, look); break;
  case kRefusedScreen: drawRefusal(shell.refused, shell.menu, sheet, look); break;
  case kResumeScreen:
    drawResumeChoice(shell.resume, sheet);
    if (shell.shownContinued) drawPlay(shell.live.game(), sheet, look);
    break;
  case kOptionsScreen: drawOptions(shell.options, shell.menu, sheet, look); break;
  case kQuitting: break;
  }
  drawSentPanel(shell.sent, sheet);
  drawKeepNotice(shell.notice, sheet);
}
} // namespace

void resetSession(Shell &shell) {
  stopWatching(shell);
  // The title loads the sounds again: those loaded are released first.
  freeSounds(shell.assets.sounds);
  // The window, its pictures, the settings, the table and the games left
  // unfinished stay.
  const Assets assets = shell.assets;
  const bool page = shell.page;
  const std::string sheetShown = shell.sheetShown;
  Switchboard switches = std::move(shell.switches);
  HighScores highScores = std::move(shell.highScores);
  UnfinishedGames unfinished = std::move(shell.unfinished);
  DailyRecords daily = std::move(shell.daily);
  Recording practiceGame = std::move(shell.practiceGame);
  const int32_t practiceScore = shell.practiceScore;
  shell = Shell();
  shell.page = page;
  shell.daily = std::move(daily);
  shell.practiceGame = std::move(practiceGame);
  shell.practiceScore = practiceScore;
  shell.assets = assets;
  shell.sheetShown = sheetShown;
  shell.switches = std::move(switches);
  shell.highScores = std::move(highScores);
  shell.unfinished = std::move(unfinished);
  resetButtons(shell.menu);
  applySettings(shell.switches, false);
  shell.controls.setKeys(shell.switches.playerSettings.keys);
  shell.live.newGame(shell.controls.playInput());
}

void loadSoundsOnce(Shell &shell) {
  if (shell.assets.sounds.loaded) return;
  KMiscTools::initMiscTools();
  std::string message;
  reloadTable(shell.highScores, message);
  tell(message);
  loadSounds(shell.assets.sounds, message);
  tell(message);
}

// ------------------------------------------------------------------ program

int zunkMain(const StartWith &start) {
  const char *replayFile = start.replayFile;
  KMiscTools::initMiscTools();
  KMiscTools::setFileSource(true);
  std::string error;
  Recording check;
  if (replayFile && !loadRecording(replayFile, check, error)) {
    tell(std::string(replayFile) + ": " + error);
    return 1;
  }
  // Not on this call's stack: a browser runs the loop after the stack is
  // given up.
  Shell *shell = new Shell();
  // Without a window or its pictures the game cannot run: say so to
  // whoever started it.
  const bool ready = initzunk(*shell);
  const int status = ready ? 0 : 1;
  // A game received proves itself before it is shown; the title, which
  // loads the sounds, is not shown before it, nor before a day's wall.
  if (ready && replayFile) openReceived(*shell, receiveFile(replayFile), kMenuScreen);
  if (ready && start.link) openReceived(*shell, receiveLink(start.link), kMenuScreen);
  if (ready && start.daily != kNoDay) startDailyGame(*shell, start.daily);
  if (ready && (replayFile || start.link || start.daily != kNoDay)) loadSoundsOnce(*shell);
  // The loop draws a frame, then shows it: a browser shows what the call
  // of the loop leaves drawn, which must be a whole frame with its cursor.
  if (ready && showFrame(*shell, true))
    shell->assets.gamewindow->runFrameLoop([] { return doZunk(*running) && showFrame(*running, true); },
                                           [] { freeZunk(*running); });
  else freeZunk(*shell);
  // Here once the loop has ended on a desktop; a browser's never returns.
  const int end = shell->endNotKept ? 1 : status;
  delete shell;
  return end;
}

bool showFrame(Shell &shell, bool waitWhileInactive) {
  KWindow *window = shell.assets.gamewindow;
  if (!window) return false;
  window->setDefaultWorldView();
  if (window->isQuit()) return false;
  // The game's own arrow, where a mouse points: not where a finger last
  // touched, nor in play by keys or gamepad.
  if (KInput::isMousePointing())
    shell.assets.surf_curseur->blitAlphaRect(kCursor.x1, kCursor.y1, kCursor.x2, kCursor.y2, KInput::getMouseX(),
                                             KInput::getMouseY(), false, false);
  window->flipBackBuffer(waitWhileInactive, true);
  return true;
}

bool zunkFrame(Shell &shell, bool waitWhileInactive) { return showFrame(shell, waitWhileInactive) && doZunk(shell); }

bool initzunk(Shell &shell) {
  // What the game keeps, the host keeps too (a browser, in its storage).
  setFilesChangedHandler(KMiscTools::userFilesChanged);
  if (KMiscTools::hostKeepsUserFiles()) setKeptFilesLock(&kHostLock);
  shell.page = KMiscTools::runsInPage();
  // No file dropped on the game is taken (nor opened by a page) but on the
  // screen that imports one.
  KMiscTools::acceptGivenFiles(0);
  running = &shell;
  KMiscTools::setUserFilesArrivedHandler(keepPendingAsFilesArrive);
  KMiscTools::setHidingHandler([] {
    if (running) keepLiveGame(*running);
  });
  // The display is gone (its connection broken, the window destroyed): the
  // program can show nothing more and ends at once, keeping what it keeps
  // at its end. Its exit status.
  KMiscTools::setDisplayLostHandler([] {
    tell("the display was lost: the game ends, and a game in progress is kept to continue");
    return running && keepAtTheEnd(*running) ? 0 : 1;
  });
  // The records' folder is tidied and the table read before anything can
  // change it.
  std::string message;
  KeepFailure noFolder;
  prepareRecords(shell.highScores, message, noFolder);
  tell(message);
  prepareDailyRecords(shell.daily, message);
  tell(message);
  Switchboard &switches = shell.switches;
  switches.settingsFile = settingsPath();
  if (!switches.settingsFile.empty()) switches.playerSettings = readSettings(switches.settingsFile, message);
  tell(message);
  removeSettingsLeftovers(switches.settingsFile);
  switches.systemCalm = KMiscTools::prefersReducedMotion();
  switches.systemContrast = KMiscTools::prefersMoreContrast();
  applySettings(shell.switches, false);
  KWindow *&window = shell.assets.gamewindow;
  window = KVexo::createKWindow(K_OPENGL, false);
  // The window opens no larger than the desktop; the kept scale stays in
  // the file for when the larger desktop is back.
  prepareWindow(switches, window);
  if (!window->createGameWindow(kScreenWidth, kScreenHeight, -1, true, "Zunk")) {
    // Without a window nothing can be drawn: the loop ends at once.
    delete window;
    window = nullptr;
    return false;
  }
  applyWindowSettings(switches, window);
  window->setClearColor(0, 0, 0, 1);
  window->setWorldView(0, 0, 0, 1, true);
  window->flipBackBuffer(true, true);
  window->setMaxFrameRate(80);
  // The chosen language's sheet, or (while a browser fetches it) the system's.
  shell.sheetShown = playerSheet(switches.playerSettings.language);
  if (!KMiscTools::fileExists(KMiscTools::makeFilePath(shell.sheetShown.c_str()))) shell.sheetShown = playerSheet("");
  shell.assets.surf_zunk = loadGamePicture(shell.sheetShown.c_str(), message);
  tell(message);
  shell.assets.surf_curseur = loadGamePicture("curseur.png", message);
  tell(message);
  resetSession(shell);
  // Said once, on the screen too: the game plays on, keeping nothing.
  tellFailure(shell.notice, noFolder);
  return shell.assets.surf_zunk && shell.assets.surf_curseur;
}

bool doZunk(Shell &shell) {
  KWindow *window = shell.assets.gamewindow;
  if (!shell.assets.surf_zunk || !window || window->isQuit()) return false;
  shell.controls.read();
  KeepFailure failure;
  // A key being given to an action does nothing else.
  const bool takingKey = shell.screen == kOptionsScreen && waitingForKey(shell.options);
  if (!takingKey) handleSwitches(shell.switches, shell.controls, failure);
  handleWindowKeys(shell.switches, window, shell.controls, failure);
  tellFailure(shell.notice, failure);
  window->setClearColor(0, 0, 0, 1);
  window->setWorldView(0, 0, 0, 1, true);
  stepShell(shell);
  applyShortcutKeys(shell.switches, window, shell.screen == kOptionsScreen && waitingForKey(shell.options));
  if (shell.sheetWanted != shell.sheetShown) followLanguage(shell);
  drawShell(shell, *shell.assets.surf_zunk);
  return true;
}

bool watchReplay(Shell &shell, const char *path, Screen after, std::string &error) {
  Recording recording;
  if (!loadRecording(path, recording, error)) return false;
  stopWatching(shell);
  startWatching(shell.watching, std::move(recording), shell.controls.playInput());
  shell.afterWatching = after;
  shell.screen = kWatchScreen;
  return true;
}

void freeZunk(Shell &shell) {
  KMiscTools::setHidingHandler(nullptr);
  KMiscTools::setUserFilesArrivedHandler(nullptr);
  KMiscTools::setDisplayLostHandler(nullptr);
  shell.endNotKept = !keepAtTheEnd(shell);
  if (running == &shell) running = nullptr;
  stopWatching(shell);
  freeSounds(shell.assets.sounds);
  Assets &a = shell.assets;
  delete a.surf_curseur;
  a.surf_curseur = nullptr;
  delete a.surf_zunk;
  a.surf_zunk = nullptr;
  delete a.gamewindow;
  a.gamewindow = nullptr;
}

void openReceived(Shell &shell, const Received &received, Screen after) {
  stopWatching(shell);
  if (received.verdict == Verdict::kVerified) {
    tell("a game received is verified: " + std::to_string(received.game.score) +
         (dailyGame(received.game) ? " on the wall of " + dayText(received.game.day) : std::string()));
    startWatching(shell.watching, received.game, shell.controls.playInput(), true);
    shell.afterWatching = after;
    shell.screen = kWatchScreen;
    return;
  }
  tell("a game received is refused: " + received.reason);
  offerRefusal(shell.refused, received.verdict);
  shell.menu.selectedButton = -1;
  shell.menu.lockMenu = false;
  shell.screen = kRefusedScreen;
}

void startDailyGame(Shell &shell, Day day) {
  KeepFailure failure;
  shell.liveScored = day == today(shell.daily) && takeScoredTry(shell.daily, failure);
  tellFailure(shell.notice, failure);
  if (!failure.note.empty()) tell(failure.note);
  stopWatching(shell);
  shell.live.newDailyGame(shell.controls.playInput(), day);
  shell.endKept = false;
  shell.screen = kPlayScreen;
}

void sendGame(Shell &shell, const Recording &game) {
  const std::string bytes = sentFileBytes(game);
  std::string path;
  KeepFailure failure;
  const bool written = writeSentFile(game, bytes, path, failure);
  tellFailure(shell.notice, failure);
  // The page knows its own address; a desktop is given one, or has none.
  const std::string page = KMiscTools::getPageAddress();
  std::string address = page;
  if (address.empty()) address = shell.switches.playerSettings.shareUrl;
  if (address.empty()) address = ZUNK_SHARE_URL;
  const std::string link = sentLink(address, bytes);
  const bool linked = !link.empty() && KMiscTools::setClipboardText(link.c_str());
  if (written) tell("the game sent is written to " + path);
  if (!link.empty()) tell("its link (" + std::to_string(link.size()) + " bytes): " + link);
  const char *home = std::getenv("HOME");
  showSentPanel(shell.sent, written, pathForPlayer(path, home ? home : ""), page.empty(), linked);
}
