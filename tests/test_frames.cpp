// The whole game drawn by the real engine (SDL's offscreen driver, real
// OpenGL) and compared pixel for pixel with frames kept in tests/frames/:
// every screen at window scale 1, and the same frames at scale 2, where
// each game pixel must show as a 2x2 block.
//
// ZUNK_UPDATE_FRAMES=1 writes the frames instead of comparing them; do that
// only for a change that means to alter what the player sees, and look at
// every picture it writes.

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
#include "QuadBatch.h"
#include "assets.h"
#include "livegame.h"
#include "layout.h"
#include "menu.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"
#include "platform/SoundChannel.h"
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

class Frames : public ::testing::TestWithParam<int> {
protected:
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
    initzunk();
    ASSERT_NE(gamewindow, nullptr);
    // From here on time moves by exactly one frame time a frame.
    clock = platform::microseconds();
    platform::setScriptedClock(&clock);
  }
  void TearDown() override {
    freeZunk();
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
    ASSERT_TRUE(zunkFrame(false));
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
    pointAt(buttons[button].destX + 5, buttons[button].destY + 5);
    input.leftButton = true;
    framesUntil([&] { return gameState == screen; }, "the button's screen");
    input.leftButton = false;
    frame();
  }

  // The next frame shown, checked against the frame kept under `name`: at
  // scale 1 pixel for pixel, at a larger scale each game pixel as a block.
  void expectShown(const char *name) {
    frame();
    ASSERT_EQ(gShownWidth, kGameWidth * GetParam());
    ASSERT_EQ(gShownHeight, kGameHeight * GetParam());
    const std::string path = std::string(ZUNK_FRAMES_DIR) + "/" + name + ".png";
    if (std::getenv("ZUNK_UPDATE_FRAMES") && GetParam() == 1) {
      ASSERT_TRUE(platform::encodePicture(path.c_str(), platform::PictureFormat::PNG, gShownWidth, gShownHeight,
                                          gShown.data()));
      return;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int w = 0, h = 0;
    std::vector<unsigned char> kept; // A, R, G, B
    ASSERT_TRUE(platform::decodePicture(file.data(), file.size(), "PNG", w, h, kept)) << path;
    ASSERT_EQ(w, kGameWidth);
    ASSERT_EQ(h, kGameHeight);
    const int scale = GetParam();
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
      platform::encodePicture(saved.c_str(), platform::PictureFormat::PNG, gShownWidth, gShownHeight, gShown.data());
      ADD_FAILURE() << name << " at scale " << scale << ": " << differing << " pixels differ, the first at (" << firstX
                    << ", " << firstY << "); the frame shown is in " << saved;
    }
  }
};

TEST_P(Frames, EveryScreenShowsAsItAlwaysHas) {
  pointAt(200, 300);
  frames(150); // the title, its credit line fading in
  expectShown("title");
  framesUntil([] { return gameState == kMenuScreen && !lockMenu; }, "the menu, open");
  frames(20);
  expectShown("menu");

  choose(2, kHelpScreen);
  frames(30);
  expectShown("help");
  choose(4, kMenuScreen);
  framesUntil([] { return !lockMenu; }, "the menu, open again");

  choose(1, kScoresScreen);
  frames(30);
  expectShown("scores");
  choose(4, kMenuScreen);
  framesUntil([] { return !lockMenu; }, "the menu, open again");

  choose(0, kPlayScreen);
  frames(40);
  expectShown("play");
  // A throw from the ball at rest, pulled down and to the left.
  using layout::kBallRest;
  pointAt(kBallRest.x + 5, kBallRest.y + 10);
  input.leftButton = true;
  frame();
  ASSERT_TRUE(liveGame().grabbedBall);
  pointAt(kBallRest.x - 15, kBallRest.y + 40);
  frames(3);
  input.leftButton = false;
  frames(12);
  ASSERT_TRUE(liveGame().launched);
  expectShown("throw");
  // Paused in flight: the same frame, frozen under the panel.
  tap(K_VK_P);
  frames(5);
  expectShown("paused");
  tap(K_VK_P);
  ASSERT_FALSE(liveGame().paused);

  // A wall full to the top: the next line cannot drop.
  for (auto &row : liveGame().brickWall)
    for (int col = 0; col < 9; col++) row[col] = sBrick{col % 5, 0, 0, 0};
  framesUntil([] { return liveGame().gameover && liveGame().gameOverProgress >= 1; }, "game over");
  frames(10);
  expectShown("gameover");

  // Back on the menu (last, so that the frames above keep their random
  // draws), the keyboard's focus moved twice by Tab: on HIGH SCORES.
  pointAt(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  input.leftButton = true;
  framesUntil([] { return gameState == kMenuScreen; }, "the menu");
  input.leftButton = false;
  framesUntil([] { return !lockMenu; }, "the menu, open again");
  tap(K_VK_TAB);
  tap(K_VK_TAB);
  expectShown("focus");

  // A game left by the menu zone: the next PLAY offers to continue it.
  choose(0, kPlayScreen);
  frames(100);
  pointAt(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
  input.leftButton = true;
  framesUntil([] { return gameState == kMenuScreen; }, "the menu");
  input.leftButton = false;
  framesUntil([] { return !lockMenu; }, "the menu, open again");
  choose(0, kResumeScreen);
  expectShown("resume");
  tap(K_VK_ESCAPE);
  framesUntil([] { return !lockMenu; }, "the menu, open again");

  // A kept game watched, under the REPLAY mark, its game at frame 600.
  std::string error;
  ASSERT_TRUE(watchReplay(ZUNK_REPLAYS_DIR "/ended-27.zunkreplay", kMenuScreen, error)) << error;
  frames(599);
  expectShown("replay");
}

// A frame's blits are drawn in a handful of runs, not one draw call each:
// the menu's background, its wobbling buttons and the switches come from one
// sheet, the cursor from another. The clear under the background is never
// done.
TEST_P(Frames, TheMenuIsDrawnInAHandfulOfCalls) {
  if (GetParam() != 1) GTEST_SKIP() << "the same at every scale";
  pointAt(200, 300);
  framesUntil([] { return gameState == kMenuScreen && !lockMenu; }, "the menu, open");
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

INSTANTIATE_TEST_SUITE_P(Scales, Frames, ::testing::Values(1, 2), [](const auto &info) {
  return "x" + std::to_string(info.param);
});

} // namespace
