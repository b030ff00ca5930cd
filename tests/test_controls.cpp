// Pause, keyboard and gamepad play, the menu's focus and switches: each
// against the same play by mouse alone.

#include <SDL.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "GameFixture.h"
#include "KInput.h"
#include "controls.h"
#include "layout.h"
#include "play.h"
#include "switches.h"

namespace {
using layout::kBallRest;

class Controls : public Game {
protected:
  void toPlay() {
    shell.screen = kPlayScreen;
    frames(60); // a few lines dropped in
  }
};

// ------------------------------------------------------------------ pause

TEST_F(Controls, APauseOfAnyLengthChangesNothingAndDrawsNoRandomNumber) {
  // The same play twice, the second paused mid-flight with the clock bonus
  // running, keys and the gamepad's stick busy meanwhile.
  std::string ends[2];
  for (int run = 0; run < 2; run++) {
    startAgain();
    toPlay();
    game().pauseLine = 120;
    press(kBallRest.x + 5, kBallRest.y + 10);
    frame();
    input.mouseY += 60;
    frames(3);
    release();
    frames(10);
    ASSERT_TRUE(game().launched);
    key(K_VK_P, run == 1);
    frame(); // this frame still plays; the pause starts after it
    key(K_VK_P, false);
    if (run == 1) {
      ASSERT_TRUE(game().paused);
      const std::string before = playState();
      key(K_VK_LEFT, true);
      key(K_VK_SPACE, true);
      frames(500);
      key(K_VK_LEFT, false);
      key(K_VK_SPACE, false);
      EXPECT_EQ(playState(), before);
      EXPECT_TRUE(game().paused);
      key(K_VK_ESCAPE, true);
      frame(); // resumes: the frozen screen once more
      key(K_VK_ESCAPE, false);
      EXPECT_FALSE(game().paused);
      EXPECT_EQ(playState(), before);
    }
    frames(300);
    // A random number drawn while paused would show in every draw after.
    ends[run] = playState() + " next draw " + std::to_string(std::rand());
  }
  EXPECT_EQ(ends[1], ends[0]);
}

TEST_F(Controls, ThePauseShowsItsPanelStopsTheEffectsAndLowersTheMusic) {
  toPlay();
  // The frame the pause comes after, and the first frame of the pause: the
  // same play, drawn as it stood, under the veil and the panel.
  key(K_VK_ESCAPE, true);
  frame();
  ASSERT_TRUE(game().paused);
  EXPECT_TRUE(sheet.from(layout::kPausePanel.x1, layout::kPausePanel.y1).empty());
  const std::vector<Blit> lastPlayed = sheet.log;
  key(K_VK_ESCAPE, false);
  frame();
  EXPECT_EQ(KSound::_masterMUSICvolume, 100 * kPausedMusicShare / 100);
  ASSERT_EQ(sheet.log.size(), lastPlayed.size() + 2);
  for (size_t i = 0; i < lastPlayed.size(); i++) {
    EXPECT_EQ(sheet.log[i].op, lastPlayed[i].op) << i;
    EXPECT_EQ(sheet.log[i].destX, lastPlayed[i].destX) << i;
    EXPECT_EQ(sheet.log[i].destY, lastPlayed[i].destY) << i;
    EXPECT_EQ(sheet.log[i].x1, lastPlayed[i].x1) << i;
  }
  EXPECT_EQ(sheet.log[lastPlayed.size()].op, "drawRect");
  EXPECT_FALSE(sheet.from(layout::kPausePanel.x1, layout::kPausePanel.y1).empty());
  // M while paused switches the music off, and it stays off on resuming.
  tap(K_VK_M);
  EXPECT_EQ(KSound::_masterMUSICvolume, 0);
  press(10, 10); // a click plays on
  frame();
  release();
  EXPECT_FALSE(game().paused);
  tap(K_VK_M);
  EXPECT_EQ(KSound::_masterMUSICvolume, 100);
  // Backspace from the pause leaves for the menu.
  tap(K_VK_P);
  ASSERT_TRUE(game().paused);
  tap(K_VK_BACK);
  EXPECT_FALSE(game().paused);
  EXPECT_EQ(shell.screen, kMenuScreen);
}

// ------------------------------------------------------------------ keyboard play

TEST_F(Controls, ASpaceTapThrowsFromRestAsAClickOnTheBallDoes) {
  std::string ends[2];
  for (int run = 0; run < 2; run++) {
    startAgain();
    toPlay();
    if (run == 0) {
      press(kBallRest.x + 30, kBallRest.y + 3); // anywhere on the ball
      frame();
      release();
      frame();
    } else {
      tap(K_VK_SPACE);
    }
    EXPECT_TRUE(game().launched);
    frames(60);
    ends[run] = playState() + " next draw " + std::to_string(std::rand());
  }
  EXPECT_EQ(ends[1], ends[0]);
}

TEST_F(Controls, ArrowsPullAtAPaceThatGrowsAndFlyAsTheSameMousePull) {
  std::string ends[2];
  int pulledX = 0, pulledY = 0;
  for (int run = 0; run < 2; run++) {
    startAgain();
    toPlay();
    if (run == 0) {
      key(K_VK_SPACE, true);
      frame();
      ASSERT_TRUE(game().grabbedBall);
      key(K_VK_DOWN, true);
      frame();
      EXPECT_EQ(game().bally, kBallRest.y + kPullStartStep); // a tap of an arrow: one step
      frames(kPullSpeedUpFrames - 1);
      EXPECT_EQ(game().bally, kBallRest.y + kPullSpeedUpFrames * kPullStartStep);
      frame(); // held longer, faster
      EXPECT_EQ(game().bally, kBallRest.y + kPullSpeedUpFrames * kPullStartStep + kPullStartStep + 1);
      key(K_VK_DOWN, false);
      key(K_VK_RIGHT, true);
      frames(5);
      key(K_VK_RIGHT, false);
      frames(2);
      pulledX = static_cast<int>(game().ballx) + kGrabOffsetX;
      pulledY = static_cast<int>(game().bally) + kGrabOffsetY;
      key(K_VK_SPACE, false);
      frame();
    } else {
      // The same pull by mouse: grabbed where Space grabs, let go where the
      // arrows took it, as many frames later.
      press(kBallRest.x + kGrabOffsetX, kBallRest.y + kGrabOffsetY);
      frame();
      input.mouseX = pulledX;
      input.mouseY = pulledY;
      frames(1 + kPullSpeedUpFrames + 5 + 2);
      release();
      frame();
    }
    EXPECT_TRUE(game().launched);
    frames(60);
    ends[run] = playState() + " next draw " + std::to_string(std::rand());
  }
  EXPECT_GT(pulledY, kBallRest.y + kGrabOffsetY + kPullSpeedUpFrames);
  EXPECT_EQ(ends[1], ends[0]);
}

TEST_F(Controls, KeysAndMouseMixAndTheKeyboardRestartsAfterGameOver) {
  toPlay();
  // Grabbed by Space and pulled by an arrow, a click elsewhere meanwhile
  // neither moves nor throws it: letting go of Space does.
  key(K_VK_SPACE, true);
  key(K_VK_DOWN, true);
  frames(3);
  key(K_VK_DOWN, false);
  press(10, 200);
  frame();
  release();
  frame();
  EXPECT_FALSE(game().launched) << "Space still holds the ball";
  EXPECT_EQ(game().bally, kBallRest.y + 2 * kPullStartStep); // the first of the three frames grabs
  key(K_VK_SPACE, false);
  frame();
  EXPECT_TRUE(game().launched);
  for (auto &row : game().brickWall)
    for (int col = 0; col < 9; col++) row[col] = sBrick{col % 5, 0, 0, 0};
  for (int i = 0; i < 2000 && !(game().gameover && game().gameOverProgress >= 1); i++) frame();
  ASSERT_TRUE(game().gameover);
  tap(K_VK_RETURN);
  EXPECT_FALSE(game().gameover);
  EXPECT_EQ(game().gScore, 0);
}

// ------------------------------------------------------------------ menus

TEST_F(Controls, TheMenuTakesArrowsTabAndReturnAndTheSwitchesTakeClicks) {
  toOpenMenu();
  EXPECT_TRUE(sheet.from(layout::kFocusArrow.x1, layout::kFocusArrow.y1).empty()); // no focus until a key moves it
  tap(K_VK_UP); // from nothing, up is QUIT
  EXPECT_EQ(shell.menu.menuFocus, 3);
  tap(K_VK_TAB); // and round to OPTIONS at the top, then PLAY
  EXPECT_EQ(shell.menu.menuFocus, kFocusOptions);
  tap(K_VK_TAB);
  EXPECT_EQ(shell.menu.menuFocus, 0);
  key(K_VK_SHIFT, true);
  tap(K_VK_TAB);
  tap(K_VK_TAB);
  key(K_VK_SHIFT, false);
  EXPECT_EQ(shell.menu.menuFocus, 3);
  for (int i = 0; i < 4; i++) tap(K_VK_DOWN);
  EXPECT_EQ(shell.menu.menuFocus, 2);
  const auto arrow = sheet.from(layout::kFocusArrow.x1, layout::kFocusArrow.y1);
  ASSERT_EQ(arrow.size(), 1u);
  EXPECT_EQ(arrow[0].destY, layout::kButtonY[2] + (layout::kButtons[2].h() - layout::kFocusArrow.h()) / 2);
  tap(K_VK_RETURN);
  EXPECT_EQ(shell.menu.selectedButton, 2);
  for (int i = 0; i < 100 && shell.screen != kHelpScreen; i++) frame();
  ASSERT_EQ(shell.screen, kHelpScreen);
  tap(K_VK_ESCAPE); // BACK
  for (int i = 0; i < 100 && shell.screen != kMenuScreen; i++) frame();
  ASSERT_EQ(shell.screen, kMenuScreen);
  frame();
  // The switches: a click, however long, switches once.
  EXPECT_FALSE(sheet.from(layout::kMusicOn.x1, layout::kMusicOn.y1).empty());
  press(layout::kMusicIconAt.x + 5, layout::kMusicIconAt.y + 5);
  frames(5);
  release();
  frame();
  EXPECT_FALSE(shell.switches.playerSettings.music);
  EXPECT_FALSE(sheet.from(layout::kMusicOff.x1, layout::kMusicOff.y1).empty());
  press(layout::kSoundsIconAt.x + 5, layout::kSoundsIconAt.y + 5);
  frame();
  release();
  frame();
  EXPECT_FALSE(shell.switches.playerSettings.sounds);
  switchSounds(shell.switches, true, true, failed);
  // Return with no focus (a new session) starts a game.
  startAgain();
  toOpenMenu();
  tap(K_VK_RETURN);
  for (int i = 0; i < 100 && shell.screen != kPlayScreen; i++) frame();
  EXPECT_EQ(shell.screen, kPlayScreen);
}

TEST_F(Controls, ReturnOnTheScoresGoesBackAndSpaceHeldStillRestoresTheTable) {
  toOpenMenu();
  shell.highScores.topScores[0] = 999;
  shell.screen = kScoresScreen;
  // A tap of Space (the key that throws) resets nothing; held, it does.
  tap(K_VK_SPACE);
  EXPECT_EQ(shell.highScores.topScores[0], 999);
  key(K_VK_SPACE, true);
  frames(80);
  key(K_VK_SPACE, false);
  frame();
  EXPECT_EQ(shell.highScores.topScores[0], topScoresOld[0]);
  EXPECT_EQ(shell.screen, kScoresScreen);
  tap(K_VK_RETURN);
  for (int i = 0; i < 100 && shell.screen != kMenuScreen; i++) frame();
  EXPECT_EQ(shell.screen, kMenuScreen);
}

// ------------------------------------------------------------------ gamepad

// A standard pad made by SDL itself: no hardware needed.
class Gamepad : public Controls {
protected:
  int device = -1;
  SDL_Joystick *stick = nullptr;
  void SetUp() override {
    Controls::SetUp();
    ASSERT_TRUE(platform::initControllers());
    plugIn();
  }
  void TearDown() override {
    pullOut();
    platform::closeControllers();
    Controls::TearDown();
  }
  void plugIn() {
    device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                       SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    stick = SDL_JoystickOpen(device);
    ASSERT_NE(stick, nullptr);
  }
  void pullOut() {
    if (!stick) return;
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(device);
    stick = nullptr;
  }
  void button(EJoyButton b, bool down) { SDL_JoystickSetVirtualButton(stick, b, down ? 1 : 0); }
  void pushButton(EJoyButton b) {
    button(b, true);
    frame();
    button(b, false);
    frame();
  }
  void leftStick(int x, int y) {
    SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
    SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
  }
};

TEST_F(Gamepad, TheEngineReportsThePadAndItsStick) {
  EXPECT_TRUE(KInput::joyEnable(0));
  EXPECT_FALSE(KInput::joyEnable(1));
  button(K_JOY_DPAD_LEFT, true);
  leftStick(0, 30000);
  platform::rescanControllers();
  EXPECT_TRUE(KInput::joyLeft(0));
  EXPECT_TRUE(KInput::joyDown(0));
  EXPECT_FALSE(KInput::joyUp(0));
  EXPECT_EQ(KInput::joyY(0, 0), 30000);
  EXPECT_EQ(KInput::joyX(0, 1), 0);
  EXPECT_TRUE(KInput::joyButtonN(0, K_JOY_DPAD_LEFT));
  KInput::joyDisable(0);
  EXPECT_FALSE(KInput::joyLeft(0)); // disabled: read as released
  pullOut();
  EXPECT_FALSE(KInput::joyEnable(0));
}

TEST_F(Gamepad, APadPlaysMenusPullsThrowsAndPausesAndThePlayGoesOnWithoutIt) {
  toOpenMenu();
  pushButton(K_JOY_DPAD_DOWN);
  EXPECT_EQ(shell.menu.menuFocus, 0);
  pushButton(K_JOY_A);
  for (int i = 0; i < 100 && shell.screen != kPlayScreen; i++) frame();
  ASSERT_EQ(shell.screen, kPlayScreen);
  frames(60);
  // A held, the stick's deflection is the pull.
  button(K_JOY_A, true);
  frame();
  ASSERT_TRUE(game().grabbedBall);
  leftStick(0, 32767);
  frame();
  EXPECT_EQ(game().bally, kBallRest.y + kStickPull * 32767 / 32768);
  leftStick(-16384, 0); // half way left, and back up
  frame();
  EXPECT_EQ(game().ballx, kBallRest.x - kStickPull / 2);
  EXPECT_EQ(game().bally, kBallRest.y);
  leftStick(0, 20000);
  frame();
  button(K_JOY_A, false);
  leftStick(0, 0);
  frame();
  EXPECT_TRUE(game().launched);
  pushButton(K_JOY_START);
  EXPECT_TRUE(game().paused);
  pushButton(K_JOY_START);
  EXPECT_FALSE(game().paused);
  frames(80);
  ASSERT_FALSE(game().launched);
  // Pulled out mid-game: the mouse plays on.
  pullOut();
  press(kBallRest.x + 5, kBallRest.y + 5);
  frame();
  release();
  frame();
  EXPECT_TRUE(game().launched);
  // Plugged in again mid-game, it is taken up at once.
  frames(80);
  plugIn();
  pushButton(K_JOY_START);
  EXPECT_TRUE(game().paused);
  pushButton(K_JOY_B);
  EXPECT_EQ(shell.screen, kMenuScreen);
}

// The options by the pad alone: the D-pad chooses and changes, A
// activates, B goes back; its throw button given X throws, and A no more.
TEST_F(Gamepad, APadOpensTheOptionsChangesThemAndGivesItsThrowAnotherButton) {
  toOpenMenu();
  pushButton(K_JOY_DPAD_DOWN);
  pushButton(K_JOY_DPAD_UP);
  ASSERT_EQ(shell.menu.menuFocus, kFocusOptions);
  pushButton(K_JOY_A);
  ASSERT_EQ(shell.screen, kOptionsScreen);
  pushButton(K_JOY_DPAD_DOWN); // the music
  pushButton(K_JOY_DPAD_LEFT);
  EXPECT_EQ(KSound::_masterMUSICvolume, 90);
  pushButton(K_JOY_DPAD_RIGHT);
  EXPECT_EQ(KSound::_masterMUSICvolume, 100);
  for (int i = 0; i < kRowKeys - kRowMusic; i++) pushButton(K_JOY_DPAD_DOWN);
  pushButton(K_JOY_A);
  ASSERT_TRUE(shell.options.keysPage);
  pushButton(K_JOY_DPAD_UP); // from no row, up is BACK; once more the pad's back
  pushButton(K_JOY_DPAD_UP);
  pushButton(K_JOY_DPAD_UP);
  ASSERT_EQ(shell.options.focus, kRowFirstPad + kPadBack);
  pushButton(K_JOY_DPAD_UP); // the pad's throw
  pushButton(K_JOY_A);
  ASSERT_EQ(shell.options.waiting, kRowFirstPad + kPadThrow);
  pushButton(K_JOY_B); // the pad's back button: refused
  EXPECT_EQ(shell.options.refusedBy, kRowFirstPad + kPadBack);
  pushButton(K_JOY_A);
  pushButton(K_JOY_X);
  EXPECT_EQ(shell.controls.keys().pad[kPadThrow], K_JOY_X);
  pushButton(K_JOY_B); // to the options' first page, and to the menu
  EXPECT_FALSE(shell.options.keysPage);
  pushButton(K_JOY_B);
  for (int i = 0; i < 100 && shell.screen != kMenuScreen; i++) frame();
  ASSERT_EQ(shell.screen, kMenuScreen);
  shell.screen = kPlayScreen;
  frames(60);
  pushButton(K_JOY_A);
  EXPECT_FALSE(game().launched);
  pushButton(K_JOY_X);
  EXPECT_TRUE(game().launched);
  shell.controls.setKeys(KeyMap());
}
} // namespace
