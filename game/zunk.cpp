#include "zunk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "KInput.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "controls.h"
#include "credits.h"
#include "pause.h"
#include "savefile.h"
#include "switches.h"
#include "ingame.h"
#include "playerwords.h"
#include "keptreplays.h"
#include "replay.h"
#include "resume.h"
#include "watch.h"
#include "layout.h"

KWindow *gamewindow = nullptr;
KGraphic *surf_zunk = nullptr;
KGraphic *surf_curseur = nullptr;
int32_t gameState = kTitleScreen;

namespace {
using namespace layout;
// Button k of the sheet at its place on the menu; the id of BACK is QUIT's.
constexpr int16_t i16(int v) { return static_cast<int16_t>(v); }
constexpr sButton button(int32_t id, int k) {
  return {id, i16(kButtons[k].x1), i16(kButtons[k].y1), i16(kButtons[k].x2), i16(kButtons[k].y2),
          i16(kButtonX),   i16(kButtonY[k]),    0,   0,  1,  0,  1, 0};
}
} // namespace

sButton buttons[5] = {button(0, 0), button(1, 1), button(2, 2), button(3, 3), button(3, 4)};
sButton storeButtons[5];
int32_t selectedButton = -1;
int32_t menuFocus = -1;
bool lockMenu = false;
float fadeback = 0;

int32_t topScores[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};
const int32_t topScoresOld[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};

KSound *snd_downline = nullptr;
KSound *snd_break[3] = {nullptr, nullptr, nullptr};
KSound *snd_bomb = nullptr;
KSound *snd_hammer = nullptr;
KSound *snd_tictac = nullptr;
KSound *snd_throw = nullptr;
KSound *snd_menu = nullptr;
KSound *snd_music = nullptr;

namespace {
// Function-local statics of the screens, kept here so tests can restart them.
float _blend = 0, _slidey = 0, _slidespeed = 0;
float myblend = 0;
bool soundloaded = false;

void drawBackground(const Rect &r) {
  surf_zunk->blitAlphaRectFx(r.x1, r.y1, r.x2, r.y2, 0, 0, 0, 1, 1, false, false, 0, 0);
}

void veil() {
  fadeback += 0.02f;
  if (fadeback > 0.5f) fadeback = 0.5f;
  surf_zunk->drawRect(0, 0, 320, 480, 0, 0, 0, fadeback);
}
} // namespace

void resetShellStatics() {
  _blend = _slidey = _slidespeed = 0;
  myblend = 0;
  soundloaded = false;
}

void resetSession() {
  stopWatching();
  // The buttons' first layout is kept once, before anything moves them.
  static bool layoutKept = false;
  if (!layoutKept) std::memcpy(storeButtons, buttons, sizeof buttons);
  layoutKept = true;
  std::memcpy(buttons, storeButtons, sizeof buttons);
  gameState = kTitleScreen;
  // The title loads the sounds again: those loaded are released first.
  freeSounds();
  resetShellStatics();
  resetInGameStatics();
  resetCredits();
  resetButtons();
  selectedButton = -1;
  menuFocus = -1;
  lockMenu = true;
  tutorial = true;
  resetControls();
  resumeGame();
  resetInGame();
}

// ------------------------------------------------------------------ program

