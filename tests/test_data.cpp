// The data files the game ships: every picture where the game looks for it,
// in the sheet of every language, the cursor's tip, and sounds that decode,
// are not silent and end.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cctype>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "play.h"
#include "language.h"
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

// Every picture the game draws from the sheet, by the names the game uses.
std::vector<layout::Rect> drawnPictures() {
  using namespace layout;
  std::vector<Rect> rects = {kTitle,      kMenuBackground, kPlayBackground, kFeederStrip, kNotice,    kHelpPanel,
                             kLeaderDot,  kTopFrame,       kRestingBall,    kFlyingBall,  kLink,      kDragMe,
                             kScoreLabel, kGameOverTop,    kGameOverBottom, kMusicOn,     kMusicOff,  kSoundsOn,
                             kSoundsOff,  kFocusArrow,     kPausePanel,     kHelpPageKeys};
  for (const Rect &b : kButtons) rects.push_back(b);
  for (int k = 0; k <= kLastHardBrick; k++) rects.push_back(brick(k));
  for (int b = 1; b <= kBonusKinds; b++) rects.push_back(bonusIcon(b));
  for (int f = 0; f < 4; f++) rects.push_back(cloud(f));
  for (int d = 0; d < 10; d++) rects.push_back(digit(d));
  for (const auto &c : kCreditRows) rects.push_back({kCreditX1, c[0], kCreditX2, c[1]});
  for (int i = 0; i < kUnkeptWhats; i++) rects.push_back(unkeptWhat(i));
  for (int i = 0; i < kUnkeptWhys; i++) rects.push_back(unkeptWhy(i));
  rects.push_back(kExportButton);
  rects.push_back(kImportButton);
  for (int i = 0; i < kCarryWords; i++) rects.push_back(carryWord(i));
  for (const Rect &r : {kDailyNotKept, kScoredTryTag, kPracticeTag, kDigitDash, kDailyButton, kStartScored,
                        kStartPractice, kSendButton, kNoDailyRows, kStreakLabel, kPracticeRowLabel, kSentWritten,
                        kSentNotWritten, kSentGoOn, kLinkCopied, kNoLink, kVerifiedScore, kVerifiedWall, kRefusedHeading})
    rects.push_back(r);
  for (int i = 0; i < kDailyTries; i++) rects.push_back(dailyTryText(i));
  for (int i = 0; i < kRefusals; i++) rects.push_back(refusalText(i));
  for (const Rect &r : {kOptionsTitle, kKeysTitle, kOptionsButton, kResetButton, kKeysButton, kContrastRestingBall,
                        kContrastFlyingBall})
    rects.push_back(r);
  for (int k = 0; k <= kLastHardBrick; k++) rects.push_back(contrastBrick(k));
  for (int b = 1; b <= kBonusKinds; b++) rects.push_back(contrastIcon(b));
  // Every glyph but the space's.
  for (char ch = kGlyphFirst + 1; ch <= kGlyphLast; ch++) rects.push_back(glyph(ch));
  return rects;
}

// The words the options draw, each in a box wider than most: a short one
// ("On") inks little of it.
std::vector<layout::Rect> optionWords() {
  using namespace layout;
  std::vector<Rect> rects;
  for (int i = 0; i < kOptionLabels; i++) rects.push_back(optionLabel(i));
  for (int i = 0; i < kOptionWords; i++) rects.push_back(optionWord(i));
  for (int i = 0; i < kLanguageNames; i++) rects.push_back(languageName(i));
  for (int i = 0; i < kActionLabels; i++) rects.push_back(actionLabel(i));
  for (int i = 0; i < kKeysWords; i++) rects.push_back(keysWord(i));
  return rects;
}

