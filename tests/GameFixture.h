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

// A data folder of the test's own, where the game keeps its files (the
// scores, the replays), removed with everything in it.
struct ScratchDataFolder {
  std::string folder;
  void make() {
    char tmpl[] = "/tmp/zunkdataXXXXXX";
    folder = mkdtemp(tmpl);
    mkdir((folder + "/data").c_str(), 0755);
    std::snprintf(KMiscTools::currentAppPath, 260, "%s", folder.c_str());
    std::snprintf(KMiscTools::_resourcePath, 260, "%s", "data");
  }
  void remove() {
    EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
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

  void SetUp() override {
    if (!platform::SoundChannel::outputStarted()) platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
    KMiscTools::initMiscTools();
    KMiscTools::setFileSource(true);
    platform::setScriptedInput(&input);
    shell.assets.surf_zunk = &sheet;
    shell.assets.gamewindow = &window;
    std::memcpy(topScores, topScoresOld, sizeof topScores);
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
  static Play &game() { return liveGame(); }
  static std::string playState() { return describePlay(liveGame()); }
  // One rule of the play at a time, over the live game, with no input and
  // rand()'s numbers; what they did goes to `ruled`.
  struct RandDraws : RandomSource {
    int draw() override { return std::rand(); }
  } randDraws;
  PlayInput noInput;
  PlayEvents ruled;
  // What the game's readers and savers said.
  std::string said;
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
