#pragma once

// Flashes counted as the accessibility guidelines define them, pixel by
// pixel over a run of frames, and told apart by the effect that showed them.
//
// A general flash is a pair of opposing changes in relative luminance, each
// of a tenth of the maximum or more, where the darker of the two states is
// below 0.8; a red flash is a pair of opposing changes in saturated red.
// The guideline: no more than three flashes in any one second over more
// than a quarter of the screen. The guidelines themselves say: a quarter
// of any 10-degree field of view, about 341 by 256 pixels of a desktop
// screen at the usual distance, which is about a quarter of the game's
// window at twice its size (as it opens on a 1080-line desktop); so the
// worst quarter of the screen (half its width by half its height,
// anywhere) is measured too, and a quarter of it may fail at most.
//
// Each pixel's luminance and saturated red are followed frame by frame; a
// change counts once it reaches its size, and the next counts once the
// value has come back the other way by as much. Whatever moves across a
// pixel counts too (an edge passing is a change), so a moving picture is
// measured as strictly as a blinking one.

#include <cstdint>
#include <string>
#include <vector>

namespace flashes {

/// A general transition: relative luminance changes by this much or more,
/// the darker state below kDarkerBelow.
const float kLuminanceStep = 0.1f;
const float kDarkerBelow = 0.8f;
/// A red transition: saturated red, (R - G - B) x 320 of the linear values
/// (none below 0), changes by more than this; a colour is saturated red
/// when R is at least kSaturatedRed of R + G + B.
const float kRedStep = 20;
const float kSaturatedRed = 0.8f;
/// A flash is two transitions; more than kMostFlashes in any kWindowFrames
/// (one second at the game's 80 frames a second) is too many.
const int kWindowFrames = 80;
const int kMostFlashes = 3;
/// Too many flashes over more than this share of the area looked at fails.
const double kMostFailingShare = 0.25;

/// Part of the screen that an effect drew on in a frame, (x1, y1)-(x2, y2),
/// the second corner exclusive; clipped to the screen.
struct Area {
  int effect;
  int x1, y1, x2, y2;
};

/// What was measured of one effect (or of the whole picture).
struct Figures {
  int frames = 0;                ///< frames in which the effect was shown
  int transitions = 0;           ///< changes counted in its areas, both kinds
  double mostFlashesASecond = 0; ///< at any pixel, general flashes in its busiest second
  double mostRedFlashesASecond = 0;
  int largestFlashingArea = 0; ///< pixels with a flash in the same second, at most
  int largestFailingArea = 0;  ///< pixels past kMostFlashes a second at once, at most
  int worstQuarterFailing = 0; ///< the same, inside the worst quarter of the screen
  int failingEver = 0;         ///< pixels that were past it at any time
  int firstFailingFrame = -1;
  /// Where and when the busiest second of general flashes ended.
  int busiestX = -1, busiestY = -1, busiestFrame = -1;
  /// The frame in which the most pixels were past kMostFlashes a second.
  int largestFailingFrame = -1;
};

class Meter {
public:
  /// A screen of `width` by `height` pixels on which the effects named
  /// `effects` are shown (an Area's effect indexes this list).
  Meter(int width, int height, std::vector<std::string> effects);

  /// The next frame shown: `rgba` its pixels, top row first, four bytes
  /// each; `areas` where each effect drew in it. A change at a pixel is
  /// laid to the effects that drew there in this frame or the one before;
  /// one that none drew is laid to `unattributed`.
  void add(const unsigned char *rgba, const std::vector<Area> &areas);

  int width() const { return width_; }
  int height() const { return height_; }
  int frames() const { return frame_; }
  /// The whole picture, as the player sees it, whatever showed it.
  const Figures &everything() const { return figures_[kEverything]; }
  const Figures &unattributed() const { return figures_[kUnattributed]; }
  const Figures &effect(int index) const { return figures_[kFirstEffect + index]; }
  const std::vector<std::string> &effects() const { return names_; }
  /// Each pixel's most flashes in one second, of either kind, whatever
  /// showed them: a map of where the picture flashes.
  std::vector<float> busiestMap() const;
  /// A quarter of the screen: half its width by half its height.
  int quarterWidth() const { return width_ / 2; }
  int quarterHeight() const { return height_ / 2; }

private:
  static constexpr int kEverything = 0, kUnattributed = 1, kFirstEffect = 2;
  // A value followed at one pixel: the extreme the last change started
  // from, the extreme reached since (each with whether that state can make
  // a change count: darker than kDarkerBelow, or saturated red), which way
  // it goes, and whether the change under way has been counted.
  struct Swing {
    float from = 0, reached = 0;
    bool fromCounts = false, reachedCounts = false;
    int8_t rising = 1;
    bool counted = false;
  };
  // Whether `value` (a state that `counts` or not) completes a change at `s`.
  static bool follow(Swing &s, float value, bool counts, float step, bool strictly);
  // One slot of figures: per pixel the changes of each kind in the last
  // second, and the pixels at or past one flash and past kMostFlashes.
  struct Counts {
    std::vector<uint16_t> general, red;
    std::vector<uint8_t> failedEver;
    int flashing = 0, failing = 0;
  };
  void count(int slot, int pixel, bool red, int delta);
  int worstQuarter(const Counts &c) const;

  int width_, height_, frame_ = 0;
  std::vector<std::string> names_;
  std::vector<Swing> luminance_, redness_;
  std::vector<uint16_t> busiest_;
  // The frame before, to pass over the pixels that did not change.
  std::vector<unsigned char> before_;
  std::vector<Figures> figures_;
  std::vector<Counts> counts_;
  // The effects each pixel was drawn by, this frame and the one before.
  std::vector<uint64_t> drawnNow_, drawnBefore_;
  // Each change of the last second: its pixel, its kind and its slots.
  struct Change {
    int pixel;
    bool red;
    uint64_t slots;
  };
  std::vector<std::vector<Change>> lastSecond_;
};

/// The figures of `meter` as a table, one row an effect shown.
std::string report(const Meter &meter);
/// Whether `f` is within the guideline on `meter`'s screen: past
/// kMostFlashes a second over a quarter of the screen at most.
bool withinGuideline(const Meter &meter, const Figures &f);
/// Whether `f` is past kMostFlashes a second over more than a quarter of
/// the screen's worst quarter: the guidelines' own reading, for a window
/// twice the game's size.
bool pastInWorstQuarter(const Meter &meter, const Figures &f);

} // namespace flashes
