// Where the game area lies in a window of any size, which game pixel a
// pointer shows, and what the input remembers between events and reads:
// presses shorter than a frame, and the first finger as the mouse.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "KInput.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/Placement.h"

namespace {

using platform::Placement;

const int kW = 320, kH = 480;

std::string describe(const Placement &p) {
  return std::to_string(p.width) + "x" + std::to_string(p.height) + ": " + std::to_string(p.shownWidth) + "x" +
         std::to_string(p.shownHeight) + " at " + std::to_string(p.x) + "," + std::to_string(p.y);
}

// The game pixel under the middle of window pixel (x, y).
std::pair<int, int> under(const Placement &p, int x, int y) {
  int gx, gy;
  platform::gamePixelAt(p, x + 0.5, y + 0.5, gx, gy);
  return {gx, gy};
}

TEST(Placement, TheGameFillsWindowsAndScreensAsFarAsItsShapeAllows) {
  const struct {
    int width, height;
    bool whole;
    int shownWidth, shownHeight, x, y, scale;
  } cases[] = {
      {320, 480, false, 320, 480, 0, 0, 1},       // the game's own size
      {640, 960, false, 640, 960, 0, 0, 2},       // a whole factor is shown as one
      {700, 960, false, 640, 960, 30, 0, 2},      // a frame dragged wider
      {400, 600, false, 400, 600, 0, 0, 0},       // Ctrl+Plus once: 1.25
      {480, 720, false, 480, 720, 0, 0, 0},       // 1.5
      {533, 800, false, 533, 800, 0, 0, 0},       // 1.667, rounded to whole pixels
      {1280, 800, false, 533, 800, 373, 0, 0},    // full screen fills the height
      {1280, 800, true, 320, 480, 480, 160, 1},   // at whole scaling, as before
      {1366, 768, false, 512, 768, 427, 0, 0},    // 1.6
      {1920, 1080, false, 720, 1080, 600, 0, 0},  // 2.25
      {1920, 1080, true, 640, 960, 640, 60, 2},   // whole: 2
      {3840, 2160, false, 1440, 2160, 1200, 0, 0}, // 4.5
      {3840, 2160, true, 1280, 1920, 1280, 120, 4},
      {2160, 3840, false, 2160, 3240, 0, 300, 0}, // a portrait screen: the width limits
      {300, 400, false, 320, 480, -10, -40, 1},   // smaller than the game: never below its size
  };
  for (const auto &c : cases) {
    const Placement p = platform::placeGameIn(c.width, c.height, kW, kH, c.whole);
    const std::string at = describe(p);
    EXPECT_EQ(p.shownWidth, c.shownWidth) << at;
    EXPECT_EQ(p.shownHeight, c.shownHeight) << at;
    EXPECT_EQ(p.x, c.x) << at;
    EXPECT_EQ(p.y, c.y) << at;
    EXPECT_EQ(p.scale, c.scale) << at;
    EXPECT_LE(p.shownWidth, std::max(c.width, kW)) << at;
    EXPECT_LE(p.shownHeight, std::max(c.height, kH)) << at;
    // The game is drawn at its own size at the top of the buffer.
    EXPECT_EQ(p.drawBottom, c.height - kH) << at;
  }
}

TEST(Placement, ThePointerAtTheGameAreasCornersIsAtTheGamesCorners) {
  for (int width : {320, 400, 480, 533, 560, 640, 700, 1280, 1366, 1920, 3840})
    for (int height : {480, 600, 720, 768, 800, 840, 960, 1080, 2160})
      for (bool whole : {false, true}) {
        const Placement p = platform::placeGameIn(width, height, kW, kH, whole);
        const std::string at = describe(p);
        const int left = p.x, top = p.y, right = p.x + p.shownWidth - 1, bottom = p.y + p.shownHeight - 1;
        EXPECT_EQ(under(p, left, top), std::make_pair(0, 0)) << at;
        EXPECT_EQ(under(p, right, top), std::make_pair(kW - 1, 0)) << at;
        EXPECT_EQ(under(p, left, bottom), std::make_pair(0, kH - 1)) << at;
        EXPECT_EQ(under(p, right, bottom), std::make_pair(kW - 1, kH - 1)) << at;
        // Just outside, the pointer is outside the game.
        EXPECT_EQ(under(p, left - 1, top - 1), std::make_pair(-1, -1)) << at;
        EXPECT_EQ(under(p, right + 1, bottom + 1), std::make_pair(kW, kH)) << at;
      }
}

TEST(Placement, EveryGamePixelIsReachedByAPointerAndMapsBackToItself) {
  const std::vector<std::pair<int, int>> sizes = {{400, 600}, {533, 800}, {560, 840}, {1280, 800}, {3840, 2160}};
  for (const auto &size : sizes) {
    const Placement p = platform::placeGameIn(size.first, size.second, kW, kH, false);
    const double factor = static_cast<double>(p.shownWidth) / kW;
    // Across the area, each game column is under as many window columns as
    // the factor allows (its floor or its ceiling), in order.
    std::vector<int> columns(kW, 0);
    int last = -1;
    for (int x = p.x; x < p.x + p.shownWidth; x++) {
      const int gx = under(p, x, p.y).first;
      ASSERT_GE(gx, last) << describe(p);
      ASSERT_TRUE(gx >= 0 && gx < kW) << describe(p);
      columns[gx]++;
      last = gx;
    }
    for (int gx = 0; gx < kW; gx++) {
      EXPECT_GE(columns[gx], static_cast<int>(std::floor(factor))) << describe(p) << " column " << gx;
      EXPECT_LE(columns[gx], static_cast<int>(std::ceil(factor))) << describe(p) << " column " << gx;
    }
    // The window point shown for a game pixel (where the pointer is put)
    // is over that pixel.
    for (int g = 0; g < kH; g++) {
      int wx, wy;
      platform::windowPointOf(p, g % kW, g, wx, wy);
      EXPECT_EQ(under(p, wx, wy), std::make_pair(g % kW, g)) << describe(p);
    }
  }
}

TEST(Placement, WholeFactorsMapAsTheyAlwaysHaveAndPointsScaleToPixels) {
  // At a whole factor a pointer maps as it did before any factor could be
  // shown: floor((x - offset) / factor), also left of and above the area.
  const Placement p = platform::placeGameIn(1024, 1024, kW, kH, true);
  ASSERT_EQ(p.scale, 2);
  for (int x = -50; x < 1100; x++) {
    const int old = (x - p.x) >= 0 ? (x - p.x) / 2 : -((p.x - x + 1) / 2);
    EXPECT_EQ(under(p, x, p.y).first, old) << x;
  }
  // A desktop whose points are two pixels wide: the mouse's points map
  // through the drawable's pixels.
  Placement dense = platform::placeGameIn(640, 960, kW, kH, false);
  dense.pointsWidth = 320;
  dense.pointsHeight = 480;
  int gx, gy;
  platform::gamePixelAt(dense, 0.5, 0.5, gx, gy);
  EXPECT_EQ(std::make_pair(gx, gy), std::make_pair(0, 0));
  platform::gamePixelAt(dense, 319.5, 479.5, gx, gy);
  EXPECT_EQ(std::make_pair(gx, gy), std::make_pair(kW - 1, kH - 1));
  int wx, wy;
  platform::windowPointOf(dense, 100, 200, wx, wy);
  EXPECT_EQ(std::make_pair(wx, wy), std::make_pair(100, 200));
  // No window placed yet: points are game pixels.
  platform::gamePixelAt(Placement(), -3.5, 17.5, gx, gy);
  EXPECT_EQ(std::make_pair(gx, gy), std::make_pair(-4, 17));
  platform::windowPointOf(Placement(), 5, 6, wx, wy);
  EXPECT_EQ(std::make_pair(wx, wy), std::make_pair(5, 6));
}

// ------------------------------------------------------------ short presses

TEST(ShortPresses, APressReleasedBeforeTheLookIsDownForTheFrameThatSawIt) {
  platform::ShortPresses presses;
  const int space = 44;
  presses.pressed(space); // pressed and released before anyone looked
  presses.frameEnded();   // a frame that did not look: still waiting
  EXPECT_TRUE(presses.read(space, false));
  EXPECT_TRUE(presses.read(space, false)); // the whole frame sees it
  presses.frameEnded();
  EXPECT_FALSE(presses.read(space, false));
  // The button is kept apart from the keys.
  presses.pressed(platform::ShortPresses::kLeftButton);
  EXPECT_FALSE(presses.read(space, false));
  EXPECT_TRUE(presses.read(platform::ShortPresses::kLeftButton, false));
  // A press dealt with (its release waited for) is over at once.
  presses.pressed(space);
  EXPECT_TRUE(presses.read(space, false));
  presses.forget(space);
  EXPECT_FALSE(presses.read(space, false));
  presses.pressed(space);
  presses.forgetAll();
  EXPECT_FALSE(presses.read(space, false));
  EXPECT_FALSE(presses.read(-1, false));
  EXPECT_TRUE(presses.read(9999, true));
}

TEST(ShortPresses, PressesLongerThanAFrameReadAsTheDeviceSays) {
  // Frame by frame, the device's state; a press arrives as the key goes down.
  const std::vector<bool> held = {false, true, true, true, false, false, true, false, true, true, false};
  platform::ShortPresses presses;
  const int key = 7;
  bool was = false;
  for (size_t frame = 0; frame < held.size(); frame++) {
    if (held[frame] && !was) presses.pressed(key);
    was = held[frame];
    EXPECT_EQ(presses.read(key, held[frame]), held[frame]) << "frame " << frame;
    presses.frameEnded();
  }
}

// ------------------------------------------------------------ touch

TEST(TouchPointer, TheFirstFingerPointsPressesAndLetsGoAndASecondIsIgnored) {
  platform::TouchPointer touch;
  EXPECT_FALSE(touch.pointing());
  EXPECT_TRUE(touch.fingerDown(7, 10, 20));
  EXPECT_TRUE(touch.pointing());
  EXPECT_TRUE(touch.held());
  EXPECT_FALSE(touch.fingerDown(8, 300, 400)); // a second finger
  touch.fingerMoved(8, 310, 410);
  touch.fingerMoved(7, 15, 25);
  EXPECT_EQ(touch.x(), 15);
  EXPECT_EQ(touch.y(), 25);
  touch.mouseUsed(); // a nudged mouse does not drop the drag
  EXPECT_TRUE(touch.pointing());
  EXPECT_FALSE(touch.fingerUp(8, 310, 410));
  EXPECT_TRUE(touch.held());
  EXPECT_TRUE(touch.fingerUp(7, 16, 26));
  EXPECT_FALSE(touch.held());
  EXPECT_TRUE(touch.pointing()); // the pointer stays where the finger lifted
  EXPECT_EQ(touch.x(), 16);
  touch.fingerMoved(7, 100, 100); // a lifted finger moves nothing
  EXPECT_EQ(touch.x(), 16);
  EXPECT_TRUE(touch.fingerDown(9, 50, 60)); // the next touch points again
  EXPECT_TRUE(touch.fingerUp(9, 50, 60));
  touch.mouseUsed();
  EXPECT_FALSE(touch.pointing());
}

} // namespace

