// Measures how the game flashes, effect by effect, on the real engine: the
// screens around the play, and each recorded game given, frame by frame as
// the player sees them. Or records a game that shows every effect.
//
//   flashes [--data FOLDER] [--map FOLDER] [--no-screens] [REPLAY...]
//   flashes [--data FOLDER] --record FILE [--seed N] [--frames N]
//
// --map writes, for each run of frames, a picture of where it flashed: dark
// grey up to one flash a second, yellow up to three, red past three. SDL's
// offscreen driver is used unless SDL_VIDEODRIVER names another. The exit
// status is 1 when an effect flashes past the guideline, 2 on an error.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "flashmeter.h"
#include "flashreel.h"
#include "platform/PictureCodec.h"
#include "recording.h"

#ifndef ZUNK_DATA_DIR
#define ZUNK_DATA_DIR "data"
#endif

namespace {
const char kUsage[] = "usage: flashes [--data FOLDER] [--map FOLDER] [--no-screens] [REPLAY...]\n"
                      "       flashes [--data FOLDER] --record FILE [--seed N] [--frames N]\n";
const int kScreenWidth = 320, kScreenHeight = 480;

// A picture of each pixel's busiest second.
bool writeMap(const flashes::Meter &meter, const std::string &path) {
  const std::vector<float> map = meter.busiestMap();
  std::vector<unsigned char> rgba(map.size() * 4);
  for (size_t p = 0; p < map.size(); p++) {
    const float v = map[p];
    const unsigned char grey = v > 0 ? 70 : 0;
    unsigned char *o = &rgba[p * 4];
    o[0] = v > flashes::kMostFlashes ? 255 : v > 1 ? 230 : grey;
    o[1] = v > flashes::kMostFlashes ? 0 : v > 1 ? 200 : grey;
    o[2] = v > 1 ? 0 : grey;
    o[3] = 255;
  }
  return platform::encodePicture(path.c_str(), platform::PictureFormat::PNG, meter.width(), meter.height(), rgba.data(),
                                 platform::PixelOrder::TopDownRGBA);
}

// Measures one run of frames and prints its figures; whether every effect,
// and all of them together, kept to the guideline.
template <class Run> bool measure(const std::string &title, const std::string &mapPath, Run run) {
  flashes::Meter meter(kScreenWidth, kScreenHeight, flashes::effectNames());
  run([&](const unsigned char *rgba, int width, int height, const std::vector<flashes::Area> &areas) {
    if (width == meter.width() && height == meter.height()) meter.add(rgba, areas);
  });
  std::printf("\n%s: %d frames (%.1f s)\n%s", title.c_str(), meter.frames(), meter.frames() / 80.0,
              flashes::report(meter).c_str());
  bool within = flashes::withinGuideline(meter, meter.everything());
  for (size_t e = 0; e < meter.effects().size(); e++) {
    const flashes::Figures &f = meter.effect(static_cast<int>(e));
    within = within && flashes::withinGuideline(meter, f);
    if (f.mostFlashesASecond > flashes::kMostFlashes)
      std::printf("  %s: busiest at (%d, %d) in the second to frame %d; most pixels past 3/s in frame %d\n",
                  meter.effects()[e].c_str(), f.busiestX, f.busiestY, f.busiestFrame, f.largestFailingFrame);
  }
  if (!mapPath.empty() && !writeMap(meter, mapPath)) std::fprintf(stderr, "%s: not written\n", mapPath.c_str());
  return within;
}

void printFacts(const flashes::PlayFacts &f) {
  std::printf("  shown: bombs %d, hammers %d, clocks %d, targets %d, row clears %d; %d clouds; %d frames with a lit "
              "brick, %d paused, %d of GAME OVER; score %d\n",
              f.bonuses[kBomb], f.bonuses[kHammer], f.bonuses[kClock], f.bonuses[kTarget], f.bonuses[kRowClear],
              f.clouds, f.litFrames, f.pausedFrames, f.gameOverFrames, f.score);
}

std::string baseName(const std::string &path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}
} // namespace

int main(int argc, char **argv) {
  std::string data = ZUNK_DATA_DIR, record, maps;
  unsigned seed = 1;
  int mostFrames = 12000;
  bool screens = true;
  std::vector<std::string> replays;
  for (int i = 1; i < argc; i++) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--data" && more)
      data = argv[++i];
    else if (a == "--map" && more)
      maps = argv[++i];
    else if (a == "--record" && more)
      record = argv[++i];
    else if (a == "--seed" && more)
      seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--frames" && more)
      mostFrames = std::atoi(argv[++i]);
    else if (a == "--no-screens")
      screens = false;
    else if (!a.empty() && a[0] != '-')
      replays.push_back(a);
    else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);

  // The recordings are read before the game starts: a bad one stops here.
  std::vector<Recording> recordings(replays.size());
  for (size_t i = 0; i < replays.size(); i++) {
    std::string error;
    if (!loadRecording(replays[i], recordings[i], error)) {
      std::fprintf(stderr, "%s: %s\n", replays[i].c_str(), error.c_str());
      return 2;
    }
  }

  flashes::Stage stage(data);
  if (!stage.ready()) {
    std::fprintf(stderr, "flashes: %s\n", stage.error().c_str());
    return 2;
  }
  if (!record.empty()) {
    const Recording r = stage.recordGame(seed, mostFrames);
    std::string error;
    if (!saveRecording(record, r, error)) {
      std::fprintf(stderr, "%s: %s\n", record.c_str(), error.c_str());
      return 2;
    }
    std::printf("%s: %zu frames, score %d%s\n", record.c_str(), r.frames.size(), r.score, r.ended ? ", GAME OVER" : "");
    return 0;
  }

  std::printf("Flashes counted pixel by pixel, each second (%d frames) at a time: a flash is a pair of opposing "
              "changes\nof a tenth of the luminance or more (the darker state below 0.8), or of saturated red. "
              "\"most/s\" is a\npixel's busiest second; \"flashing\" the pixels with a flash in the same second, at "
              "most; \"past 3/s\"\nthose with more than %d, at most: the guideline allows a quarter of the screen "
              "(%dx%d). \"in a quarter\"\nis the same inside the worst quarter of the screen (%dx%d anywhere), "
              "marked * past a quarter of it.\nA change is laid to every effect that drew at its pixel in its "
              "frame or the one before.\n",
              flashes::kWindowFrames, flashes::kMostFlashes, kScreenWidth, kScreenHeight, kScreenWidth / 2,
              kScreenHeight / 2);
  auto mapFor = [&](const std::string &name) { return maps.empty() ? maps : maps + "/" + name + ".png"; };
  bool within = true;
  if (screens)
    within =
        measure("the screens", mapFor("screens"), [&](const flashes::FrameSink &sink) { stage.playScreens(sink); });
  for (size_t i = 0; i < recordings.size(); i++) {
    flashes::PlayFacts facts;
    bool same = true;
    const bool kept = measure(replays[i], mapFor(baseName(replays[i])), [&](const flashes::FrameSink &sink) {
      same = stage.playRecording(recordings[i], sink, facts);
    });
    within = kept && within;
    printFacts(facts);
    if (!same) {
      std::fprintf(stderr, "%s: does not replay as it was recorded\n", replays[i].c_str());
      return 2;
    }
  }
  std::printf("\n%s\n", within ? "Every effect keeps to the guideline." : "An effect flashes past the guideline.");
  return within ? 0 : 1;
}