// The sheet of every language the build has a catalogue for.
std::vector<std::string> translatedSheets() {
  std::vector<std::string> names;
  std::stringstream list(ZUNK_LANGUAGES);
  for (std::string tag; std::getline(list, tag, ',');) names.push_back(sheetFile(tag));
  return names;
}
std::vector<std::string> sheets() {
  std::vector<std::string> names = translatedSheets();
  names.insert(names.begin(), sheetFile(kDefaultLanguage));
  return names;
}
std::string testName(const ::testing::TestParamInfo<std::string> &info) {
  std::string name = info.param.substr(0, info.param.find('.'));
  for (char &c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class Sheet : public ::testing::TestWithParam<std::string> {};
class TranslatedSheet : public ::testing::TestWithParam<std::string> {};

TEST_P(Sheet, HasEveryPictureWhereTheGameLooks) {
  Picture s = load(GetParam());
  ASSERT_EQ(s.w, layout::kSheetWidth) << GetParam() << " is missing or not a sheet";
  ASSERT_EQ(s.h, layout::kSheetHeight);
  using namespace layout;
  for (const Rect &r : drawnPictures()) {
    int area = (r.x2 - r.x1) * (r.y2 - r.y1);
    EXPECT_GT(s.visible(r.x1, r.y1, r.x2, r.y2), area / 20)
        << "(" << r.x1 << ", " << r.y1 << ")-(" << r.x2 << ", " << r.y2 << ")";
  }
  for (const Rect &r : optionWords())
    EXPECT_GT(s.visible(r.x1, r.y1, r.x2, r.y2), r.h() * 2) << "(" << r.x1 << ", " << r.y1 << ")";
  // The feeder windows of the top frame are see-through; its bars are not.
  for (int i = 0; i < 9; i++)
    EXPECT_EQ(s.visible(kWallAt.x + kBrickSize * i + 2, 719, kWallAt.x + kBrickSize * i + 29, 748), 0) << i;
  EXPECT_EQ(s.visible(kTopFrame.x1, kTopFrame.y1, kTopFrame.x2, kTopFrame.y1 + 4), kTopFrame.w() * 4);
  // The strip shared by the help panel and the buttons is clear.
  EXPECT_EQ(s.visible(kButtons[0].x1, kHelpPanel.y1, kHelpPanel.x2, kButtons[4].y2), 0);
  // The bands that are not drawn yet are kept clear for pictures to come,
  // and so is the records' band beside what is drawn there.
  EXPECT_EQ(s.visible(0, kDailyBandY + kDailyBandHeight, kSheetWidth, kOptionsBandY), 0);
  EXPECT_EQ(s.visible(0, kGlyphStripY + kGlyphHeight + 4, kSheetWidth, kCarriedBandY), 0);
  std::vector<Rect> carried = {kHelpPageKeys, kExportButton, kImportButton};
  for (int i = 0; i < kCarryWords; i++) carried.push_back(carryWord(i));
  int strays = 0;
  for (int y = kCarriedBandY; y < kSheetHeight; y++)
    for (int x = 0; x < kSheetWidth; x++) {
      bool inside = false;
      for (const Rect &r : carried) inside |= x >= r.x1 && x < r.x2 && y >= r.y1 && y < r.y2;
      strays += !inside && s.alpha(x, y) > 16;
    }
  EXPECT_EQ(strays, 0) << "pixels of the records' band outside its pictures";
  // Each thing EXPORT and IMPORT say is drawn.
  for (int i = 0; i < kCarryWords; i++) {
    const Rect r = carryWord(i);
    EXPECT_GT(s.visible(r.x1, r.y1, r.x2, r.y2), 100) << "carried word " << i;
  }
  // A page's rows of the help panel join the panel's own above and below
  // them, pixel for pixel: only the key lines a page says otherwise differ.
  auto sameRow = [&](int bandY, int panelY) {
    for (int x = 0; x < kHelpPageKeys.w(); x++)
      for (int b = 0; b < 4; b++)
        if (s.argb[(static_cast<size_t>(bandY) * s.w + kHelpPageKeys.x1 + x) * 4 + b] !=
            s.argb[(static_cast<size_t>(panelY) * s.w + kHelpPanel.x1 + x) * 4 + b])
          return false;
    return true;
  };
  const int panelY = kHelpPanel.y1 + kHelpPageKeysTop;
  for (int row : {0, 1, kHelpPageKeys.h() - 2, kHelpPageKeys.h() - 1})
    EXPECT_TRUE(sameRow(kHelpPageKeys.y1 + row, panelY + row)) << "row " << row << " of the page's keys";
  int differing = 0;
  for (int row = 0; row < kHelpPageKeys.h(); row++) differing += !sameRow(kHelpPageKeys.y1 + row, panelY + row);
  EXPECT_GT(differing, kHelpPageKeys.h() / 2) << "the page's keys say what the panel says";
}

TEST_P(TranslatedSheet, SharesTheArtAndHasItsOwnWords) {
  const Picture english = load(sheetFile(kDefaultLanguage)), s = load(GetParam());
  ASSERT_EQ(s.argb.size(), english.argb.size());
  using namespace layout;
  auto same = [&](const Rect &r) {
    for (int y = r.y1; y < r.y2; y++)
      for (int x = r.x1; x < r.x2; x++)
        for (int b = 0; b < 4; b++) {
          const size_t at = (static_cast<size_t>(y) * s.w + x) * 4 + b;
          if (s.argb[at] != english.argb[at]) return false;
        }
    return true;
  };
  // Pictures without words are the same in every language...
  for (int k = 0; k <= kLastHardBrick; k++) EXPECT_TRUE(same(brick(k))) << "brick " << k;
  for (const Rect &r : {kMenuBackground, kTopFrame, kFlyingBall, kMusicOff, kFocusArrow, kContrastFlyingBall,
                        contrastBrick(0), glyph('A'), languageName(5)})
    EXPECT_TRUE(same(r));
  // ...and those with words are not: a sheet in English under another name fails.
  for (const Rect &r : {kButtons[0], kButtons[4], kHelpPanel, kPausePanel, kGameOverTop, unkeptWhat(0), unkeptWhy(2),
                        optionLabel(5), actionLabel(0)})
    EXPECT_FALSE(same(r)) << "(" << r.x1 << ", " << r.y1 << ") is the English picture";
}

// The options name the languages in the build's order, English first.
TEST(Languages, TheOptionsListTheBuildsLanguages) {
  std::vector<std::string> build = {kDefaultLanguage};
  std::stringstream list(ZUNK_LANGUAGES);
  for (std::string tag; std::getline(list, tag, ',');) build.push_back(tag);
  ASSERT_EQ(build.size(), static_cast<size_t>(kLanguageCount));
  for (int i = 0; i < kLanguageCount; i++) EXPECT_EQ(build[i], kLanguageTags[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(Data, Sheet, ::testing::ValuesIn(sheets()), testName);
INSTANTIATE_TEST_SUITE_P(Data, TranslatedSheet, ::testing::ValuesIn(translatedSheets()), testName);

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
