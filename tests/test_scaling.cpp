// The frame shown in a window larger than the game, by real OpenGL (SDL's
// offscreen driver): at a whole factor each game pixel is a square of
// pixels, exactly; at any other factor no column or row of a one-pixel
// checker is lost or doubled, and its edges stay sharp.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

#include "KGraphicGL.h"
#include "KVexo.h"
#include "KWindowGL.h"
#include "OpenGL.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"

namespace {

const int kW = 320, kH = 480;

// What the window showed at the last swap: its red channel, top row first.
std::vector<unsigned char> gShown;
int gShownWidth = 0, gShownHeight = 0;

void keepShown(int width, int height) {
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  gShown.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      gShown[static_cast<size_t>(y) * width + x] = rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
  gShownWidth = width;
  gShownHeight = height;
}

double shown(int x, int y) { return gShown[static_cast<size_t>(y) * gShownWidth + x] / 255.0; }

// The game's picture: one-pixel stripes, white on the odd columns in the
// left half and on the odd rows in the right half; black elsewhere.
bool white(int x, int y) { return x < kW / 2 ? x % 2 == 1 : y % 2 == 1; }

class Scaling : public ::testing::TestWithParam<double> {
protected:
  KWindowGL *window = nullptr;
  platform::Placement placement;

  void SetUp() override {
    platform::setMessageHook([](const char *, const char *) {});
    platform::setPresentHook(keepShown);
    ASSERT_TRUE(platform::setWindowScale(GetParam()));
    window = static_cast<KWindowGL *>(KVexo::createKWindow(K_OPENGL, false));
    ASSERT_TRUE(window->createGameWindow(kW, kH, -1, true, "Zunk test"));
    std::vector<uint32_t> pixels(static_cast<size_t>(kW) * kH);
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++) pixels[static_cast<size_t>(y) * kW + x] = white(x, y) ? 0xFFFFFFFFu : 0xFF000000u;
    KGraphicGL stripes;
    ASSERT_TRUE(stripes.makePictureFromArray(pixels.data(), kW, kH, true, false));
    window->setClearColor(0, 0, 0, 1);
    window->setWorldView(0, 0, 0, 1, true);
    stripes.blitAlphaRect(0, 0, kW, kH, 0, 0, false, false);
    window->flipBackBuffer(false, false);
    placement = platform::placeGameArea();
  }
  void TearDown() override {
    delete window;
    platform::setWindowScale(0);
    platform::setPresentHook(nullptr);
  }
  void save(const char *what) {
    const std::string path = std::string("/tmp/zunk-scaling-") + what + ".png";
    std::vector<unsigned char> rgba(gShown.size() * 4);
    for (size_t i = 0; i < gShown.size(); i++) {
      std::memset(&rgba[i * 4], gShown[i], 3);
      rgba[i * 4 + 3] = 255;
    }
    platform::encodePicture(path.c_str(), platform::PictureFormat::PNG, gShownWidth, gShownHeight, rgba.data(), platform::PixelOrder::TopDownRGBA);
    ADD_FAILURE() << what << " at " << GetParam() << ": the frame shown is in " << path;
  }