int zunkMain(const char *replayFile) {
  KMiscTools::initMiscTools();
  KMiscTools::setFileSource(true);
  std::string error;
  Recording check;
  if (replayFile && !loadRecording(replayFile, check, error)) {
    std::fprintf(stderr, "zunk: %s: %s\n", replayFile, error.c_str());
    return 1;
  }
  initzunk();
  // Without a window the game cannot run: say so to whoever started it.
  const int status = gamewindow ? 0 : 1;
  if (gamewindow && replayFile) {
    if (!startWatching(replayFile, kMenuScreen, error)) {
      std::fprintf(stderr, "zunk: %s: %s\n", replayFile, error.c_str());
      freeZunk();
      return 1;
    }
    // The title, which loads the sounds, is not shown before the replay.
    loadSounds();
    soundloaded = true;
  }
  // The loop draws a frame, then shows it: a browser shows what the call
  // of the loop leaves drawn, which must be a whole frame with its cursor.
  if (showFrame(true)) gamewindow->runFrameLoop([] { return doZunk() && showFrame(true); }, freeZunk);
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

void initzunk() {
  // The table is read before anything can save it: a quit before the title
  // has loaded the sounds must not write the defaults over the player's file.
  loadScores();
  settingsFile = settingsPath();
  if (!settingsFile.empty()) playerSettings = readSettings(settingsFile);
  applySettings();
  gamewindow = KVexo::createKWindow(K_OPENGL, false);
  if (playerSettings.scale > 0) gamewindow->setWindowScale(playerSettings.scale);
  if (!gamewindow->createGameWindow(320, 480, -1, true, "Zunk")) {
    // Without a window nothing can be drawn: the loop ends at once.
    delete gamewindow;
    gamewindow = nullptr;
    return;
  }
  applyWindowSettings();
  gamewindow->setClearColor(0, 0, 0, 1);
  gamewindow->setWorldView(0, 0, 0, 1, true);
  gamewindow->flipBackBuffer(true, true);
  gamewindow->setMaxFrameRate(80);
  surf_zunk = KVexo::createKGraphic();
  surf_zunk->loadPicture(KMiscTools::makeFilePath(playerSheet().c_str()), true, true);
  surf_curseur = KVexo::createKGraphic();
  surf_curseur->loadPicture(KMiscTools::makeFilePath("curseur.png"), true, true);
  surf_paused = KVexo::createKGraphic();
  resetSession();
}

bool doZunk() {
  if (!surf_zunk || !gamewindow || gamewindow->isQuit()) return false;
  readControls();
  handleSwitches();
  handleWindowKeys();
  gamewindow->setClearColor(0, 0, 0, 1);
  gamewindow->setWorldView(0, 0, 0, 1, true);
  switch (gameState) {
  case kTitleScreen:
    selectedButton = -1;
    _blend += 0.01f;
    surf_zunk->blitAlphaRectFx(kTitle.x1, kTitle.y1, kTitle.x2, kTitle.y2, 0, 0, 0, 1, _blend, false, false, 0, 0);
    if (_blend > 1) diplayCopyright();
    if (_blend > 3) {
      gameState = kMenuScreen;
      _slidespeed = 1;
      _slidey = 0;
    }
    break;
  case kMenuScreen:
    resetInGame();
    doMenu();
    if (_slidey < 480) {
      surf_zunk->setBlitColor(1, 1, 1, 1);
      const Rect &top = kTitleTopDoor, &bottom = kTitleBottomDoor;
      surf_zunk->blitAlphaRectFx(top.x1, top.y1, top.x2, top.y2, 0, static_cast<short>(static_cast<int>(-_slidey)), 0, 1,
                                 1, false, false, 0, 0);
      surf_zunk->blitAlphaRectFx(bottom.x1, bottom.y1, bottom.x2, bottom.y2, 0,
                                 static_cast<short>(static_cast<int>(bottom.y1 + _slidey)), 0, 1, 1, false, false, 0, 0);
      lockMenu = true;
      _slidey += _slidespeed;
      _slidespeed += 0.1f;
    } else {
      lockMenu = false;
    }
    diplayCopyright();
    break;
  case kHelpScreen:
    drawBackground(kMenuBackground);
    showHelp();
    break;
  case kScoresScreen:
    drawBackground(kMenuBackground);
    showScores();
    break;
  case kPlayScreen: {
    if (watching()) {
      watchFrame();
      break;
    }
    recordFrame(playInput());
    int32_t before[10];
    std::memcpy(before, topScores, sizeof before);
    const bool wasOver = gameover;
    playFrame();
    // A game that has ended is no longer one to continue.
    if (gameover && !wasOver) forgetUnfinishedGame();
    // A game that has just entered the table keeps its replay beside it.
    for (int row = 0; row < 10; row++)
      if (topScores[row] != before[row]) {
        keepReplay(row, before, currentRecording());
        break;
      }
    break;
  }
  case kResumeScreen:
    doResumeChoice();
    break;
  default:
    break;
  }
  return true;
}

void playFrame() {
  if (paused) {
    if (doPause()) leaveForMenu();
    return;
  }
  drawBackground(kPlayBackground);
  if (doInGame() == 1) leaveForMenu();
  else if (pausePressed()) pauseGame();
}

void leaveForMenu() {
  // A game left before its end is kept, to be continued.
  if (gameState == kPlayScreen) keepUnfinishedGame();
  gameState = kMenuScreen;
  std::memcpy(buttons, storeButtons, sizeof buttons);
  resetButtons();
  selectedButton = -1;
}

void freeZunk() {
  if (gameState == kPlayScreen) keepUnfinishedGame();
  freeSounds();
  saveScores();
  delete surf_paused;
  surf_paused = nullptr;
  delete surf_curseur;
  surf_curseur = nullptr;
  delete surf_zunk;
  surf_zunk = nullptr;
  delete gamewindow;
  gamewindow = nullptr;
}

// ------------------------------------------------------------------ menu

namespace {
bool clickedAt(const Rect &picture, Place at) {
  const int x = KInput::getMouseX(), y = KInput::getMouseY();
  return clickPressed() && x >= at.x && x < at.x + picture.w() && y >= at.y && y < at.y + picture.h();
}

void drawAt(const Rect &picture, Place at) {
  surf_zunk->blitAlphaRect(picture.x1, picture.y1, picture.x2, picture.y2, static_cast<short>(at.x), static_cast<short>(at.y),
                           false, false);
}

// Chooses a button as a click on it does.
void choose(int32_t index) {
  playSound(snd_menu);
  selectedButton = index;
}
} // namespace

void resetButtons() {
  fadeback = 0;
  for (sButton &b : buttons) {
    b.phaseSpeed = 0.05f;
    b.destX2 = static_cast<int16_t>(b.destX + (b.srcX2 - b.srcX1));
    b.destY2 = static_cast<int16_t>(b.destY + (b.srcY2 - b.srcY1));
    b.phase = static_cast<float>(std::rand() % 628) / 100;
  }
}

void displayButton(long index) {
  sButton &b = buttons[index];
  if (selectedButton == -1) {
    b.zoom = 1;
    b.blend = 1;
  } else if (b.zoom > 2) {
    if (index == 3) {
      gameState = kQuitting;
      if (gamewindow) gamewindow->terminate();
    } else {
      // PLAY (or the choice to continue a game left unfinished), HIGH
      // SCORES, HELP; BACK returns to the menu.
      gameState = index == 0 ? (unfinishedGameOnOffer() ? kResumeScreen : kPlayScreen)
                  : index == 1 ? kScoresScreen
                  : index == 2 ? kHelpScreen
                               : kMenuScreen;
      selectedButton = -1;
    }
    resetButtons();
    return;
  }
  if (index == selectedButton) {
    b.zoom += 0.2f;
    b.blend -= 0.025f;
  } else if (selectedButton != -1) {
    b.blend -= 0.03f;
  }
  if (b.blend < 0) b.blend = 0;
  b.phase += b.phaseSpeed;
  if (b.phase > 6.28f) b.phase = 0;
  surf_zunk->setTextureQuality(true);
  surf_zunk->blitAlphaRectFx(b.srcX1, b.srcY1, b.srcX2, b.srcY2, b.destX, b.destY, 0,
                             static_cast<float>(b.zoom + std::cos(static_cast<double>(b.phase)) / 30), b.blend, false,
                             false, 0, 0);
  surf_zunk->setTextureQuality(false);
  if (selectedButton == -1 && !lockMenu && KInput::getLeftButtonState()) {
    const int x = KInput::getMouseX(), y = KInput::getMouseY();
    if (b.destX <= x && x <= b.destX2 && b.destY <= y && y <= b.destY2) {
      choose(static_cast<int32_t>(index));
    }
  }
}

namespace {
// The switches, and the focus the arrows, Tab and the D-pad move between the
// four buttons; Return or A chooses the focused button, or PLAY.
void menuControls() {
  const Rect &music = playerSettings.music ? kMusicOn : kMusicOff;
  const Rect &sounds = playerSettings.sounds ? kSoundsOn : kSoundsOff;
  drawAt(music, kMusicIconAt);
  drawAt(sounds, kSoundsIconAt);
  if (selectedButton != -1 || lockMenu) return;
  switchSounds(clickedAt(music, kMusicIconAt), clickedAt(sounds, kSoundsIconAt));
  if (const int step = focusStep()) menuFocus = menuFocus < 0 ? (step > 0 ? 0 : 3) : (menuFocus + step + 4) % 4;
  if (confirmPressed()) {
    choose(menuFocus < 0 ? 0 : menuFocus);
    return;
  }
  if (menuFocus >= 0) {
    const Rect &b = kButtons[menuFocus];
    drawAt(kFocusArrow, {kFocusArrowX, kButtonY[menuFocus] + (b.h() - kFocusArrow.h()) / 2});
  }
}

// Escape, Return, Backspace or B on the help and high-score screens: BACK.
void backControls() {
  if (selectedButton == -1 && !lockMenu && (backPressed() || confirmPressed())) choose(4);
}
} // namespace

void doMenu() {
  drawBackground(kMenuBackground);
  for (long i = 0; i < 4; i++) displayButton(i);
  menuControls();
}

// ------------------------------------------------------------------ static screens

void diplayCopyright() {
  myblend += 0.03f;
  if (myblend > 1) {
    myblend = 1;
    if (!soundloaded) {
      loadSounds();
      soundloaded = true;
    }
  }
  surf_zunk->blitAlphaRectFx(kNotice.x1, kNotice.y1, kNotice.x2, kNotice.y2, kNoticeX,
                             static_cast<short>(static_cast<int>(480 - 24 * myblend)), 0, 1, myblend, false, false, 0, 0);
}

void showHelp() {
  veil();
  surf_zunk->blitAlphaRect(kHelpPanel.x1, kHelpPanel.y1, kHelpPanel.x2, kHelpPanel.y2, kHelpPanelAt.x, kHelpPanelAt.y,
                           false, false);
  doCredits();
  displayButton(4);
  backControls();
}

void showScores() {
  veil();
  if (KInput::isPressed(K_VK_SPACE)) {
    std::memcpy(topScores, topScoresOld, sizeof topScores);
    forgetReplays();
  }
  surf_zunk->blitAlphaRect(kScoresTitle.x1, kScoresTitle.y1, kScoresTitle.x2, kScoresTitle.y2, kScoresTitleAt.x,
                           kScoresTitleAt.y, false, false);
  // A row whose game was kept has a small arrow before it; a click on the
  // row watches that game.
  // Read again only when the table or its folder changes: the list's file
  // is not read every frame.
  static std::vector<std::string> replays;
  static int32_t replaysFor[10];
  static std::string replaysFrom;
  const std::string folder = replaysFolder();
  if (replays.empty() || folder != replaysFrom || std::memcmp(replaysFor, topScores, sizeof replaysFor) != 0) {
    replays = keptReplayPaths();
    std::memcpy(replaysFor, topScores, sizeof replaysFor);
    replaysFrom = folder;
  }
  for (int r = 1; r <= 9; r++) {
    const long y = kScoreRowsY + kScoreRowStep * (r - 1);
    if (!replays[r - 1].empty())
      surf_zunk->blitAlphaRectFx(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kReplayArrowX,
                                 static_cast<short>(y + (kScoreRowStep - kFocusArrow.h()) / 2), 0, kReplayArrowZoom, 1,
                                 false, false, 0, 0);
    displayLeftValueAt(100, y, r);
    displayValueAt(210, y, topScores[r - 1]);
    for (int x = 110; x <= 170; x += 10)
      surf_zunk->blitAlphaRect(kLeaderDot.x1, kLeaderDot.y1, kLeaderDot.x2, kLeaderDot.y2, static_cast<short>(x),
                               static_cast<short>(y + 9), false, false);
  }
  displayButton(4);
  const int row = (mouseY() - kScoreRowsY) / kScoreRowStep;
  if (clickPressed() && mouseY() >= kScoreRowsY && row < 9 && mouseX() >= kReplayArrowX && mouseX() < 240 &&
      !replays[row].empty()) {
    std::string error;
    if (!startWatching(replays[row], kScoresScreen, error))
      std::fprintf(stderr, "zunk: %s: %s\n", replays[row].c_str(), error.c_str());
    return;
  }
  backControls();
}

// ------------------------------------------------------------------ sounds

namespace {
KSound *loadEffect(const char *file) {
  KSound *s = new KSound();
  s->loadSample(KMiscTools::makeFilePath(file), 100, false, 1);
  return s;
}
} // namespace

bool soundsQuiet = false;

void playSound(KSound *sound) {
  if (sound && !soundsQuiet) sound->playSample();
}

void loadSounds() {
  KMiscTools::initMiscTools();
  loadScores();
  snd_downline = loadEffect("fall.ogg");
  snd_break[0] = loadEffect("good1.ogg");
  snd_break[1] = loadEffect("good2.ogg");
  snd_break[2] = loadEffect("good3.ogg");
  snd_bomb = loadEffect("bomb.ogg");
  snd_hammer = loadEffect("hammer.ogg");
  snd_tictac = loadEffect("clock.ogg");
  snd_tictac->setVolume(30);
  snd_throw = loadEffect("ghoulsfire.ogg");
  snd_menu = loadEffect("extralife.ogg");
  snd_menu->setVolume(0);
  snd_music = new KSound();
  snd_music->loadStream(KMiscTools::makeFilePath("monkey.ogg"));
  snd_music->playStream(false);
}

void freeSounds() {
  KSound **all[] = {&snd_downline, &snd_break[0], &snd_break[1], &snd_break[2], &snd_bomb,
                    &snd_hammer,   &snd_tictac,   &snd_throw,    &snd_menu,     &snd_music};
  for (KSound **s : all) {
    delete *s;
    *s = nullptr;
  }
}

// ------------------------------------------------------------------ high scores

namespace {
// A file without a single write bit was made read-only on purpose: it is left
// alone even by a user (root) whom the system would let write it.
bool readOnlyFile(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0);
}

} // namespace