// The mouse is the pointer while it was the last to point: a finger, a key
// of the play or a gamepad stick makes it none (the game then draws no
// arrow); a modifier or a function key (Ctrl+Plus, F11, Shift+F6) goes
// with the mouse and changes nothing. A script's mouse points.
TEST(MousePointer, TheLastDeviceToPointDecides) {
  auto code = [](EKeyboardLayout key) { return KInput::KeyboardLayout[key].code; };
  auto feed = [](platform::Event::Kind kind, int scancode = 0) {
    platform::Event e;
    e.kind = kind;
    e.scancode = scancode;
    e.button = 1;
    platform::feedInput(e);
  };
  feed(platform::Event::MouseMoved);
  EXPECT_TRUE(platform::mousePointing());
  feed(platform::Event::KeyDown, code(K_VK_L_CONTROL));
  feed(platform::Event::KeyDown, code(K_VK_F11));
  EXPECT_TRUE(platform::mousePointing()) << "a modifier or a function key";
  feed(platform::Event::KeyDown, code(K_VK_SPACE));
  EXPECT_FALSE(platform::mousePointing()) << "a key of the play";
  feed(platform::Event::MouseDown);
  EXPECT_TRUE(platform::mousePointing());
  feed(platform::Event::FingerDown);
  EXPECT_FALSE(platform::mousePointing()) << "a finger";
  feed(platform::Event::FingerUp);
  EXPECT_FALSE(platform::mousePointing());

  platform::ScriptedInput script;
  platform::setScriptedInput(&script);
  EXPECT_TRUE(platform::mousePointing()) << "a script's mouse";
  script.keys[code(K_VK_RETURN)] = true;
  EXPECT_FALSE(platform::mousePointing()) << "a script's key of the play";
  script.mouseX = 40;
  EXPECT_TRUE(platform::mousePointing()) << "a script's mouse moved";
  platform::setScriptedInput(nullptr);
}
