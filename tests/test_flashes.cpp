// How the game flashes. First the meter (tools/flashmeter), on small
// screens made to flash: what counts as a flash, a red flash, the area
// rule and which effect a change is laid to. Then the game itself on the
// real engine (SDL's offscreen driver): every stored replay and the screens
// around the play, frame by frame, each effect within the guideline (no
// more than three flashes a second over more than a quarter of the screen).

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flashmeter.h"
#include "flashreel.h"
#include "recording.h"
#include "replayer.h"

using namespace flashes;

namespace {

// A small screen, every pixel one colour or painted in rectangles.
struct Picture {
  static constexpr int kWidth = 40, kHeight = 30;
  std::vector<unsigned char> rgba = std::vector<unsigned char>(kWidth * kHeight * 4, 0);
  Picture(int r, int g, int b) { paint(0, 0, kWidth, kHeight, r, g, b); }
  Picture &paint(int x1, int y1, int x2, int y2, int r, int g, int b) {
    for (int y = y1; y < y2; y++)
      for (int x = x1; x < x2; x++) {
        unsigned char *p = &rgba[(y * kWidth + x) * 4];
        p[0] = static_cast<unsigned char>(r), p[1] = static_cast<unsigned char>(g),
        p[2] = static_cast<unsigned char>(b);
        p[3] = 255;
      }
    return *this;
  }
};
const int kPixels = Picture::kWidth * Picture::kHeight;

// `frames` frames alternating between `a` and `b`, `hold` frames each.
void alternate(Meter &meter, const Picture &a, const Picture &b, int hold, int frames,
               const std::vector<Area> &areas = {}) {
  for (int i = 0; i < frames; i++) meter.add(((i / hold) % 2 ? b : a).rgba.data(), areas);
}

Meter meterOf(std::vector<std::string> effects = {}) { return Meter(Picture::kWidth, Picture::kHeight, effects); }

TEST(FlashMeter, FourFlashesASecondFailAndThreePass) {
  const Picture black(0, 0, 0), white(255, 255, 255);
  Meter fast = meterOf();
  alternate(fast, black, white, 10, 240); // a change every 10 frames: 4 flashes a second
  EXPECT_EQ(fast.everything().mostFlashesASecond, 4);
  EXPECT_EQ(fast.everything().largestFailingArea, kPixels);
  EXPECT_EQ(fast.everything().largestFlashingArea, kPixels);
  EXPECT_FALSE(withinGuideline(fast, fast.everything()));

  Meter slow = meterOf();
  alternate(slow, black, white, 14, 240); // no 80 frames hold 7 changes
  EXPECT_EQ(slow.everything().mostFlashesASecond, 3);
  EXPECT_EQ(slow.everything().largestFailingArea, 0);
  EXPECT_TRUE(withinGuideline(slow, slow.everything()));

  Meter justOver = meterOf();
  alternate(justOver, black, white, 13, 240); // 7 changes in 79 frames
  EXPECT_EQ(justOver.everything().mostFlashesASecond, 3.5);
  EXPECT_FALSE(withinGuideline(justOver, justOver.everything()));
}

TEST(FlashMeter, WhatMovesAcrossAPixelChangesIt) {
  // A white bar crossing a black screen once: each pixel it passes goes
  // up and down once.
  Meter once = meterOf();
  for (int x = -10; x <= Picture::kWidth; x++)
    once.add(
        Picture(0, 0, 0).paint(std::max(0, x), 0, std::min(Picture::kWidth, x + 10), 30, 255, 255, 255).rgba.data(),
        {});
  EXPECT_EQ(once.everything().mostFlashesASecond, 1);
  // Swept back and forth four times a second, it flashes past the guideline.
  Meter sweeping = meterOf();
  for (int i = 0; i < 240; i++) {
    const int step = i % 20, x = (step < 10 ? step : 20 - step) * 3;
    sweeping.add(Picture(0, 0, 0).paint(x, 0, x + 10, 30, 255, 255, 255).rgba.data(), {});
  }
  EXPECT_GT(sweeping.everything().mostFlashesASecond, 3);
  EXPECT_FALSE(withinGuideline(sweeping, sweeping.everything()));
}

TEST(FlashMeter, SmallChangesBrightChangesAndFadesAreNotFlashes) {
  Meter bright = meterOf(); // between 0.85 and 1: the darker state is not dark
  alternate(bright, Picture(237, 237, 237), Picture(255, 255, 255), 2, 160);
  EXPECT_EQ(bright.everything().transitions, 0);

  Meter slight = meterOf(); // 0.46 to 0.49: less than a tenth
  alternate(slight, Picture(180, 180, 180), Picture(186, 186, 186), 2, 160);
  EXPECT_EQ(slight.everything().transitions, 0);

  // A fade up over a second and a half and back down: one flash, however
  // many small steps it takes.
  Meter fade = meterOf();
  for (int i = 0; i <= 240; i++) {
    const int v = i <= 120 ? i * 2 : (240 - i) * 2;
    fade.add(Picture(v, v, v).rgba.data(), {});
  }
  EXPECT_EQ(fade.everything().transitions, 2 * kPixels);
  EXPECT_EQ(fade.everything().mostFlashesASecond, 0.5);
}

TEST(FlashMeter, SaturatedRedFlashesAreCountedEvenAtOneLuminance) {
  // Pure red and the grey of its luminance: no general flash, a red one.
  Meter red = meterOf();
  alternate(red, Picture(255, 0, 0), Picture(127, 127, 127), 10, 240);
  EXPECT_EQ(red.everything().mostFlashesASecond, 0);
  EXPECT_EQ(red.everything().mostRedFlashesASecond, 4);
  EXPECT_FALSE(withinGuideline(red, red.everything()));

  // Orange is not saturated red: nothing, though its red part changes.
  Meter orange = meterOf();
  alternate(orange, Picture(255, 160, 0), Picture(181, 181, 181), 10, 240);
  EXPECT_EQ(orange.everything().transitions, 0);
}

TEST(FlashMeter, AQuarterOfTheScreenMayFlashAndTheWorstQuarterIsMeasured) {
  const Picture black(0, 0, 0);
  // A square past three flashes a second: 20% of the screen is allowed,
  // though it covers 80% of the quarter it lies in.
  Meter allowed = meterOf();
  alternate(allowed, black, Picture(0, 0, 0).paint(0, 0, 20, 12, 255, 255, 255), 10, 160);
  EXPECT_EQ(allowed.everything().largestFailingArea, 240);
  EXPECT_EQ(allowed.everything().worstQuarterFailing, 240);
  EXPECT_TRUE(withinGuideline(allowed, allowed.everything()));
  EXPECT_TRUE(pastInWorstQuarter(allowed, allowed.everything()));

  // 30% of the screen is too much.
  Meter tooMuch = meterOf();
  alternate(tooMuch, black, Picture(0, 0, 0).paint(0, 0, 40, 9, 255, 255, 255), 10, 160);
  EXPECT_EQ(tooMuch.everything().largestFailingArea, 360);
  EXPECT_FALSE(withinGuideline(tooMuch, tooMuch.everything()));

  // Two small squares far apart: neither quarter holds a quarter of failing
  // pixels.
  Meter apart = meterOf();
  alternate(apart, black, Picture(0, 0, 0).paint(0, 0, 5, 5, 255, 255, 255).paint(35, 25, 40, 30, 255, 255, 255), 10,
            160);
  EXPECT_EQ(apart.everything().largestFailingArea, 50);
  EXPECT_EQ(apart.everything().worstQuarterFailing, 25);
  EXPECT_FALSE(pastInWorstQuarter(apart, apart.everything()));
}

TEST(FlashMeter, ChangesAreLaidToTheEffectsThatDrewThere) {
  const int kBlink = 0, kStill = 1;
  Meter meter = meterOf({"blink", "still"});
  // The left third blinks where "blink" draws; the bottom right blinks
  // where nothing says it drew; "still" draws the top right, unchanging.
  const Picture off(0, 0, 0);
  Picture on(0, 0, 0);
  on.paint(0, 0, 10, 30, 255, 255, 255).paint(30, 20, 40, 30, 255, 255, 255);
  alternate(meter, off, on, 10, 160, {{kBlink, 0, 0, 10, 30}, {kStill, 20, 0, 40, 10}});
  EXPECT_EQ(meter.effect(kBlink).largestFailingArea, 300);
  EXPECT_EQ(meter.effect(kBlink).frames, 160);
  EXPECT_EQ(meter.effect(kStill).transitions, 0);
  EXPECT_EQ(meter.unattributed().largestFailingArea, 100);
  EXPECT_EQ(meter.everything().largestFailingArea, 400);

  // A picture gone is laid to what drew it in the frame before.
  Meter gone = meterOf({"blink"});
  gone.add(Picture(0, 0, 0).rgba.data(), {});
  gone.add(Picture(255, 255, 255).rgba.data(), {{kBlink, 0, 0, 40, 30}});
  gone.add(Picture(0, 0, 0).rgba.data(), {});
  EXPECT_EQ(gone.effect(kBlink).transitions, 2 * kPixels);
  EXPECT_EQ(gone.unattributed().transitions, 0);
}

// ------------------------------------------------------------ the game

std::vector<std::string> storedReplays() {
  std::vector<std::string> files;
  DIR *dir = opendir(ZUNK_REPLAYS_DIR);
  while (dirent *e = dir ? readdir(dir) : nullptr)
    if (std::string(e->d_name).find(".zunkreplay") != std::string::npos)
      files.push_back(ZUNK_REPLAYS_DIR "/" + std::string(e->d_name));
  if (dir) closedir(dir);
  std::sort(files.begin(), files.end());
  return files;
}

void expectWithinGuideline(const Meter &meter, const std::string &what) {
  EXPECT_TRUE(withinGuideline(meter, meter.everything())) << what << "\n" << report(meter);
  for (int e = 0; e < kEffects; e++)
    EXPECT_TRUE(withinGuideline(meter, meter.effect(e))) << what << ": " << meter.effects()[e] << "\n" << report(meter);
}

TEST(GameFlashes, EveryStoredReplayKeepsToTheGuideline) {
  Stage stage(ZUNK_DATA_DIR);
  ASSERT_TRUE(stage.ready()) << stage.error();
  const std::vector<std::string> files = storedReplays();
  ASSERT_GE(files.size(), 5u);
  bool everyEffect = false;
  for (const std::string &path : files) {
    Recording recording;
    std::string error;
    ASSERT_TRUE(loadRecording(path, recording, error)) << path << ": " << error;
    Meter meter(320, 480, effectNames());
    PlayFacts facts;
    const bool same = stage.playRecording(
        recording, [&](const unsigned char *rgba, int, int, const std::vector<Area> &areas) { meter.add(rgba, areas); },
        facts);
    EXPECT_TRUE(same) << path;
    EXPECT_EQ(meter.frames(), static_cast<int>(recording.frames.size())) << path;
    expectWithinGuideline(meter, path);
    // Each effect's figures are its own: hardly a change was drawn by none.
    EXPECT_LT(meter.unattributed().transitions, meter.everything().transitions / 1000) << path;
    // One of them shows every effect of the play, so that none goes
    // unmeasured.
    bool all = facts.rowClears > 0 && facts.litFrames > 0 && facts.pausedFrames > 0 && facts.gameOverFrames > 80;
    for (int kind = kBomb; kind <= kRowClear; kind++) all = all && facts.bonuses[kind] > 0;
    for (int e : {kCloudPuffs, kRowEmptied, kLitBrick, kGameOver, kPauseVeil, kBreaking, kFalling, kBonusIcons})
      all = all && meter.effect(e).transitions > 0;
    everyEffect = everyEffect || all;
  }
  EXPECT_TRUE(everyEffect) << "no stored replay shows every bonus, a row clear, a pause and GAME OVER";
}

// The scripted player that recorded the replay showing every effect: its
// game throws at every kind of bonus, pauses and ends, and replays as it
// was played.
TEST(GameFlashes, TheScriptedPlayerShowsEveryBonusAndGameOver) {
  Stage stage(ZUNK_DATA_DIR);
  ASSERT_TRUE(stage.ready()) << stage.error();
  PlayFacts facts;
  const Recording recording = stage.recordGame(1, 12000, &facts);
  EXPECT_TRUE(recording.ended);
  for (int kind = kBomb; kind <= kRowClear; kind++) EXPECT_GT(facts.bonuses[kind], 0) << "bonus " << kind;
  EXPECT_GT(facts.pausedFrames, 0);
  EXPECT_GT(facts.gameOverFrames, 80);
  Replay replay(recording);
  EXPECT_TRUE(replay.playToEnd());
  EXPECT_TRUE(replay.same());
}

TEST(GameFlashes, TheScreensAroundThePlayKeepToTheGuideline) {
  Stage stage(ZUNK_DATA_DIR);
  ASSERT_TRUE(stage.ready()) << stage.error();
  Meter meter(320, 480, effectNames());
  stage.playScreens([&](const unsigned char *rgba, int width, int height, const std::vector<Area> &areas) {
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 480);
    meter.add(rgba, areas);
  });
  expectWithinGuideline(meter, "the screens");
  for (int e : {kTitleFade, kDoors, kMenu, kHelp, kScores, kResumeOffer, kScreenChange, kPauseVeil})
    EXPECT_GT(meter.effect(e).frames, 0) << meter.effects()[e] << " was never shown";
}

} // namespace
