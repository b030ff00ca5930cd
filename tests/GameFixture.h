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
#include "ingame.h"
#include "platform/Platform.h"
#include "platform/SoundChannel.h"
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

  void SetUp() override {
    if (!platform::SoundChannel::outputStarted()) platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
    KMiscTools::initMiscTools();
    KMiscTools::setFileSource(true);
    platform::setScriptedInput(&input);
    surf_zunk = &sheet;
    gamewindow = &window;
    std::memcpy(topScores, topScoresOld, sizeof topScores);
    startAgain();
  }
  // The program as it starts, with the same random draws each time.
  void startAgain() {
    input = platform::ScriptedInput();
    std::srand(1);
    resetSession();
  }
  void TearDown() override {
    freeSounds();
    platform::setScriptedInput(nullptr);
    surf_zunk = nullptr;
    gamewindow = nullptr;
  }

  // Called after every frame, when set.
  std::function<void()> afterEachFrame;

  void frame() {
    sheet.clear();
    ASSERT_TRUE(doZunk());
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

  // Everything the play keeps from frame to frame.
  static std::string playState() {
    std::ostringstream s;
    for (auto &row : brickWall)
      for (const sBrick &b : row) s << b.color << ',' << b.fall << ',' << b.bonus << ',' << b.bonusTime << ' ';
    for (const sBrick &b : brickLine) s << b.color << ',' << b.fall << ' ';
    // A cloud that is not shown keeps old numbers that mean nothing.
    for (const sCloud &c : cloudTable)
      if (c.active) s << c.x << ',' << c.y << ',' << c.delay << ',' << c.frame << ' ';
      else s << "- ";
    s << gScore << ' ' << gScoreAnim << ' ' << delayTimer << ' ' << pauseLine << ' ' << gHelpTarget << ' ' << ballx << ' '
      << bally << ' ' << launched << grabbedBall << ' ' << ballZoom << ' ' << ballZoomSpeed << ' ' << forceX << ' '
      << forceY << ' ' << oldballX << ' ' << oldballY << ' ' << gameover << ' ' << gameOverProgress;
    return s.str();
  }

  // Runs the title and the doors until the menu takes clicks.
  void toOpenMenu() {
    while (gameState == kTitleScreen) frame();
    while (lockMenu) frame();
  }
  void emptyWall() {
    for (auto &row : brickWall)
      for (sBrick &b : row) b = sBrick{-1, 0, 0, 0};
    for (sBrick &b : brickLine) b.color = -1;
  }
  void put(int col, int row, int color, int bonus = 0) {
    brickWall[row][col] = sBrick{color, 0, bonus, bonus ? 400 : 0};
  }
};
