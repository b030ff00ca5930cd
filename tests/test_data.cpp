// The data files the game ships: every picture where the game looks for
// it, the cursor's tip, and sounds that decode, are not silent and end.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <string>
#include <vector>

#include "ingame.h"
#include "layout.h"
#include "platform/PictureCodec.h"

namespace {

struct Picture {
  int w = 0, h = 0;
  std::vector<unsigned char> argb;
  int alpha(int x, int y) const { return argb[(static_cast<size_t>(y) * w + x) * 4]; }
  // How many pixels of the rectangle are visible.
  int visible(int x1, int y1, int x2, int y2) const {
    int n = 0;
    for (int y = y1; y < y2; y++)
      for (int x = x1; x < x2; x++) n += alpha(x, y) > 16;
    return n;
  }
};

Picture load(const std::string &name) {
  Picture p;
  FILE *f = std::fopen((std::string(ZUNK_DATA_DIR) + "/" + name).c_str(), "rb");
  if (!f) return p;
  std::vector<unsigned char> bytes;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  platform::decodePicture(bytes.data(), bytes.size(), "PNG", p.w, p.h, p.argb);
  return p;
}

TEST(Data, EveryPictureOfTheSheetIsWhereTheGameLooks) {
  Picture s = load("zunk.png");
  ASSERT_EQ(s.w, 1024);
  ASSERT_GE(s.h, 1012);
  using namespace layout;
  // Every picture the game draws from the sheet, by the names the game uses.
  std::vector<Rect> rects = {kTitle,       kMenuBackground, kPlayBackground, kFeederStrip, kNotice,
                             kHelpPanel,   kLeaderDot,      kTopFrame,       kRestingBall, kFlyingBall,
                             kLink,        kDragMe,         kScoreLabel,     kGameOverTop, kGameOverBottom};
  for (const Rect &b : kButtons) rects.push_back(b);
  for (int k = 0; k <= kLastHardBrick; k++) rects.push_back(brick(k));
  for (int b = 1; b <= kBonusKinds; b++) rects.push_back(bonusIcon(b));
  for (int f = 0; f < 4; f++) rects.push_back(cloud(f));
  for (int d = 0; d < 10; d++) rects.push_back(digit(d));
  for (const auto &c : kCreditRows) rects.push_back({kCreditX1, c[0], kCreditX2, c[1]});
  for (const Rect &r : rects) {
    int area = (r.x2 - r.x1) * (r.y2 - r.y1);
    EXPECT_GT(s.visible(r.x1, r.y1, r.x2, r.y2), area / 20)
        << "(" << r.x1 << ", " << r.y1 << ")-(" << r.x2 << ", " << r.y2 << ")";
  }
  // The feeder windows of the top frame are see-through; its bars are not.
  for (int i = 0; i < 9; i++)
    EXPECT_EQ(s.visible(kWallAt.x + kBrickSize * i + 2, 719, kWallAt.x + kBrickSize * i + 29, 748), 0) << i;
  EXPECT_EQ(s.visible(kTopFrame.x1, kTopFrame.y1, kTopFrame.x2, kTopFrame.y1 + 4), kTopFrame.w() * 4);
  // The strip shared by the help panel and the buttons is clear.
  EXPECT_EQ(s.visible(kButtons[0].x1, kHelpPanel.y1, kHelpPanel.x2, kButtons[4].y2), 0);
}

TEST(Data, TheCursorPointsWithItsTopLeftPixel) {
  Picture c = load("curseur.png");
  ASSERT_GE(c.w, 20);
  ASSERT_GE(c.h, 28);
  EXPECT_GT(c.alpha(0, 0), 200);
  EXPECT_GT(c.visible(0, 0, 20, 28), 60);
}

TEST(Data, EverySoundDecodesIsHeardAndEnds) {
  struct S {
    const char *name;
    double minSeconds, maxSeconds;
  } sounds[] = {{"fall.ogg", 0.1, 2},  {"good1.ogg", 0.05, 1}, {"good2.ogg", 0.05, 1},     {"good3.ogg", 0.05, 1},
                {"bomb.ogg", 0.2, 3},  {"hammer.ogg", 0.1, 2}, {"clock.ogg", 0.02, 1},     {"ghoulsfire.ogg", 0.1, 2},
                {"extralife.ogg", 0.02, 1}, {"monkey.ogg", 60, 120}};
  for (const S &s : sounds) {
    OggVorbis_File vf;
    std::string path = std::string(ZUNK_DATA_DIR) + "/" + s.name;
    ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0) << s.name;
    vorbis_info *info = ov_info(&vf, -1);
    EXPECT_EQ(info->rate, 44100) << s.name;
    double seconds = ov_time_total(&vf, -1);
    EXPECT_GE(seconds, s.minSeconds) << s.name;
    EXPECT_LE(seconds, s.maxSeconds) << s.name;
    char buf[4096];
    int bs;
    long n;
    int peak = 0, first = -1, last = 0;
    long pos = 0;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &bs)) > 0) {
      const int16_t *v = reinterpret_cast<const int16_t *>(buf);
      for (long i = 0; i < n / 2; i++, pos++) {
        int a = std::abs(v[i]);
        peak = std::max(peak, a);
        if (first < 0) first = a;
        last = a;
      }
    }
    EXPECT_GT(peak, 8000) << s.name << " is too quiet";
    EXPECT_LT(peak, 32700) << s.name << " clips";
    EXPECT_LT(first, 2000) << s.name << " clicks at its start";
    EXPECT_LT(last, 2000) << s.name << " clicks at its end";
    if (std::string(s.name) == "monkey.ogg") {
      EXPECT_EQ(info->channels, 2);
    }
    ov_clear(&vf);
  }
}

} // namespace
