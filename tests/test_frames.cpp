// The whole game drawn by the real engine (SDL's offscreen driver, real
// OpenGL) and compared pixel for pixel with frames kept in tests/frames/:
// every screen at window scale 1, and the same frames at scale 2, where
// each game pixel must show as a 2x2 block. Then the game played through
// SDL's own events at whole and other scales: the pointer mapped through
// the window's placement, clicks and taps too short for a frame, touch.
//
// ZUNK_UPDATE_FRAMES=1 writes the frames instead of comparing them; do that
// only for a change that means to alter what the player sees, and look at
// every picture it writes.

#include <SDL.h>
#include <gtest/gtest.h>
#include <GL/gl.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KInput.h"
#include "KMiscTools.h"
#include "KSound.h"
#include "QuadBatch.h"
#include "assets.h"
#include "keepnotice.h"
#include "livegame.h"
#include "layout.h"
#include "menu.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"
#include "platform/SoundChannel.h"
#include "platform/WindowState.h"
#include "switches.h"
#include "play.h"
#include "zunk.h"

namespace {

const int kGameWidth = 320, kGameHeight = 480;
// Plenty of frames for any screen to come; a screen that has not come by
// then never will.
const int kFrameLimit = 3000;

// What the window showed at the last swap, top row first, R, G, B, A.
std::vector<unsigned char> gShown;
int gShownWidth = 0, gShownHeight = 0;

void keepShown(int width, int height) {
  gShown.resize(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, gShown.data());
  // OpenGL gives the bottom row first.
  std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
  for (int y = 0; y < height / 2; y++) {
    unsigned char *a = &gShown[static_cast<size_t>(y) * width * 4];
    unsigned char *b = &gShown[static_cast<size_t>(height - 1 - y) * width * 4];
    std::memcpy(row.data(), a, row.size());
    std::memcpy(a, b, row.size());
    std::memcpy(b, row.data(), row.size());
  }
  for (size_t i = 3; i < gShown.size(); i += 4) gShown[i] = 255;
  gShownWidth = width;
  gShownHeight = height;
}

// The game in a window at the scale under test.
class Frames : public ::testing::TestWithParam<double> {
protected:
  Shell shell;
  std::string folder;
  platform::ScriptedInput input;
  uint64_t clock = 0;