  // Along one line of the window across `count` game pixels of stripes
  // (from game pixel `first`, shown from window pixel `start`, `factor`
  // window pixels each), `level(i)` giving window pixel i's brightness:
  // each white game pixel gathers as much light as it has room for (none
  // lost, none doubled), each shows its own colour somewhere (sharp), and
  // between two pixels of pure colour lies at most one blended one.
  template <class Level>
  bool stripesHold(int first, int count, int start, double factor, Level level, std::string &what) {
    const double kPure = 0.15;
    for (int g = first; g < first + count; g++) {
      // The window pixels that g reaches, however little.
      const int from = start + static_cast<int>(std::floor((g - first) * factor));
      const int to = start + static_cast<int>(std::ceil((g - first + 1) * factor)) - 1;
      const bool isWhite = g % 2 == 1;
      double light = 0;
      bool pure = false;
      for (int i = from; i <= to; i++) {
        light += level(i);
        pure = pure || std::fabs(level(i) - (isWhite ? 1 : 0)) <= kPure;
      }
      if (isWhite && std::fabs(light - factor) > 0.4) {
        what = "game pixel " + std::to_string(g) + " shows " + std::to_string(light) + " pixels of light, not " +
               std::to_string(factor);
        return false;
      }
      if (!pure) {
        what = "game pixel " + std::to_string(g) + " never shows its own colour";
        return false;
      }
    }
    const int end = start + static_cast<int>(std::floor(count * factor));
    for (int i = start; i + 1 < end; i++) {
      const bool blended = level(i) > kPure && level(i) < 1 - kPure;
      const bool nextBlended = level(i + 1) > kPure && level(i + 1) < 1 - kPure;
      if (blended && nextBlended) {
        what = "window pixels " + std::to_string(i) + " and " + std::to_string(i + 1) + " are both blended";
        return false;
      }
    }
    return true;
  }
};

TEST_P(Scaling, EveryGamePixelShowsAsWideAsTheOthersAndSharp) {
  const double factor = GetParam();
  ASSERT_EQ(gShownWidth, placement.width);
  ASSERT_EQ(placement.shownHeight, static_cast<int>(std::lround(kH * factor)));
  const double across = static_cast<double>(placement.shownWidth) / kW;
  const double down = static_cast<double>(placement.shownHeight) / kH;
  if (placement.scale > 0) {
    // A whole factor: exactly the game's pixels, each a square.
    for (int y = 0; y < placement.shownHeight; y++)
      for (int x = 0; x < placement.shownWidth; x++)
        if (shown(placement.x + x, placement.y + y) != (white(x / placement.scale, y / placement.scale) ? 1 : 0)) {
          save("whole");
          FAIL() << "(" << x << ", " << y << ") is not its game pixel's colour";
        }
    return;
  }
  std::string what;
  // The columns in the left half, along a row in the middle of a game row;
  // the rows in the right half, along a column in the middle of a game column.
  const int row = placement.y + static_cast<int>((kH / 2 + 0.5) * down);
  if (!stripesHold(0, kW / 2 - 1, placement.x, across, [&](int i) { return shown(i, row); }, what)) {
    save("columns");
    FAIL() << "columns: " << what;
  }
  const int column = placement.x + static_cast<int>((kW * 3 / 4 + 0.5) * across);
  if (!stripesHold(0, kH, placement.y, down, [&](int i) { return shown(column, i); }, what)) {
    save("rows");
    FAIL() << "rows: " << what;
  }
}

TEST_P(Scaling, AScreenshotJustAfterTheFlipIsTheGamesOwnFrame) {
  // Shift+F6 is often seen while the flip waits, when the buffer holds the
  // frame scaled to the window: the picture saved is the game's frame.
  char path[] = "/tmp/zunkshotXXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(window->saveBackBuffer(path, 3, 0, 0));
  std::FILE *f = std::fopen(path, "rb");
  ASSERT_NE(f, nullptr);
  std::vector<unsigned char> file(1 << 20);
  file.resize(std::fread(file.data(), 1, file.size(), f));
  std::fclose(f);
  std::remove(path);
  int w = 0, h = 0;
  std::vector<unsigned char> saved; // A, R, G, B
  ASSERT_TRUE(platform::decodePicture(file.data(), file.size(), "PNG", w, h, saved));
  ASSERT_EQ(w, kW);
  ASSERT_EQ(h, kH);
  int differing = 0;
  for (int y = 0; y < kH; y++)
    for (int x = 0; x < kW; x++)
      differing += saved[(static_cast<size_t>(y) * kW + x) * 4 + 1] != (white(x, y) ? 255 : 0);
  EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(Factors, Scaling, ::testing::Values(1.25, 1.5, 5.0 / 3, 2.0, 2.25), [](const auto &info) {
  char name[16];
  std::snprintf(name, sizeof name, "x%d", static_cast<int>(std::lround(info.param * 1000)));
  return std::string(name);
});

} // namespace
