#pragma once

// The game run frame by frame against a recording picture (every blit
// logged, nothing drawn) and scripted mouse and keys.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "KInput.h"
#include "KMiscTools.h"
#include "RecordingGraphic.h"
#include "assets.h"
#include "livegame.h"
#include "play.h"
#include "playrules.h"
#include "platform/Platform.h"
#include "platform/SoundChannel.h"
#include "scores.h"
#include "menu.h"
#include "zunk.h"
#include "keptreplays.h"
#include "unfinished.h"

// A program folder of the test's own, its data folder in "data", and a
// user's data folder in "user" (XDG_DATA_HOME), where the game keeps its
// records in "user/zunk" (records()); removed with everything in it.
struct ScratchDataFolder {
  std::string folder;
  void make() {
    char tmpl[] = "/tmp/zunkdataXXXXXX";
    folder = mkdtemp(tmpl);
    mkdir((folder + "/data").c_str(), 0755);
    std::snprintf(KMiscTools::currentAppPath, 260, "%s", folder.c_str());
    std::snprintf(KMiscTools::_resourcePath, 260, "%s", "data");
    setenv("XDG_DATA_HOME", (folder + "/user").c_str(), 1);
  }
  std::string records() const { return folder + "/user/zunk"; }
  void remove() {
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(std::system(("chmod -R u+w '" + folder + "' 2>/dev/null; rm -rf '" + folder + "'").c_str()), 0);
    KMiscTools::currentFilePath[0] = 0;
    KMiscTools::initMiscTools();
  }
};

class Game : public ::testing::Test {
protected:
  RecordingGraphic sheet;
  NullWindow window;
  platform::ScriptedInput input;
  // The program's state: the shell's, with the recording picture and a
  // window that opens nothing.
  Shell shell;
  // Where the game keeps what it keeps: never the user's own folders.
  ScratchDataFolder scratch;

  void SetUp() override {
    if (!platform::SoundChannel::outputStarted()) platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
    KMiscTools::initMiscTools();
    KMiscTools::setFileSource(true);
    scratch.make();
    platform::setScriptedInput(&input);
    shell.assets.surf_zunk = &sheet;
    shell.assets.gamewindow = &window;
    std::memcpy(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores);
    // The records as the program finds them as it starts.
    KeepFailure failure;
    releaseUnfinishedGame(shell.unfinished);
    prepareRecords(shell.highScores, said, failure);
    startAgain();
  }
  // The program as it starts, with the same random draws each time.
  void startAgain() {
    input = platform::ScriptedInput();
    std::srand(1);
    resetSession(shell);
  }
  void TearDown() override {
    freeSounds(shell.assets.sounds);
    platform::setScriptedInput(nullptr);
    shell.assets.surf_zunk = nullptr;
    shell.assets.gamewindow = nullptr;
    scratch.remove();
  }

  // Called after every frame, when set.
  std::function<void()> afterEachFrame;

  void frame() {
    sheet.clear();
    ASSERT_TRUE(doZunk(shell));
    if (afterEachFrame) afterEachFrame();
  }
  void frames(int n) {
    for (int i = 0; i < n; i++) frame();
  }
  void press(int x, int y) {
    input.mouseX = x;
    input.mouseY = y;
    input.leftButton = true;
  }
  void release() { input.leftButton = false; }
  void key(EKeyboardLayout k, bool down) { input.keys[KInput::KeyboardLayout[k].code] = down; }
  // Down for a frame, then up for a frame.
  void tap(EKeyboardLayout k) {
    key(k, true);
    frame();
    key(k, false);
    frame();
  }

  // The live game, and everything it keeps from frame to frame.
  Play &game() { return shell.live.game(); }
  std::string playState() { return describePlay(shell.live.game()); }
  // One rule of the play at a time, over the live game, with no input and
  // rand()'s numbers; what they did goes to `ruled`.
  struct RandDraws : RandomSource {
    int draw() override { return std::rand(); }
  } randDraws;
  PlayInput noInput;
  PlayEvents ruled;
  // What the game's readers and savers said.
  std::string said;
  KeepFailure failed;
  PlayRules rules() { return PlayRules(game(), noInput, randDraws, ruled); }

  // Runs the title and the doors until the menu takes clicks.
  void toOpenMenu() {
    while (shell.screen == kTitleScreen) frame();
    while (shell.menu.lockMenu) frame();
  }
  void emptyWall() {
    for (auto &row : game().brickWall)
      for (sBrick &b : row) b = sBrick{-1, 0, 0, 0};
    for (sBrick &b : game().brickLine) b.color = -1;
  }
  void put(int col, int row, int color, int bonus = 0) {
    game().brickWall[row][col] = sBrick{color, 0, bonus, bonus ? 400 : 0};
  }
};
