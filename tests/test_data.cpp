// The data files the game ships: every picture where the game looks for
// it, the cursor's tip, and sounds that decode, are not silent and end.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <string>
#include <vector>

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
  struct R {
    int x1, y1, x2, y2;
  };
  std::vector<R> rects = {{0, 0, 320, 480},       {320, 0, 640, 480},     {640, 0, 960, 480},
                          {780, 524, 1023, 570},  {780, 575, 1023, 630},  {780, 633, 1023, 686},
                          {780, 706, 1023, 756},  {780, 762, 1023, 815},  {22, 795, 227, 815},
                          {474, 677, 786, 1012},  {7, 868, 13, 875},      {0, 715, 320, 767},
                          {443, 522, 475, 556},   {10, 496, 92, 577},     {7, 596, 18, 607},
                          {19, 963, 125, 1002},   {23, 859, 70, 877},     {233, 822, 474, 916},
                          {233, 916, 474, 1011}};
  for (int k = 0; k < 8; k++) rects.push_back({31 * k, 621, 31 * k + 31, 652});
  for (int b = 1; b <= 5; b++) rects.push_back({31 * b - 30, 667, 31 * b, 699});
  for (int f = 0; f < 4; f++) rects.push_back({32 * f + 49, 900, 32 * f + 80, 934});
  const int digits[10][2] = {{72, 82}, {86, 94}, {98, 107}, {110, 119}, {122, 132}, {135, 145}, {147, 157}, {161, 169}, {172, 182}, {185, 194}};
  for (auto &d : digits) rects.push_back({d[0], 859, d[1], 877});
  const int credits[7][2] = {{877, 893}, {893, 912}, {912, 929}, {929, 948}, {948, 966}, {966, 984}, {984, 1001}};
  for (auto &c : credits) rects.push_back({789, c[0], 1020, c[1]});
  for (const R &r : rects) {
    int area = (r.x2 - r.x1) * (r.y2 - r.y1);
    EXPECT_GT(s.visible(r.x1, r.y1, r.x2, r.y2), area / 20)
        << "(" << r.x1 << ", " << r.y1 << ")-(" << r.x2 << ", " << r.y2 << ")";
  }
  // The feeder windows of the top frame are see-through; its bars are not.
  for (int i = 0; i < 9; i++) EXPECT_EQ(s.visible(21 + 31 * i + 2, 719, 21 + 31 * i + 29, 748), 0) << i;
  EXPECT_EQ(s.visible(0, 715, 320, 719), 320 * 4);
  // The strip shared by the help panel and the buttons is clear.
  EXPECT_EQ(s.visible(780, 677, 786, 815), 0);
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