const char *scoresPath() {
  static std::string path;
  const std::string data = KMiscTools::makeFilePath("thescores");
  // An installed copy never writes its data folder, and a table the player
  // made read-only stays as it is: the scores then live in the user's own
  // data folder.
  path = KMiscTools::makeWritableFilePath("thescores");
  if (path == data && readOnlyFile(data)) {
    if (const char *user = KMiscTools::getUserDataFolder()) path = std::string(user) + "/thescores";
  }
  return path.c_str();
}

void loadScores() {
  std::string path = scoresPath();
  FILE *f = std::fopen(path.c_str(), "rb");
  // Until the user's folder holds a table of its own, the one in the data
  // folder (read-only or installed) is where the scores start from.
  if (!f) f = std::fopen(KMiscTools::makeFilePath("thescores"), "rb");
  if (!f) return;
  unsigned char bytes[40];
  size_t got = std::fread(bytes, 1, sizeof bytes, f);
  std::fclose(f);
  // Only the entries the file covers whole are taken.
  for (size_t i = 0; i < got / 4; i++) topScores[i] = static_cast<int32_t>(readLE32(bytes + i * 4));
}

bool saveScores() {
  unsigned char bytes[40];
  for (int i = 0; i < 10; i++) writeLE32(bytes + i * 4, static_cast<uint32_t>(topScores[i]));
  const std::string data = KMiscTools::makeFilePath("thescores");
  const std::string path = scoresPath();
  if (readOnlyFile(path)) {
    std::fprintf(stderr, "zunk: %s is read-only: the new high scores are not saved\n", path.c_str());
    return false;
  }
  if (path != data && readOnlyFile(data)) std::fprintf(stderr, "zunk: %s is read-only: the high scores go to %s\n", data.c_str(), path.c_str());
  std::string error;
  if (!replaceFile(path, std::string(reinterpret_cast<const char *>(bytes), sizeof bytes), error)) {
    std::fprintf(stderr, "zunk: the high scores could not be saved to %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}
