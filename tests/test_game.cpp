// The game's logic frame by frame, against a recording picture and
// scripted mouse and keys.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "KMiscTools.h"
#include "GameFixture.h"
#include "RecordingGraphic.h"
#include "catalogue.h"
#include "credits.h"
#include "play.h"
#include "playview.h"
#include "language.h"
#include "layout.h"
#include "playerwords.h"
#include "platform/Platform.h"
#include "platform/SoundChannel.h"
#include "settings.h"
#include "switches.h"
#include "zunk.h"

namespace {

float sumUntilAbove(float step, float limit, int &frames) {
  float v = 0;
  frames = 0;
  while (!(v > limit)) {
    v += step;
    frames++;
  }
  return v;
}

// ------------------------------------------------------------------ shell

TEST_F(Game, TitleFadesInThenShowsTheNoticeThenTheMenu) {
  int noticeFrame = 0, framesToMenu = 0;
  for (int f = 1; shell.screen == kTitleScreen && f < 1000; f++) {
    frame();
    if (!noticeFrame && !sheet.from(22, 795).empty()) noticeFrame = f;
    framesToMenu = f;
  }
  int expectNotice, expectMenu;
  sumUntilAbove(0.01f, 1, expectNotice);
  sumUntilAbove(0.01f, 3, expectMenu);
  EXPECT_GE(noticeFrame, 100);
  EXPECT_EQ(noticeFrame, expectNotice);
  EXPECT_EQ(framesToMenu, expectMenu);
  EXPECT_EQ(shell.screen, kMenuScreen);
  // The notice line rises to 456 and stays there on the menu.
  frame();
  auto notice = sheet.from(22, 795);
  ASSERT_EQ(notice.size(), 1u);
  EXPECT_EQ(notice[0].destX, 90);
  EXPECT_EQ(notice[0].destY, 456);
}

TEST_F(Game, DoorsOpenIn89FramesAndIgnoreClicksMeanwhile) {
  while (shell.screen == kTitleScreen) frame();
  int opened = 0;
  press(100, 150); // on PLAY, held through the doors
  while (shell.menu.lockMenu) {
    frame();
    opened++;
    ASSERT_EQ(shell.menu.selectedButton, -1);
    ASSERT_LT(opened, 200);
  }
  // The frame that finds the doors gone unlocks the menu.
  EXPECT_EQ(opened - 1, 89);
  release();
  frame();
  EXPECT_EQ(shell.menu.selectedButton, -1);
}

TEST_F(Game, HitBoxesIncludeTheirEdges) {
  toOpenMenu();
  press(285, 176);
  frame();
  EXPECT_EQ(shell.menu.selectedButton, 0);
  release();
  startAgain();
  toOpenMenu();
  press(286, 176);
  frame();
  EXPECT_EQ(shell.menu.selectedButton, -1);
  press(42, 400); // the bottom edge of QUIT
  frame();
  EXPECT_EQ(shell.menu.selectedButton, 3);
}

TEST_F(Game, PressAnimationRunsTheActionInTheSixthFrame) {
  toOpenMenu();
  press(100, 260); // HELP
  frame();
  release();
  ASSERT_EQ(shell.menu.selectedButton, 2);
  int f = 0;
  while (shell.screen == kMenuScreen) {
    frame();
    f++;
    ASSERT_LT(f, 20);
  }
  EXPECT_EQ(f, 6);
  EXPECT_EQ(shell.screen, kHelpScreen);
  // The help screen: the veil reaches half opacity in 25 frames; BACK is at (42, 400).
  float lastVeil = 0;
  for (int i = 0; i < 30; i++) {
    frame();
    for (const Blit &b : sheet.log)
      if (b.op == "drawRect") lastVeil = b.blend;
    if (i == 23) {
      EXPECT_LT(lastVeil, 0.5f);
    }
  }
  EXPECT_FLOAT_EQ(lastVeil, 0.5f);
  press(42, 400);
  frame();
  EXPECT_EQ(shell.menu.selectedButton, 4);
  release();
  frames(6);
  EXPECT_EQ(shell.screen, kMenuScreen);
  // Back on the menu the doors do not run again.
  frame();
  EXPECT_FALSE(shell.menu.lockMenu);
}

TEST_F(Game, QuitAsksTheWindowToQuit) {
  toOpenMenu();
  press(100, 370);
  frame();
  release();
  frames(6);
  EXPECT_EQ(shell.screen, kQuitting);
  EXPECT_TRUE(window.isQuit());
  EXPECT_FALSE(doZunk(shell));
}

TEST_F(Game, CreditLineFadesInOver201Frames) {
  Credits credits;
  int f = 0;
  while (credits.creditFadeSpeed > 0) {
    doCredits(credits);
    f++;
  }
  EXPECT_EQ(f, 201);
  EXPECT_EQ(credits.creditIndex, 1);
  while (credits.creditFadeSpeed < 0) doCredits(credits);
  EXPECT_EQ(credits.creditIndex, 2);
}

TEST_F(Game, HighScoreScreenDrawsNineRowsAndSpaceResets) {
  shell.highScores.topScores[0] = 999;
  shell.screen = kScoresScreen;
  frame();
  auto dots = sheet.from(7, 868);
  EXPECT_EQ(dots.size(), 9u * 7u);
  EXPECT_EQ(dots.front().destX, 110);
  EXPECT_EQ(dots.front().destY, 169);
  EXPECT_EQ(dots.back().destX, 170);
  EXPECT_EQ(dots.back().destY, 336 + 9);
  // 999 drawn right to left from x 210: 9 at 210, 201, 192.
  auto nines = sheet.from(185, 859);
  ASSERT_GE(nines.size(), 3u);
  EXPECT_EQ(nines[0].destX, 210);
  EXPECT_EQ(nines[1].destX, 201);
  // Space held for less than a second changes nothing; a bar fills.
  input.keys[44] = true; // space
  frames(79);
  EXPECT_EQ(shell.highScores.topScores[0], 999);
  EXPECT_EQ(sheet.from(layout::kResetBar.x1, layout::kResetBar.y1).size(), 1u); // its filling
  input.keys[44] = false;
  frame();
  EXPECT_EQ(shell.highScores.topScores[0], 999);
  // Held for a whole second, it resets the table, kept at once.
  input.keys[44] = true;
  frames(80);
  EXPECT_EQ(0, std::memcmp(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores));
  int32_t kept[10];
  EXPECT_EQ(readTable(kept, said), TableFound::kRead);
  EXPECT_EQ(0, std::memcmp(kept, topScoresOld, sizeof kept));
  input.keys[44] = false;
}

// ------------------------------------------------------------------ high scores

TEST_F(Game, ScoresEnterTheTableAtTheirPlaceAndAGameOffersItsOnce) {
  EXPECT_EQ(enterScore(shell.highScores.topScores, 20), 3); // below the 20 already there
  const int32_t after20[10] = {30, 25, 20, 20, 19, 18, 15, 10, 9, 8};
  EXPECT_EQ(0, std::memcmp(shell.highScores.topScores, after20, sizeof after20));
  std::memcpy(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores);
  EXPECT_EQ(enterScore(shell.highScores.topScores, 5), -1);
  EXPECT_EQ(0, std::memcmp(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores));
  EXPECT_EQ(enterScore(shell.highScores.topScores, 6), 9);
  EXPECT_EQ(shell.highScores.topScores[9], 6);
  EXPECT_EQ(enterScore(shell.highScores.topScores, 31), 0);
  EXPECT_EQ(shell.highScores.topScores[0], 31);
  EXPECT_EQ(shell.highScores.topScores[9], 8);
  // A game offers its score once, at GAME OVER, as its display shows it.
  game().gScore = 42;
  rules().displayScore();
  EXPECT_FALSE(ruled.scoreOffered);
  game().gameover = true;
  rules().displayScore();
  EXPECT_TRUE(ruled.scoreOffered);
  EXPECT_EQ(ruled.score, 42);
  EXPECT_EQ(game().gScoreAnim, 42);
  ruled = PlayEvents();
  rules().displayScore();
  EXPECT_FALSE(ruled.scoreOffered);
}

class ScoreFile : public Game {
protected:
  std::string folder, table;
  void SetUp() override {
    Game::SetUp();
    folder = scratch.folder;
    table = scratch.records() + "/thescores";
  }
  std::string read(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

TEST_F(ScoreFile, SavedAsFortyLittleEndianBytesAndReadBack) {
  shell.highScores.topScores[0] = 0x01020304;
  shell.highScores.topScores[9] = -2;
  std::string error;
  Cause cause;
  ASSERT_TRUE(writeTable(shell.highScores.topScores, error, cause)) << error;
  std::string bytes = read(table);
  ASSERT_EQ(bytes.size(), 40u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(bytes.substr(36, 4), std::string("\xfe\xff\xff\xff", 4));
  std::memcpy(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores);
  loadScores(shell.highScores.topScores, said);
  EXPECT_EQ(shell.highScores.topScores[0], 0x01020304);
  EXPECT_EQ(shell.highScores.topScores[9], -2);
}

TEST_F(ScoreFile, AShortFileFillsOnlyTheEntriesItCoversWhole) {
  std::ofstream(table, std::ios::binary).write("\x63\x00\x00\x00\x07\x00", 6);
  loadScores(shell.highScores.topScores, said);
  EXPECT_EQ(shell.highScores.topScores[0], 99);
  EXPECT_EQ(shell.highScores.topScores[1], 25);
}

TEST_F(ScoreFile, AQuitBeforeTheTitleReadTheTableKeepsThePlayersFile) {
  // The player's own table; the window cannot be made, so the game ends at
  // once, long before the title would have read the scores.
  std::string mine("\x2a\x00\x00\x00", 4);
  for (int i = 1; i < 10; i++) mine += std::string("\x01\x00\x00\x00", 4);
  std::ofstream(table, std::ios::binary) << mine;
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  platform::setMessageHook([](const char *, const char *) {});
  shell.assets = Assets();
  initzunk(shell);
  EXPECT_EQ(shell.assets.gamewindow, nullptr);
  freeZunk(shell);
  platform::setMessageHook(nullptr);
  unsetenv("SDL_VIDEODRIVER");
  EXPECT_EQ(read(table), mine);
  EXPECT_EQ(shell.highScores.topScores[0], 42);
}

// Without a display the game ends at once, and says so by its status,
// rather than running invisibly in a headless stand-in waiting for a focus
// that never comes.
TEST_F(ScoreFile, WithoutADisplayTheGameEndsAtOnceWithStatus1) {
  platform::setMessageHook([](const char *, const char *) {});
  const char *display = getenv("DISPLAY");
  const std::string savedDisplay = display ? display : "";
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("WAYLAND_DISPLAY");
  setenv("DISPLAY", ":9999", 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::initVideo());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no display"), std::string::npos);
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  EXPECT_EQ(zunkMain(), 1);
  unsetenv("SDL_VIDEODRIVER");
  if (display) setenv("DISPLAY", savedDisplay.c_str(), 1);
  else unsetenv("DISPLAY");
  platform::setMessageHook(nullptr);
}

// ------------------------------------------------------------------ the wall

TEST_F(Game, AFreshGameHasOneBottomRowAndTheFirstFeederBrickAfter81Frames) {
  for (int col = 0; col < 9; col++) {
    EXPECT_GE(game().brickWall[7][col].color, 0);
    EXPECT_LT(game().brickWall[7][col].color, 5);
  }
  for (int row = 0; row < 7; row++)
    for (int col = 0; col < 9; col++) EXPECT_EQ(game().brickWall[row][col].color, -1);
  shell.screen = kPlayScreen;
  for (int f = 1; f <= 80; f++) {
    frame();
    ASSERT_EQ(game().brickLine[0].color, -1) << f;
  }
  frame();
  EXPECT_GE(game().brickLine[0].color, 0);
}

TEST_F(Game, ThePaceQuickensWithEachDropDownToThreeFrames) {
  emptyWall();
  for (int drop = 1; drop <= 21; drop++) {
    for (sBrick &b : game().brickLine) b.color = 0;
    for (auto &row : game().brickWall)
      for (sBrick &b : row) b.color = -1;
    rules().dropLine();
    if (drop == 19) {
      EXPECT_EQ(game().defaultDelayTimer, 4);
    }
    if (drop >= 20) {
      EXPECT_EQ(game().defaultDelayTimer, 2);
    }
  }
}

TEST_F(Game, ADroppedRowSlidesInAndFallsToTheStack) {
  emptyWall();
  put(0, 7, 1);
  for (sBrick &b : game().brickLine) b.color = 2;
  rules().dropLine();
  EXPECT_EQ(game().brickWall[0][0].fall, -43);
  for (sBrick &b : game().brickLine) EXPECT_EQ(b.color, -1);
  // 42 frames of sliding; the fall starts in the 43rd; the first row is
  // crossed after 8 frames of falling and each further one after 7.
  int f = 0;
  while (game().brickWall[6][0].color != 2) {
    rules().fallWorld();
    f++;
    ASSERT_LT(f, 200);
    if (f < 42) {
      ASSERT_EQ(game().brickWall[0][0].color, 2);
    }
  }
  EXPECT_EQ(f, 42 + 8 + 5 * 7);
  EXPECT_EQ(game().brickWall[6][0].fall, 0);
  // Where nothing is below, the brick goes on to the bottom row.
  EXPECT_EQ(game().brickWall[6][1].color, 2);
  EXPECT_GT(game().brickWall[6][1].fall, 0);
}

TEST_F(Game, GameOverOnlyWhenAFullLineFindsRowZeroOccupied) {
  emptyWall();
  put(3, 0, 1);
  game().brickWall[0][3].fall = 8; // still falling away: the drop waits
  put(3, 1, -1);
  for (sBrick &b : game().brickLine) b.color = 1;
  shell.screen = kPlayScreen;
  frame();
  EXPECT_FALSE(game().gameover);
  emptyWall();
  for (int row = 0; row < 8; row++) put(3, row, 1);
  for (sBrick &b : game().brickLine) b.color = 1;
  frame();
  EXPECT_TRUE(game().gameover);
}

TEST_F(Game, TheClockHoldsTheFeederFor150SettledFrames) {
  emptyWall();
  for (int col = 0; col < 9; col++) put(col, 7, 0);
  game().delayTimer = 50;
  rules().applyBonus(0, 7, 3);
  for (int i = 0; i < 150; i++) rules().doLine();
  EXPECT_EQ(game().delayTimer, 50);
  EXPECT_EQ(game().pauseLine, 0);
  rules().doLine();
  EXPECT_EQ(game().delayTimer, 49);
}

// ------------------------------------------------------------------ the ball

TEST_F(Game, AThrowFromRestLandsOnTheMiddleOfTheBottomRow) {
  shell.screen = kPlayScreen;
  int before = game().brickWall[7][4].color;
  ASSERT_GE(before, 0);
  press(150, 320);
  frame();
  EXPECT_TRUE(game().grabbedBall);
  EXPECT_EQ(game().highlitedBrickX, 4);
  EXPECT_EQ(game().highlitedBrickY, 7);
  release();
  frame();
  EXPECT_TRUE(game().launched);
  int flight = 0;
  while (game().launched) {
    frame();
    flight++;
    ASSERT_LT(flight, 100);
  }
  EXPECT_EQ(flight, 41);
  EXPECT_GE(game().gScore, 1);
  EXPECT_EQ(game().gHelpTarget, 4);
  EXPECT_FLOAT_EQ(game().ballx, 145);
  EXPECT_FLOAT_EQ(game().bally, 310);
  EXPECT_FALSE(game().tutorial);
}

TEST_F(Game, TheBallIsHeldNoHigherThan120AndAThrowOutOfTheWallHitsNothing) {
  shell.screen = kPlayScreen;
  press(150, 320);
  frame();
  press(150, 20);
  frame();
  EXPECT_FLOAT_EQ(game().bally, 120);
  release();
  for (int i = 0; i < 45; i++) frame();
  EXPECT_EQ(game().gScore, 0);
  for (int col = 0; col < 9; col++) EXPECT_GE(game().brickWall[7][col].color, 0);
}

// ------------------------------------------------------------------ destruction and bonuses

TEST_F(Game, AHitTakesTheConnectedGroupOfItsColour) {
  emptyWall();
  put(0, 7, 1);
  put(1, 7, 1);
  put(1, 6, 1);
  put(2, 7, 2);
  put(0, 6, 5); // hard bricks are never taken by an ordinary colour
  rules().destroyBrickAt(0, 7);
  EXPECT_EQ(game().gScore, 3);
  EXPECT_EQ(game().brickWall[7][2].color, 2);
  EXPECT_EQ(game().brickWall[6][0].color, 5);
  rules().destroyBrickAt(5, 5); // empty: nothing
  EXPECT_EQ(game().gScore, 3);
}

TEST_F(Game, HardBricksTakeThreeHitsAndBreakTogether) {
  emptyWall();
  put(4, 7, 5);
  put(5, 7, 7);
  put(6, 7, 6);
  rules().destroyBrickAt(4, 7);
  EXPECT_EQ(game().brickWall[7][4].color, 6);
  rules().destroyBrickAt(4, 7);
  EXPECT_EQ(game().brickWall[7][4].color, 7);
  EXPECT_EQ(game().gScore, 2);
  rules().destroyBrickAt(4, 7);
  EXPECT_EQ(game().brickWall[7][4].color, -1);
  EXPECT_EQ(game().brickWall[7][5].color, -1);
  EXPECT_EQ(game().brickWall[7][6].color, -1);
  EXPECT_EQ(game().gScore, 5);
}

TEST_F(Game, BonusesActChainAndGetLost) {
  emptyWall();
  // A bomb in a corner hits only the three cells inside the wall; the
  // hammer it hits chains down its column.
  put(0, 5, 1, 1);
  put(1, 5, 2, 2);
  put(1, 6, 3);
  put(1, 7, 4);
  put(0, 6, 0);
  rules().destroyBrickAt(0, 5);
  EXPECT_EQ(game().brickWall[5][1].color, -1);
  EXPECT_EQ(game().brickWall[6][1].color, -1);
  EXPECT_EQ(game().brickWall[7][1].color, -1);
  EXPECT_EQ(game().brickWall[6][0].color, -1);
  // A bonus caught by the spreading step is lost.
  emptyWall();
  put(0, 7, 1);
  put(1, 7, 1, 3);
  game().pauseLine = 0;
  rules().destroyBrickAt(0, 7);
  EXPECT_EQ(game().pauseLine, 0);
  // A target sets the guided throws to 3.
  emptyWall();
  game().gHelpTarget = 1;
  put(0, 7, 1, 4);
  rules().destroyBrickAt(0, 7);
  EXPECT_EQ(game().gHelpTarget, 3);
}

TEST_F(Game, RowClearScoresNineAndKeepsAHardBrickOneStageWorse) {
  emptyWall();
  put(2, 7, 5, 5);
  put(6, 7, 1);
  game().gScore = 0;
  rules().destroyBrickAt(2, 7);
  EXPECT_EQ(game().gScore, 10);
  EXPECT_EQ(game().brickWall[7][2].color, 6);
  EXPECT_EQ(game().brickWall[7][6].color, -1);
  game().gameover = true; // the row clear still scores after the end
  rules().fastDestroyBrick(0, 7);
  EXPECT_EQ(game().gScore, 19);
}

TEST_F(Game, BonusesAppearOnlyFromThreePointsAndCloudsAreTenAtMost) {
  emptyWall();
  for (int row = 0; row < 8; row++)
    for (int col = 0; col < 9; col++) put(col, row, 0);
  game().gScore = 2;
  EXPECT_EQ(rules().getBonus(), 0);
  EXPECT_FALSE(game().cloudTable[0].active);
  game().gScore = 3;
  for (int i = 0; i < 12; i++) rules().addCloud(i, i);
  int active = 0;
  for (const sCloud &c : game().cloudTable) active += c.active;
  EXPECT_EQ(active, 10);
  EXPECT_EQ(game().cloudTable[9].x, 9);
  // With ten clouds a bonus is still placed, without a cloud.
  int before = 0, after = 0;
  for (auto &row : game().brickWall)
    for (sBrick &b : row) before += b.bonus > 0;
  for (int i = 0; i < 5; i++) rules().getBonus();
  for (auto &row : game().brickWall)
    for (sBrick &b : row) after += b.bonus > 0;
  EXPECT_GT(after, before);
  // A cloud lasts 24 frames.
  for (sCloud &c : game().cloudTable) c.active = false;
  rules().addCloud(10, 10);
  int f = 0;
  while (game().cloudTable[0].active) {
    rules().doClouds();
    f++;
  }
  EXPECT_EQ(f, 24);
}

TEST_F(Game, DifficultyTurnsToSixColoursAbove129) {
  game().gScore = 129;
  rules().setDifficultyLevel();
  EXPECT_EQ(game().difficulty, 5);
  game().gScore = 130;
  rules().setDifficultyLevel();
  EXPECT_EQ(game().difficulty, 6);
}

// ------------------------------------------------------------------ score and game over

TEST_F(Game, TheDisplayCountsUpOnePointEveryFourthFrame) {
  game().gScore = 10;
  int f = 0;
  while (game().gScoreAnim < 10) {
    rules().displayScore();
    f++;
  }
  EXPECT_GE(f, 37);
  EXPECT_LE(f, 40);
  sheet.clear();
  game().gScore = 0;
  game().gScoreAnim = 0;
  rules().displayScore();
  drawPlay(game(), sheet);
  auto zeros = sheet.from(72, 859);
  ASSERT_EQ(zeros.size(), 1u);
  EXPECT_EQ(zeros[0].destX, 59);
  sheet.clear();
  displayValueAt(sheet, 210, 5, 15);
  ASSERT_EQ(sheet.log.size(), 2u);
  EXPECT_EQ(sheet.log[0].destX, 210);
  EXPECT_EQ(sheet.log[1].destX, 200);
}

TEST_F(Game, GameOverSlidesInOver20FramesThenAClickRestarts) {
  shell.screen = kPlayScreen;
  game().gScore = 50;
  game().gameover = true;
  press(100, 100);
  for (int f = 1; f <= 19; f++) {
    frame();
    ASSERT_TRUE(game().gameover) << f;
  }
  EXPECT_EQ(game().gScoreAnim, 50);
  EXPECT_EQ(shell.highScores.topScores[0], 50);
  frame(); // the 20th frame: in place, and the held press restarts
  EXPECT_FALSE(game().gameover);
  EXPECT_EQ(game().gScore, 0);
  EXPECT_EQ(shell.highScores.topScores[0], 50);
  EXPECT_EQ(shell.highScores.topScores[1], 30);
}

TEST_F(Game, TheMenuZoneLeavesAndANewVisitStartsAFreshGame) {
  shell.screen = kPlayScreen;
  game().gScore = 12;
  press(230, 460);
  frame();
  EXPECT_EQ(shell.screen, kMenuScreen);
  release();
  frame();
  EXPECT_EQ(game().gScore, 0);
  EXPECT_EQ(game().gHelpTarget, 5);
}

// A whole game played by a script until the end, its invariants checked every frame.
TEST_F(Game, AScriptedGameKeepsItsInvariantsToTheEnd) {
  shell.screen = kPlayScreen;
  game().tutorial = false;
  int lastScore = 0;
  int f = 0;
  int throwPhase = 0;
  while (!game().gameover && f < 80 * 600) {
    // Grab, pull to a point that depends on the frame, release.
    if (!game().launched) {
      int aimX = 140 + (f * 7) % 60, aimY = 330 + (f * 13) % 90;
      if (throwPhase == 0) press(150, 325);
      else if (throwPhase < 4) press(aimX, aimY);
      else release();
      throwPhase = (throwPhase + 1) % 6;
    }
    frame();
    f++;
    for (int row = 0; row < 8; row++)
      for (int col = 0; col < 9; col++) {
        ASSERT_GE(game().brickWall[row][col].color, -1);
        ASSERT_LE(game().brickWall[row][col].color, 7);
      }
    ASSERT_GE(game().gScore, lastScore);
    ASSERT_LE(game().gScoreAnim, game().gScore);
    lastScore = game().gScore;
  }
  EXPECT_TRUE(game().gameover);
  release();
  frames(25);
  EXPECT_TRUE(game().scoreSent);
}

} // namespace

// ------------------------------------------------------------------ switches and settings

class Switches : public ScoreFile {
protected:
  void SetUp() override {
    ScoreFile::SetUp();
    shell.switches.settingsFile = folder + "/config/zunk/settings.ini";
    shell.switches.playerSettings = Settings();
    applySettings(shell.switches);
  }
  void TearDown() override {
    shell.switches.settingsFile.clear();
    shell.switches.playerSettings = Settings();
    applySettings(shell.switches);
    ScoreFile::TearDown();
  }
  static constexpr int kKeyM = 16, kKeyS = 22; // scancodes
};

TEST_F(Switches, MAndSSwitchOncePerPressOnEveryScreenAndTheFileKeepsIt) {
  toOpenMenu();
  input.keys[kKeyM] = true;
  frames(5); // held: one switch
  EXPECT_FALSE(shell.switches.playerSettings.music);
  EXPECT_EQ(KSound::_masterMUSICvolume, 0);
  EXPECT_EQ(KSound::_masterSFXvolume, 100);
  input.keys[kKeyM] = false;
  frame();
  shell.screen = kPlayScreen;
  input.keys[kKeyS] = true;
  frame();
  input.keys[kKeyS] = false;
  frame();
  EXPECT_FALSE(shell.switches.playerSettings.sounds);
  EXPECT_EQ(KSound::_masterSFXvolume, 0);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=off\nsounds=off\nfullscreen=off\nscale=0\n");
  input.keys[kKeyM] = true; // and back on
  frame();
  EXPECT_TRUE(shell.switches.playerSettings.music);
  EXPECT_EQ(KSound::_masterMUSICvolume, 100);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=on\nsounds=off\nfullscreen=off\nscale=0\n");
}

// A window that can be shown up to three times the game's size, and full screen.
class SizedWindow : public NullWindow {
public:
  double scale = 1;
  bool full = false, whole = false;
  bool setWindowScale(double s) override {
    if (s < 0 || s > 3 || (s > 0 && s < 1)) return false;
    scale = s ? s : 3;
    return true;
  }
  double getWindowScale() override { return scale; }
  double getLargestWindowScale() override { return 3; }
  void setWholeScaling(bool on) override { whole = on; }
  bool isWholeScaling() override { return whole; }
  bool setDesktopFullScreen(bool on) override { return full = on, true; }
  bool isDesktopFullScreen() override { return full; }
};

TEST_F(Switches, CtrlPlusAndMinusStepTheWindowByQuartersWithinTheDesktopAndFullScreenIsKept) {
  SizedWindow sized;
  shell.assets.gamewindow = &sized;
  auto tap = [&](EKeyboardLayout key, bool ctrl) {
    input.keys[KInput::KeyboardLayout[K_VK_L_CONTROL].code] = ctrl;
    input.keys[KInput::KeyboardLayout[key].code] = true;
    frame();
    input.keys[KInput::KeyboardLayout[key].code] = false;
    input.keys[KInput::KeyboardLayout[K_VK_L_CONTROL].code] = false;
    frame();
  };
  tap(K_VK_EQUAL, true);
  EXPECT_EQ(sized.scale, 1.25);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=1.25\n");
  for (int i = 0; i < 8; i++) tap(K_VK_EQUAL, true); // up to 3, and no larger than the desktop
  EXPECT_EQ(sized.scale, 3);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=3\n");
  tap(K_VK_SUBTRACT, true); // the keypad's minus too
  EXPECT_EQ(sized.scale, 2.75);
  for (int i = 0; i < 8; i++) tap(K_VK_MINUS, true); // never below 1
  EXPECT_EQ(sized.scale, 1);
  tap(K_VK_EQUAL, false); // without Ctrl, nothing
  EXPECT_EQ(sized.scale, 1);
  // A frame dragged to any size steps to the quarter above or below it.
  sized.scale = 1.37;
  tap(K_VK_EQUAL, true);
  EXPECT_EQ(sized.scale, 1.5);
  sized.scale = 1.37;
  tap(K_VK_MINUS, true);
  EXPECT_EQ(sized.scale, 1.25);
  // Whole scaling (the player's "scale=whole") steps by whole sizes and
  // keeps "whole" in the file: a change keeps what the file says of the rest.
  std::ofstream(shell.switches.settingsFile) << "[zunk]\nscale=whole\n";
  shell.switches.playerSettings = readSettings(shell.switches.settingsFile, said);
  applyWindowSettings(shell.switches, &sized);
  EXPECT_TRUE(sized.whole);
  tap(K_VK_EQUAL, true);
  EXPECT_EQ(sized.scale, 2);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nscale=whole\n");
  tap(K_VK_M, false); // any change writes the file: whole stays whole
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=off\nsounds=on\nfullscreen=off\nscale=whole\n");
  sized.full = true; // as F11 does in the window
  frame();
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=off\nsounds=on\nfullscreen=on\nscale=whole\n");
  tap(K_VK_ADD, true); // full screen has no window size to step
  EXPECT_EQ(sized.scale, 2);
  // At the next start: full screen again, at whole scaling. (A kept scale
  // the desktop has no room for any more is the window's business: it
  // opens at the largest that fits.)
  SizedWindow next;
  shell.assets.gamewindow = &next;
  shell.switches.playerSettings.scale = 5;
  applyWindowSettings(shell.switches, &next);
  EXPECT_TRUE(next.full);
  EXPECT_TRUE(next.whole);
  EXPECT_EQ(shell.switches.playerSettings.scale, 5);
  shell.assets.gamewindow = &window;
}

// ------------------------------------------------------------------ options

namespace {
// Where a click chooses on the options' screens.
int optionRowMiddle(int row) { return layout::kOptionRowsY + layout::kOptionRowStep * row + 10; }
int keysRowMiddle(int row) { return layout::kActionRowsY + layout::kActionRowStep * row + 10; }
// The x at which a click sets a slider to `level`.
int sliderX(int level) {
  return layout::kOptionValueAt + (layout::kSliderStepWidth + layout::kSliderStepGap) * level + 3;
}
} // namespace

class Options : public Switches {
protected:
  void click(int x, int y) {
    press(x, y);
    frame();
    release();
    frame();
  }
  void openByMouse() {
    click(layout::kOptionsButtonAt.x + 10, layout::kOptionsButtonAt.y + 10);
    ASSERT_EQ(shell.screen, kOptionsScreen);
  }
  void backToMenu() {
    tap(K_VK_ESCAPE);
    for (int i = 0; i < 100 && shell.screen != kMenuScreen; i++) frame();
    ASSERT_EQ(shell.screen, kMenuScreen);
    frame();
  }
  void toKeys() {
    click(layout::kKeysButtonAt.x + 10, layout::kKeysButtonAt.y + 10);
    ASSERT_TRUE(shell.options.keysPage);
  }
};

TEST_F(Options, OpenedByMouseAndKeysTheSlidersSetTheMixerAndMAndSComeBackToTheirLevel) {
  toOpenMenu();
  openByMouse();
  EXPECT_FALSE(sheet.from(layout::kOptionsTitle.x1, layout::kOptionsTitle.y1).empty());
  backToMenu();
  // The keys: from no focus, down is PLAY and up from there OPTIONS.
  tap(K_VK_DOWN);
  tap(K_VK_UP);
  EXPECT_EQ(shell.menu.menuFocus, kFocusOptions);
  EXPECT_EQ(sheet.from(layout::kFocusArrow.x1, layout::kFocusArrow.y1).at(0).destY,
            layout::kOptionsButtonAt.y + (layout::kOptionsButton.h() - layout::kFocusArrow.h()) / 2);
  tap(K_VK_RETURN);
  ASSERT_EQ(shell.screen, kOptionsScreen);
  // The music's slider, three steps down by the keys.
  tap(K_VK_DOWN);
  for (int i = 0; i < 3; i++) tap(K_VK_LEFT);
  EXPECT_EQ(KSound::_masterMUSICvolume, 70);
  EXPECT_EQ(KSound::_masterSFXvolume, 100);
  // The effects', set by a click at its third step, then off at its left end.
  click(sliderX(3), optionRowMiddle(kRowEffects));
  EXPECT_EQ(KSound::_masterSFXvolume, 30);
  EXPECT_EQ(read(shell.switches.settingsFile),
            "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=0\nmusicvolume=7\nsoundsvolume=3\n");
  click(sliderX(0), optionRowMiddle(kRowEffects));
  EXPECT_EQ(KSound::_masterSFXvolume, 0);
  // M and S switch off and back to the level chosen.
  tap(K_VK_M);
  EXPECT_EQ(KSound::_masterMUSICvolume, 0);
  tap(K_VK_M);
  EXPECT_EQ(KSound::_masterMUSICvolume, 70);
  tap(K_VK_S);
  EXPECT_EQ(KSound::_masterSFXvolume, 30);
  // Paused, the music is lowered from its level, not from full.
  backToMenu();
  shell.screen = kPlayScreen;
  frames(5);
  tap(K_VK_P);
  EXPECT_EQ(KSound::_masterMUSICvolume, 70 * kPausedMusicShare / 100);
  // What was chosen is read again as the program starts.
  const Settings kept = readSettings(shell.switches.settingsFile, said);
  EXPECT_EQ(said, "");
  EXPECT_EQ(kept.musicLevel, 7);
  EXPECT_EQ(kept.soundsLevel, 3);
  EXPECT_TRUE(kept.music && kept.sounds);
}

TEST_F(Options, TheLanguageTheWindowAndTheLooksAreChosenAtOnceAndKept) {
  SizedWindow sized;
  shell.assets.gamewindow = &sized;
  toOpenMenu();
  openByMouse();
  // The language: as the system, then English, then German (right of the
  // middle steps on), and back round from as the system to Chinese.
  click(layout::kOptionValueRight - 5, optionRowMiddle(kRowLanguage));
  click(layout::kOptionValueRight - 5, optionRowMiddle(kRowLanguage));
  EXPECT_EQ(shell.switches.playerSettings.language, "de");
  EXPECT_EQ(shell.sheetWanted, "zunk-de.png");
  EXPECT_FALSE(sheet.from(layout::languageName(1).x1, layout::languageName(1).y1).empty());
  EXPECT_EQ(shell.options.focus, kRowLanguage); // the row clicked, for the keys
  tap(K_VK_LEFT);
  tap(K_VK_LEFT);
  tap(K_VK_LEFT);
  EXPECT_EQ(shell.switches.playerSettings.language, "zh_CN");
  // The window: a quarter larger, up past the largest to whole sizes, and back.
  click(layout::kOptionValueRight - 5, optionRowMiddle(kRowWindowSize));
  EXPECT_EQ(sized.scale, 1.25);
  for (int i = 0; i < 8; i++) click(layout::kOptionValueRight - 5, optionRowMiddle(kRowWindowSize));
  EXPECT_EQ(sized.scale, 3);
  EXPECT_TRUE(sized.whole);
  EXPECT_TRUE(shell.switches.playerSettings.wholeScaling);
  click(layout::kOptionValueAt + 5, optionRowMiddle(kRowWindowSize));
  EXPECT_FALSE(sized.whole);
  EXPECT_EQ(shell.switches.playerSettings.scale, 3);
  click(layout::kOptionValueAt + 5, optionRowMiddle(kRowFullScreen));
  EXPECT_TRUE(sized.full);
  // The looks, the system asking for calm: a click on calm turns it off,
  // on contrast turns it on; both kept as chosen.
  shell.switches.systemCalm = true;
  click(layout::kOptionValueAt + 5, optionRowMiddle(kRowCalm));
  click(layout::kOptionValueAt + 5, optionRowMiddle(kRowContrast));
  const Look look = lookOf(shell.switches);
  EXPECT_FALSE(look.calm);
  EXPECT_TRUE(look.contrast);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=on\nsounds=on\nfullscreen=on\nscale=3\n"
                                               "language=zh_CN\ncalm=off\ncontrast=on\n");
  // As the program starts again: the same, whatever the system says.
  const Settings kept = readSettings(shell.switches.settingsFile, said);
  EXPECT_EQ(said, "");
  const Look again = lookOf(kept, true, false);
  EXPECT_FALSE(again.calm);
  EXPECT_TRUE(again.contrast);
  EXPECT_EQ(kept.language, "zh_CN");
  shell.assets.gamewindow = &window;
}

TEST_F(Options, AThrowKeyGivenAnotherThrowsTheOldOneDoesNotAndAClashIsRefused) {
  toOpenMenu();
  openByMouse();
  toKeys();
  // Grab and throw: F.
  click(20, keysRowMiddle(kActThrow));
  EXPECT_EQ(shell.options.waiting, kActThrow);
  tap(K_VK_F);
  EXPECT_EQ(shell.options.waiting, -1);
  EXPECT_EQ(shell.switches.playerSettings.keys.keys[kActThrow], K_VK_F);
  // Then P, the pause's: refused, and the pause's label said beside "taken".
  click(20, keysRowMiddle(kActThrow));
  tap(K_VK_P);
  EXPECT_EQ(shell.switches.playerSettings.keys.keys[kActThrow], K_VK_F);
  EXPECT_EQ(shell.options.refusedBy, kActPause);
  EXPECT_FALSE(sheet.from(layout::keysWord(layout::kWordTaken).x1, layout::keysWord(layout::kWordTaken).y1).empty());
  EXPECT_FALSE(sheet.from(layout::actionLabel(kActPause).x1, layout::actionLabel(kActPause).y1).empty());
  // A key being taken switches nothing else: M given to the full screen's
  // is refused (the music's), and the music stays on.
  click(20, keysRowMiddle(kActFullScreen));
  tap(K_VK_M);
  EXPECT_TRUE(shell.switches.playerSettings.music);
  EXPECT_EQ(shell.options.refusedBy, kActMusic);
  // Esc leaves a key as it was; the gamepad's throw given X.
  click(20, keysRowMiddle(kActScreenshot));
  tap(K_VK_ESCAPE);
  EXPECT_EQ(shell.switches.playerSettings.keys.keys[kActScreenshot], K_VK_F6);
  EXPECT_EQ(shell.screen, kOptionsScreen);
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=0\nkey.throw=F\n");
  // In play Space no longer throws; F does.
  tap(K_VK_ESCAPE);
  backToMenu();
  shell.screen = kPlayScreen;
  frames(60);
  tap(K_VK_SPACE);
  EXPECT_FALSE(game().launched);
  tap(K_VK_F);
  EXPECT_TRUE(game().launched);
  // The next start has F too.
  shell.switches.playerSettings = readSettings(shell.switches.settingsFile, said);
  startAgain();
  EXPECT_EQ(shell.controls.keys().keys[kActThrow], K_VK_F);
  // RESET: Space again.
  toOpenMenu();
  openByMouse();
  toKeys();
  click(layout::kResetButtonAt.x + 10, layout::kResetButtonAt.y + 10);
  EXPECT_EQ(shell.controls.keys(), KeyMap());
  EXPECT_EQ(read(shell.switches.settingsFile), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=0\n");
}

TEST_F(Options, CalmerMotionAndStrongerContrastChangeTheDrawsNeverThePlay) {
  // The same session played twice, the looks on in the second: the same
  // game, draw for draw, with other pictures drawn.
  std::string ends[2];
  size_t contrastBlits[2] = {0, 0};
  for (int run = 0; run < 2; run++) {
    startAgain();
    const Choice look = run ? Choice::kOn : Choice::kOff;
    shell.switches.playerSettings.calm = shell.switches.playerSettings.contrast = look;
    toOpenMenu();
    frames(40); // the buttons' phases turn, shown still or not
    shell.screen = kPlayScreen;
    frames(200);
    press(layout::kBallRest.x + 5, layout::kBallRest.y + 10);
    frame();
    input.mouseX -= 20;
    input.mouseY += 40;
    frames(3);
    release();
    frames(120);
    contrastBlits[run] = sheet.from(layout::contrastBrick(0).x1, layout::contrastBrick(0).y1).size() +
                         sheet.from(layout::kContrastRestingBall.x1, layout::kContrastRestingBall.y1).size();
    ends[run] = playState() + " next draw " + std::to_string(std::rand());
  }
  EXPECT_EQ(ends[1], ends[0]);
  EXPECT_EQ(contrastBlits[0], 0u);
  EXPECT_GT(contrastBlits[1], 0u);
}

TEST_F(Switches, TheGameDrawsTheSameWithTheSoundsOff) {
  // Switches change what is heard, never what is played: the same frames
  // draw the same random numbers.
  shell.screen = kPlayScreen;
  frames(200);
  const int withSound = std::rand();
  startAgain();
  shell.switches.playerSettings.music = shell.switches.playerSettings.sounds = false;
  applySettings(shell.switches);
  shell.screen = kPlayScreen;
  frames(200);
  EXPECT_EQ(std::rand(), withSound);
}

TEST_F(Switches, SettingsSurviveGarbageMissingFilesAndAReadOnlyFolder) {
  const std::string path = folder + "/s.ini";
  Settings s = readSettings(path, said); // missing: the defaults
  EXPECT_TRUE(s.music);
  EXPECT_TRUE(s.sounds);
  std::ofstream(path) << "\x01\x02garbage\nmusic=off\nsounds=maybe\nvolume=11\nscale=-2\nscale=99\nfullscreen=on\n";
  s = readSettings(path, said); // what can be read is taken, the rest stays default
  EXPECT_FALSE(s.music);
  EXPECT_TRUE(s.sounds);
  EXPECT_TRUE(s.fullScreen);
  EXPECT_EQ(s.scale, 0);
  s.sounds = false;
  ASSERT_TRUE(writeSettings(path, s, said)); // rewritten cleanly
  EXPECT_EQ(read(path), "[zunk]\nmusic=off\nsounds=off\nfullscreen=on\nscale=0\n");
  s.music = true;
  s.scale = 3;
  ASSERT_TRUE(writeSettings(path, s, said)); // a second change
  s = readSettings(path, said);
  EXPECT_TRUE(s.music);
  EXPECT_FALSE(s.sounds);
  EXPECT_EQ(s.scale, 3);
  // A folder that cannot be made (a file stands in its place), even for root.
  std::ofstream(folder + "/notafolder") << "x";
  EXPECT_FALSE(writeSettings(folder + "/notafolder/s.ini", s, said));
  EXPECT_FALSE(writeSettings("", s, said));
  EXPECT_EQ(readSettings(path, said).music, true); // the file written before is untouched
}

TEST_F(Switches, ScalesAreKeptInQuartersWholeAsEverAndWholeScalingByName) {
  std::string garbled;
  const struct {
    const char *text;
    double scale;
    bool whole;
    bool understood;
  } cases[] = {
      {"scale=0", 0, false, true},       {"scale=2", 2, false, true},      {"scale=16", 16, false, true},
      {"scale=1.25", 1.25, false, true}, {"scale=1.5", 1.5, false, true},  {"scale=2.750", 2.75, false, true},
      {"scale=whole", 0, true, true},    {"scale=1.3", 0, false, false},   {"scale=0.5", 0, false, false},
      {"scale=1,25", 0, false, false},   {"scale=16.25", 0, false, false}, {"scale=1.", 0, false, false},
      {"scale=.5", 0, false, false},     {"scale=125", 0, false, false},   {"scale=1.2500001", 0, false, false},
      {"scale=Whole", 0, false, false},
  };
  for (const auto &c : cases) {
    const Settings s = parseSettings(c.text, garbled);
    EXPECT_EQ(s.scale, c.scale) << c.text;
    EXPECT_EQ(s.wholeScaling, c.whole) << c.text;
    EXPECT_EQ(garbled.empty(), c.understood) << c.text;
  }
  // Written as read: whole numbers as programs before quarters wrote them,
  // quarters as decimals whatever the locale's decimal mark.
  const std::string path = folder + "/s.ini";
  Settings s;
  for (double scale : {0.0, 1.0, 1.25, 1.5, 1.75, 2.0, 15.75}) {
    s.scale = scale;
    ASSERT_TRUE(writeSettings(path, s, said));
    EXPECT_EQ(readSettings(path, said).scale, scale);
    EXPECT_EQ(said, "");
  }
  s.scale = 2;
  ASSERT_TRUE(writeSettings(path, s, said));
  EXPECT_EQ(read(path), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=2\n");
  s.scale = 1.25;
  ASSERT_TRUE(writeSettings(path, s, said));
  EXPECT_EQ(read(path), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=1.25\n");
  s.wholeScaling = true;
  ASSERT_TRUE(writeSettings(path, s, said));
  EXPECT_EQ(read(path), "[zunk]\nmusic=on\nsounds=on\nfullscreen=off\nscale=whole\n");
  EXPECT_TRUE(readSettings(path, said).wholeScaling);
}

// ------------------------------------------------------------------ language

TEST(Language, TheFirstWishTheGameHasWordsForRegionBeforeLanguage) {
  const std::vector<std::string> have = {"en", "fr", "pt_BR", "pt", "de"};
  EXPECT_EQ(pickLanguage({"pt_BR"}, have), "pt_BR");
  EXPECT_EQ(pickLanguage({"pt_PT"}, have), "pt"); // the region's language
  EXPECT_EQ(pickLanguage({"fr_CA", "de"}, have), "fr");
  EXPECT_EQ(pickLanguage({"eo", "xx_YY", "de_CH"}, have), "de"); // the unknown are passed over
  EXPECT_EQ(pickLanguage({"ja"}, have), "en");
  EXPECT_EQ(pickLanguage({}, have), "en");
  EXPECT_EQ(pickLanguage({"fr"}, {}), "en");
  EXPECT_EQ(sheetFile("en"), "zunk.png");
  EXPECT_EQ(sheetFile("pt_BR"), "zunk-pt_br.png");
}

// A compiled catalogue as msgfmt lays it out: a header, the table of the
// original texts, the table of their translations, then the texts.
std::string compiledCatalogue(std::vector<std::pair<std::string, std::string>> messages, bool bigEndian = false) {
  std::sort(messages.begin(), messages.end());
  std::string out;
  auto word = [&](uint32_t v) {
    for (int i = 0; i < 4; i++) out += static_cast<char>(v >> (bigEndian ? 24 - 8 * i : 8 * i));
  };
  const uint32_t n = messages.size(), originals = 28, translations = originals + 8 * n;
  uint32_t text = translations + 8 * n;
  word(0x950412de);
  word(0);
  word(n);
  word(originals);
  word(translations);
  word(0);
  word(0);
  std::string texts;
  for (int table = 0; table < 2; table++)
    for (const auto &m : messages) {
      const std::string &t = table == 0 ? m.first : m.second;
      word(t.size());
      word(text);
      texts += t + '\0';
      text += t.size() + 1;
    }
  return out + texts;
}

TEST(Catalogue, TranslatesTextsAndTextsInAContextInEitherByteOrder) {
  const std::vector<std::pair<std::string, std::string>> messages = {
      {"", "Content-Type: text/plain; charset=UTF-8\n"},
      {"PLAY", "JOUER"},
      {"game over, upper panel\004GAME", "PARTIE"},
      {"Usage\n", "Utilisation\n"}};
  for (bool big : {false, true}) {
    Catalogue words;
    ASSERT_TRUE(words.read(compiledCatalogue(messages, big))) << big;
    EXPECT_EQ(words.size(), 3u); // the header is not a text
    EXPECT_STREQ(words.translate("PLAY"), "JOUER");
    EXPECT_STREQ(words.translate("Usage\n"), "Utilisation\n");
    EXPECT_STREQ(words.translate("game over, upper panel", "GAME"), "PARTIE");
    EXPECT_STREQ(words.translate("GAME"), "GAME"); // without its context: not translated
    const char *unknown = "QUIT";
    EXPECT_EQ(words.translate(unknown), unknown);
  }
}

TEST(Catalogue, ADamagedOrForeignFileIsRefusedAndLeavesNoWords) {
  const std::string good = compiledCatalogue({{"PLAY", "JOUER"}, {"QUIT", "QUITTER"}});
  Catalogue words;
  ASSERT_TRUE(words.read(good));
  // Cut anywhere, the file is refused, and what was read before is gone.
  for (size_t cut = 0; cut < good.size(); cut++) {
    EXPECT_FALSE(words.read(good.substr(0, cut))) << cut;
    EXPECT_EQ(words.size(), 0u);
    EXPECT_STREQ(words.translate("PLAY"), "PLAY");
  }
  std::string bad = good;
  bad[0] = 'x'; // not a catalogue
  EXPECT_FALSE(words.read(bad));
  bad = good;
  bad[6] = 1; // a major revision this reader does not know
  EXPECT_FALSE(words.read(bad));
  bad = good;
  bad[11] = '\x7f'; // more messages than the file could hold
  EXPECT_FALSE(words.read(bad));
  bad = good;
  bad[35] = '\x7f'; // a text's offset past the end
  EXPECT_FALSE(words.read(bad));
  bad = good;
  bad[28] = '\xff'; // a text's length past the end
  EXPECT_FALSE(words.read(bad));
  EXPECT_FALSE(words.load("/nonexistent/zunk.mo"));
  EXPECT_FALSE(words.load("/tmp")); // a folder
}

TEST(Catalogue, EveryLanguagesCompiledCatalogueIsRead) {
  std::stringstream list(ZUNK_LANGUAGES);
  for (std::string tag; std::getline(list, tag, ',');) {
    Catalogue words;
    ASSERT_TRUE(words.load(catalogueFiles(ZUNK_BUILD_FOLDER, tag).front())) << tag;
    EXPECT_STRNE(words.translate("PLAY"), "PLAY") << tag;
    EXPECT_STRNE(words.translate("game over, lower panel", "OVER"), "OVER") << tag;
  }
  Catalogue french;
  ASSERT_TRUE(french.load(catalogueFiles(ZUNK_BUILD_FOLDER, "fr").front()));
  EXPECT_STREQ(french.translate("PLAY"), "JOUER");
  EXPECT_STREQ(french.translate("game over, upper panel", "GAME"), "PARTIE");
}

TEST_F(ScoreFile, TheSheetIsInThePlayersLanguageWhenTheDataHasIt) {
  setenv("LANGUAGE", "de:fr", 1);
  setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(playerSheet(), "zunk.png"); // no sheet in either language: English
  std::ofstream(folder + "/data/zunk-fr.png") << "x";
  EXPECT_EQ(playerSheet(), "zunk-fr.png");
  std::ofstream(folder + "/data/zunk-de.png") << "x";
  EXPECT_EQ(playerSheet(), "zunk-de.png"); // LANGUAGE's first wish
  unsetenv("LANGUAGE");
  unsetenv("LANG");
}