  void SetUp() override {
    if (!platform::SoundChannel::outputStarted())
      platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
    platform::setMessageHook([](const char *, const char *) {});
    char tmpl[] = "/tmp/zunkframesXXXXXX";
    folder = mkdtemp(tmpl);
    // The game reads its data through links and writes its scores beside
    // them, never into the source tree.
    mkdir((folder + "/data").c_str(), 0755);
    DIR *dir = opendir(ZUNK_DATA_DIR);
    ASSERT_NE(dir, nullptr);
    while (dirent *e = readdir(dir)) {
      if (e->d_name[0] == '.') continue;
      const std::string from = std::string(ZUNK_DATA_DIR) + "/" + e->d_name, to = folder + "/data/" + e->d_name;
      ASSERT_EQ(symlink(from.c_str(), to.c_str()), 0);
    }
    closedir(dir);
    setenv("XDG_DATA_HOME", (folder + "/user").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    // The kept frames are in English, whatever this machine's language.
    setenv("LC_ALL", "C", 1);
    KMiscTools::initMiscTools();
    KMiscTools::setFileSource(true);
    std::snprintf(KMiscTools::currentAppPath, 260, "%s", folder.c_str());
    std::snprintf(KMiscTools::_resourcePath, 260, "%s", "data");
    platform::setScriptedInput(&input);
    platform::setPresentHook(keepShown);
    // The window opens at the scale under test: SDL's offscreen driver
    // cannot resize its surface later.
    ASSERT_TRUE(platform::setWindowScale(GetParam()));
    std::srand(1);
    initzunk(shell);
    ASSERT_NE(shell.assets.gamewindow, nullptr);
    // From here on time moves by exactly one frame time a frame.
    clock = platform::microseconds();
    platform::setScriptedClock(&clock);
  }
  void TearDown() override {
    freeZunk(shell);
    platform::setWindowScale(0);
    platform::setPresentHook(nullptr);
    platform::setScriptedClock(nullptr);
    platform::setScriptedInput(nullptr);
    KMiscTools::currentFilePath[0] = 0;
    KMiscTools::initMiscTools();
    std::string cmd = "rm -rf '" + folder + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }

  // One frame of the game loop, a frame time later than the last.
  void frame() {
    clock += 12500;
    ASSERT_TRUE(zunkFrame(shell, false));
  }
  void frames(int n) {
    for (int i = 0; i < n; i++) frame();
  }
  template <class Done> void framesUntil(Done done, const char *what) {
    for (int i = 0; i < kFrameLimit && !done(); i++) frame();
    ASSERT_TRUE(done()) << what;
  }
  void pointAt(int x, int y) {
    input.mouseX = x;
    input.mouseY = y;
  }
  // A key down for one frame, then up for one.
  void tap(EKeyboardLayout key) {
    input.keys[KInput::KeyboardLayout[key].code] = true;
    frame();
    input.keys[KInput::KeyboardLayout[key].code] = false;
    frame();
  }
  // Holds the button down on a menu button until the screen changes, then
  // lets go for a frame: the buttons settle (a press on the very first
  // frame of the menu could still find the last button chosen grown).
  void choose(int button, int screen) {
    pointAt(shell.menu.buttons[button].destX + 5, shell.menu.buttons[button].destY + 5);
    input.leftButton = true;
    framesUntil([&] { return shell.screen == screen; }, "the button's screen");
    input.leftButton = false;
    frame();
  }

  // The next frame shown, checked against the frame kept under `name`: at
  // scale 1 pixel for pixel, at a larger scale each game pixel as a block.
  void expectShown(const char *name) {
    frame();
    const int scale = static_cast<int>(GetParam());
    ASSERT_EQ(gShownWidth, kGameWidth * scale);
    ASSERT_EQ(gShownHeight, kGameHeight * scale);
    const std::string path = std::string(ZUNK_FRAMES_DIR) + "/" + name + ".png";
    if (std::getenv("ZUNK_UPDATE_FRAMES") && GetParam() == 1) {
      ASSERT_TRUE(platform::encodePicture(path.c_str(), platform::PictureFormat::PNG, gShownWidth, gShownHeight,
                                          gShown.data(), platform::PixelOrder::TopDownRGBA));
      return;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int w = 0, h = 0;
    std::vector<unsigned char> kept; // A, R, G, B
    ASSERT_TRUE(platform::decodePicture(file.data(), file.size(), "PNG", w, h, kept)) << path;
    ASSERT_EQ(w, kGameWidth);
    ASSERT_EQ(h, kGameHeight);
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < gShownHeight; y++)
      for (int x = 0; x < gShownWidth; x++) {
        const unsigned char *s = &gShown[(static_cast<size_t>(y) * gShownWidth + x) * 4];
        const unsigned char *k = &kept[(static_cast<size_t>(y / scale) * w + x / scale) * 4];
        if (s[0] != k[1] || s[1] != k[2] || s[2] != k[3]) {
          if (differing++ == 0) firstX = x, firstY = y;
        }
      }
    if (differing) {
      const std::string saved = folder + "/../zunk-frame-" + name + "-x" + std::to_string(scale) + ".png";
      platform::encodePicture(saved.c_str(), platform::PictureFormat::PNG, gShownWidth, gShownHeight, gShown.data(), platform::PixelOrder::TopDownRGBA);
      ADD_FAILURE() << name << " at scale " << scale << ": " << differing << " pixels differ, the first at (" << firstX
                    << ", " << firstY << "); the frame shown is in " << saved;
    }
  }
};

TEST_P(Frames, EveryScreenShowsAsItAlwaysHas) {
  pointAt(200, 300);
  frames(150); // the title, its credit line fading in
  expectShown("title");
  framesUntil([this] { return shell.screen == kMenuScreen && !shell.menu.lockMenu; }, "the menu, open");
  frames(20);
  expectShown("menu");

  choose(2, kHelpScreen);
  frames(30);
  expectShown("help");
  choose(4, kMenuScreen);
  framesUntil([this] { return !shell.menu.lockMenu; }, "the menu, open again");

  choose(1, kScoresScreen);
  frames(30);
  expectShown("scores");
  choose(4, kMenuScreen);
  framesUntil([this] { return !shell.menu.lockMenu; }, "the menu, open again");

  choose(0, kPlayScreen);
  frames(40);
  expectShown("play");
  // A throw from the ball at rest, pulled down and to the left.
  using layout::kBallRest;
  pointAt(kBallRest.x + 5, kBallRest.y + 10);
  input.leftButton = true;
  frame();
  ASSERT_TRUE(shell.live.game().grabbedBall);
  pointAt(kBallRest.x - 15, kBallRest.y + 40);
  frames(3);
  input.leftButton = false;
  frames(12);
  ASSERT_TRUE(shell.live.game().launched);
  expectShown("throw");
  // Paused in flight: the same frame, frozen under the panel.
  tap(K_VK_P);
  frames(5);
  expectShown("paused");
  tap(K_VK_P);
  ASSERT_FALSE(shell.live.game().paused);

  // A wall full to the top: the next line cannot drop.
  for (auto &row : shell.live.game().brickWall)
    for (int col = 0; col < 9; col++) row[col] = sBrick{col % 5, 0, 0, 0};
  framesUntil([this] { return shell.live.game().gameover && shell.live.game().gameOverProgress >= 1; }, "game over");
  frames(10);
  expectShown("gameover");

  // Back on the menu (last, so that the frames above keep their random
  // draws), the keyboard's focus moved twice by Tab: on HIGH SCORES.
  pointAt(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  input.leftButton = true;
  framesUntil([this] { return shell.screen == kMenuScreen; }, "the menu");
  input.leftButton = false;
  framesUntil([this] { return !shell.menu.lockMenu; }, "the menu, open again");
  tap(K_VK_TAB);
  tap(K_VK_TAB);
  expectShown("focus");

  // A game left by the menu zone: the next PLAY offers to continue it.
  choose(0, kPlayScreen);
  frames(100);
  pointAt(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  input.leftButton = true;
  framesUntil([this] { return shell.screen == kMenuScreen; }, "the menu");
  input.leftButton = false;
  framesUntil([this] { return !shell.menu.lockMenu; }, "the menu, open again");
  choose(0, kResumeScreen);
  expectShown("resume");
  tap(K_VK_ESCAPE);
  framesUntil([this] { return !shell.menu.lockMenu; }, "the menu, open again");

  // A kept game watched, under the REPLAY mark, its game at frame 600.
  std::string error;
  ASSERT_TRUE(watchReplay(shell, ZUNK_REPLAYS_DIR "/ended-27.zunkreplay", kMenuScreen, error)) << error;
  frames(599);
  expectShown("replay");

  // The notice of what could not be kept, over the play: the high scores,
  // the disk full.
  showKeepNotice(shell.notice, Unkept::kScores, Cause::kDiskFull);
  frame();
  expectShown("notkept");
}

// The options and their keys' page, then the game in calmer motion and in
// stronger contrast: the menu, the play with a line sliding in and a cloud,
// GAME OVER coming in.
TEST_P(Frames, TheOptionsAndTheLooksShowAsKept) {
  pointAt(200, 300);
  framesUntil([this] { return shell.screen == kMenuScreen && !shell.menu.lockMenu; }, "the menu, open");
  pointAt(layout::kOptionsButtonAt.x + 10, layout::kOptionsButtonAt.y + 10);
  input.leftButton = true;
  framesUntil([this] { return shell.screen == kOptionsScreen; }, "the options");
  input.leftButton = false;
  frames(30);
  tap(K_VK_DOWN);
  tap(K_VK_DOWN);
  // The window's size row shows the scale under test: at whole sizes it
  // shows the same words at every scale. A frame shows what the frame
  // before it stepped, hence one frame for the values to reach the page.
  shell.switches.playerSettings.wholeScaling = true;
  pointAt(300, 300);
  frame();
  expectShown("options");
  shell.switches.playerSettings.wholeScaling = false;
  // German chosen (as the system, English, German): the next frame's words
  // are the German sheet's.
  const auto words = [&] {
    std::vector<unsigned char> rows;
    const int scale = static_cast<int>(GetParam());
    // The title's words.
    for (int y = layout::kOptionsTitleAt.y * scale; y < (layout::kOptionsTitleAt.y + 32) * scale; y++)
      rows.insert(rows.end(), &gShown[static_cast<size_t>(y) * gShownWidth * 4],
                  &gShown[static_cast<size_t>(y + 1) * gShownWidth * 4]);
    return rows;
  };
  const std::vector<unsigned char> english = words();
  const int languageY = layout::kOptionRowsY + layout::kOptionRowStep * kRowLanguage + 10;
  for (int i = 0; i < 2; i++) {
    pointAt(layout::kOptionValueRight - 4, languageY);
    input.leftButton = true;
    frame();
    input.leftButton = false;
    frame();
  }
  EXPECT_EQ(shell.sheetShown, "zunk-de.png");
  EXPECT_NE(words(), english);
  for (int i = 0; i < 2; i++) {
    pointAt(layout::kOptionValueAt + 4, languageY);
    input.leftButton = true;
    frame();
    input.leftButton = false;
    frame();
  }
  EXPECT_EQ(shell.sheetShown, "zunk.png");
  pointAt(300, 300);
  frame();
  EXPECT_EQ(words(), english);
  pointAt(layout::kKeysButtonAt.x + 10, layout::kKeysButtonAt.y + 10);
  input.leftButton = true;
  frame();
  input.leftButton = false;
  frame();
  ASSERT_TRUE(shell.options.keysPage);
  tap(K_VK_DOWN);
  tap(K_VK_RETURN); // the first row waits for its key
  ASSERT_EQ(shell.options.waiting, 0);
  tap(K_VK_P); // the pause's: refused, and said
  expectShown("options-keys");
  tap(K_VK_ESCAPE);
  tap(K_VK_ESCAPE);
  framesUntil([this] { return shell.screen == kMenuScreen && !shell.menu.lockMenu; }, "the menu, again");

  for (const bool calm : {true, false}) {
    const std::string look = calm ? "calm" : "contrast";
    (calm ? shell.switches.playerSettings.calm : shell.switches.playerSettings.contrast) = Choice::kOn;
    (calm ? shell.switches.playerSettings.contrast : shell.switches.playerSettings.calm) = Choice::kOff;
    frames(20);
    expectShown(("menu-" + look).c_str());
    choose(0, kPlayScreen);
    Play &game = shell.live.game();
    // A wall half full, a bonus on it, a cloud puffing, a line sliding in.
    for (int row = 4; row < 8; row++)
      for (int col = 0; col < 9; col++) game.brickWall[row][col] = sBrick{(row + col) % 6, 0, 0, 0};
    game.brickWall[5][4].bonus = kBomb;
    game.brickWall[5][4].bonusTime = 1000;
    for (int col = 0; col < 9; col++) game.brickWall[0][col] = sBrick{col % 5, -20, 0, 0};
    game.cloudTable[0] = sCloud{true, 120, 150, 3, 1};
    frame();
    expectShown(("play-" + look).c_str());
    for (auto &row : game.brickWall)
      for (int col = 0; col < 9; col++) row[col] = sBrick{col % 5, 0, 0, 0};
    framesUntil([&] { return game.gameover && game.gameOverProgress >= 0.5f; }, "game over coming in");
    expectShown(("gameover-" + look).c_str());
    pointAt(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
    framesUntil([&] { return game.gameOverProgress >= 1; }, "game over in place");
    input.leftButton = true;
    framesUntil([this] { return shell.screen == kMenuScreen; }, "the menu");
    input.leftButton = false;
    framesUntil([this] { return !shell.menu.lockMenu; }, "the menu, open again");
  }
}

// A frame's blits are drawn in a handful of runs, not one draw call each:
// the menu's background, its wobbling buttons and the switches come from one
// sheet, the cursor from another. The clear under the background is never
// done.
TEST_P(Frames, TheMenuIsDrawnInAHandfulOfCalls) {
  if (GetParam() != 1) GTEST_SKIP() << "the same at every scale";
  pointAt(200, 300);
  framesUntil([this] { return shell.screen == kMenuScreen && !shell.menu.lockMenu; }, "the menu, open");
  frames(5);
  batch::flush();
  const batch::Counts before = batch::counts();
  frame();
  const batch::Counts after = batch::counts();
  const uint64_t calls = after.drawCalls - before.drawCalls, quads = after.quads - before.quads;
  std::printf("the menu frame: %llu quads in %llu draw calls\n", static_cast<unsigned long long>(quads),
              static_cast<unsigned long long>(calls));
  EXPECT_GE(quads, 6u) << "the background, four buttons, the cursor";
  EXPECT_LE(calls, 4u);
  EXPECT_EQ(after.clears, before.clears);
  EXPECT_EQ(after.clearsSkipped, before.clearsSkipped + 1);
  // In play: the bricks, the sling's links and the score's digits join the
  // runs of the sheet; the aiming line and a blit in another alpha mode end
  // a run.
  choose(0, kPlayScreen);
  frames(5);
  batch::flush();
  const batch::Counts inPlay = batch::counts();
  frame();
  const uint64_t playCalls = batch::counts().drawCalls - inPlay.drawCalls;
  const uint64_t playQuads = batch::counts().quads - inPlay.quads;
  std::printf("the play frame: %llu quads in %llu draw calls\n", static_cast<unsigned long long>(playQuads),
              static_cast<unsigned long long>(playCalls));
  EXPECT_LE(playCalls * 2, playQuads);
}

INSTANTIATE_TEST_SUITE_P(Scales, Frames, ::testing::Values(1.0, 2.0), [](const auto &info) {
  return "x" + std::to_string(static_cast<int>(info.param));
});

// ------------------------------------------------------------ pointing

// Presses as SDL's events bring them, and fingers placed where a game pixel
// shows at the window's scale; the mouse's place is scripted (SDL's
// offscreen driver has no pointer to move; the real one is moved through
// an X server by endtoend.sh).
class Pointing : public Frames {
protected:
  SDL_Event event(Uint32 type) {
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    e.common.timestamp = SDL_GetTicks();
    return e;
  }
  void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
  // The mouse over game pixel (x, y), moved: it points again.
  void mouseTo(int x, int y) {
    pointAt(x, y);
    SDL_Event e = event(SDL_MOUSEMOTION);
    e.motion.windowID = SDL_GetWindowID(platform::sdlWindow());
    push(e);
    frame();
    ASSERT_EQ(KInput::getMouseX(), x);
    ASSERT_EQ(KInput::getMouseY(), y);
  }
  // A press and its release in one batch, as a touchpad's tap sends them:
  // the button is up again before the game looks.
  void click() {
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      SDL_Event e = event(type);
      e.button.windowID = SDL_GetWindowID(platform::sdlWindow());
      e.button.button = SDL_BUTTON_LEFT;
      e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = 1;
      push(e);
    }
  }
  void tapKey(SDL_Scancode code) {
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event e = event(type);
      e.key.windowID = SDL_GetWindowID(platform::sdlWindow());
      e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.key.keysym.scancode = code;
      push(e);
    }
  }
  // Where game pixel (x, y) shows, from 0 to 1 across the window.
  void across(int x, int y, float &fx, float &fy) {
    const platform::Placement &p = platform::lastPlacement();
    int wx, wy;
    platform::windowPointOf(p, x, y, wx, wy);
    fx = (wx + 0.5f) / p.pointsWidth;
    fy = (wy + 0.5f) / p.pointsHeight;
  }
  // A finger as SDL's touch events bring it.
  void finger(Uint32 type, SDL_FingerID id, int x, int y) {
    SDL_Event e = event(type);
    e.tfinger.touchId = 1;
    e.tfinger.fingerId = id;
    e.tfinger.pressure = 1;
    e.tfinger.windowID = SDL_GetWindowID(platform::sdlWindow());
    across(x, y, e.tfinger.x, e.tfinger.y);
    push(e);
  }
  // The same finger through the platform's scripted input.
  void scriptedFinger(platform::Event::Kind kind, int64_t id, int x, int y) {
    platform::Event e;
    e.kind = kind;
    e.finger = id;
    across(x, y, e.touchX, e.touchY);
    platform::feedInput(e);
  }
  void toOpenMenu() {
    framesUntil([this] { return shell.screen == kMenuScreen && !shell.menu.lockMenu; }, "the menu, open");
  }
  void toPlay() {
    toOpenMenu();
    mouseTo(shell.menu.buttons[0].destX + 10, shell.menu.buttons[0].destY + 10);
    click();
    framesUntil([this] { return shell.screen == kPlayScreen; }, "PLAY chosen by one click");
    frames(40);
  }
  void toRest() {
    framesUntil([this] { return !shell.live.game().launched && !shell.live.game().grabbedBall; }, "the ball back at rest");
    frames(20);
  }
};

TEST_P(Pointing, AClickInOneBatchChoosesAButtonAndThrowsFromRest) {
  toPlay();
  using layout::kBallRest;
  mouseTo(kBallRest.x + 5, kBallRest.y + 10);
  click();
  frame();
  EXPECT_TRUE(shell.live.game().grabbedBall); // down for the frame that looked
  framesUntil([this] { return shell.live.game().launched; }, "a throw from rest");
  toRest();
  // The menu zone, clicked once: back to the menu.
  mouseTo(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  click();
  framesUntil([this] { return shell.screen == kMenuScreen; }, "the menu, by one click on MENU");
}

TEST_P(Pointing, KeysTappedInOneBatchCount) {
  toOpenMenu();
  mouseTo(20, 20); // off the buttons
  tapKey(SDL_SCANCODE_RETURN);
  framesUntil([this] { return shell.screen == kPlayScreen; }, "PLAY chosen by one tap of Return");
  frames(40);
  tapKey(SDL_SCANCODE_SPACE);
  framesUntil([this] { return shell.live.game().launched; }, "a throw from rest by one tap of Space");
  toRest();
  tapKey(SDL_SCANCODE_P);
  framesUntil([this] { return shell.live.game().paused; }, "paused by one tap of P");
  frames(5);
  tapKey(SDL_SCANCODE_P);
  framesUntil([this] { return !shell.live.game().paused; }, "played on by one tap of P");
  const bool music = shell.switches.playerSettings.music;
  tapKey(SDL_SCANCODE_M);
  framesUntil([this, music] { return shell.switches.playerSettings.music != music; }, "the music switched by one tap of M");
}

TEST_P(Pointing, AFingerPlaysAsTheMouseAndASecondFingerIsIgnored) {
  toPlay();
  using layout::kBallRest;
  // SDL's own touch events: the ball grabbed, pulled and let go, while a
  // second finger rests on the menu zone.
  finger(SDL_FINGERDOWN, 11, kBallRest.x + 5, kBallRest.y + 10);
  finger(SDL_FINGERDOWN, 12, layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  frame();
  ASSERT_TRUE(shell.live.game().grabbedBall);
  EXPECT_EQ(KInput::getMouseX(), kBallRest.x + 5);
  finger(SDL_FINGERMOTION, 11, kBallRest.x - 15, kBallRest.y + 40);
  finger(SDL_FINGERMOTION, 12, 10, 10);
  frames(3);
  EXPECT_EQ(KInput::getMouseX(), kBallRest.x - 15);
  EXPECT_EQ(KInput::getMouseY(), kBallRest.y + 40);
  finger(SDL_FINGERUP, 11, kBallRest.x - 15, kBallRest.y + 40);
  framesUntil([this] { return shell.live.game().launched; }, "a throw by touch");
  const float forceX = shell.live.game().forceX, forceY = shell.live.game().forceY;
  finger(SDL_FINGERUP, 12, 10, 10);
  EXPECT_EQ(shell.screen, kPlayScreen); // the second finger left nothing
  toRest();
  // The same pull through the platform's scripted input: the same throw.
  scriptedFinger(platform::Event::FingerDown, 5, kBallRest.x + 5, kBallRest.y + 10);
  frame();
  ASSERT_TRUE(shell.live.game().grabbedBall);
  scriptedFinger(platform::Event::FingerMoved, 5, kBallRest.x - 15, kBallRest.y + 40);
  frames(3);
  scriptedFinger(platform::Event::FingerUp, 5, kBallRest.x - 15, kBallRest.y + 40);
  framesUntil([this] { return shell.live.game().launched; }, "a throw by scripted touch");
  EXPECT_EQ(shell.live.game().forceX, forceX);
  EXPECT_EQ(shell.live.game().forceY, forceY);
  toRest();
  // A tap (down and up before the game looks) on the menu zone.
  finger(SDL_FINGERDOWN, 13, layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  finger(SDL_FINGERUP, 13, layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  framesUntil([this] { return shell.screen == kMenuScreen; }, "the menu, by one tap on MENU");
  // The mouse moved: it points again.
  mouseTo(30, 40);
}

// A finger on the options: a tap on OPTIONS opens them, a tap on the music's
// slider sets its level in the mixer and the settings, a tap on calmer motion
// turns it on, a tap on BACK returns to the menu; a finger sliding along the
// effects' slider sets the level where it lets go.
TEST_P(Pointing, AFingerChoosesOnTheOptions) {
  toOpenMenu();
  finger(SDL_FINGERDOWN, 21, layout::kOptionsButtonAt.x + 10, layout::kOptionsButtonAt.y + 10);
  finger(SDL_FINGERUP, 21, layout::kOptionsButtonAt.x + 10, layout::kOptionsButtonAt.y + 10);
  framesUntil([this] { return shell.screen == kOptionsScreen; }, "the options, by one tap on OPTIONS");
  frames(30);
  const Settings &kept = shell.switches.playerSettings;
  // Where a finger sets a slider to `level`.
  const auto stepX = [](int level) {
    return layout::kOptionValueAt + (layout::kSliderStepWidth + layout::kSliderStepGap) * level + 5;
  };
  const int musicY = layout::kOptionRowsY + 10, effectsY = musicY + layout::kOptionRowStep;
  finger(SDL_FINGERDOWN, 22, stepX(3), musicY);
  finger(SDL_FINGERUP, 22, stepX(3), musicY);
  framesUntil([&] { return kept.musicLevel == 3; }, "the music at 3, by one tap");
  frames(3); // the finger up, seen
  EXPECT_EQ(KSound::_masterMUSICvolume, 30);
  EXPECT_TRUE(kept.music);
  finger(SDL_FINGERDOWN, 23, stepX(9), effectsY);
  frame();
  EXPECT_EQ(kept.soundsLevel, 9);
  finger(SDL_FINGERMOTION, 23, stepX(6), effectsY);
  frame();
  EXPECT_EQ(kept.soundsLevel, 6);
  EXPECT_EQ(KSound::_masterSFXvolume, 60);
  // Off the slider's end and up off its row: still the slider's.
  finger(SDL_FINGERMOTION, 23, 10, effectsY + 40);
  frame();
  EXPECT_FALSE(kept.sounds);
  EXPECT_EQ(KSound::_masterSFXvolume, 0);
  EXPECT_EQ(kept.soundsLevel, 6) << "off keeps the level S brings back";
  finger(SDL_FINGERMOTION, 23, stepX(2), effectsY);
  frame();
  finger(SDL_FINGERUP, 23, stepX(2), effectsY);
  frames(3);
  EXPECT_TRUE(kept.sounds);
  EXPECT_EQ(kept.soundsLevel, 2);
  EXPECT_EQ(KSound::_masterMUSICvolume, 30) << "the music's slider did not move";
  const Choice calm = kept.calm;
  const int calmY = layout::kOptionRowsY + layout::kOptionRowStep * kRowCalm + 10;
  finger(SDL_FINGERDOWN, 24, layout::kOptionValueAt + 20, calmY);
  finger(SDL_FINGERUP, 24, layout::kOptionValueAt + 20, calmY);
  framesUntil([&] { return kept.calm != calm; }, "calmer motion chosen by one tap");
  EXPECT_TRUE(lookOf(shell.switches).calm);
  const int backX = shell.menu.buttons[kChoseBack].destX + 20, backY = shell.menu.buttons[kChoseBack].destY + 10;
  finger(SDL_FINGERDOWN, 25, backX, backY);
  finger(SDL_FINGERUP, 25, backX, backY);
  framesUntil([this] { return shell.screen == kMenuScreen; }, "the menu, by one tap on BACK");
}

INSTANTIATE_TEST_SUITE_P(Scales, Pointing, ::testing::Values(1.0, 5.0 / 3), [](const auto &info) {
  return info.param == 1.0 ? std::string("x1") : std::string("x1_667");
});

} // namespace
