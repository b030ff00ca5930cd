#include "flashmeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace flashes {

namespace {
// sRGB's 8-bit values as the linear light they stand for.
struct Linear {
  float of[256];
  Linear() {
    for (int i = 0; i < 256; i++) {
      const double c = i / 255.0;
      of[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
  }
};
const Linear kLinear;

const int kTooManyChanges = 2 * kMostFlashes; // more than this in a second fails

std::string percent(int pixels, int of) {
  char text[32];
  std::snprintf(text, sizeof text, "%6d %5.1f%%", pixels, 100.0 * pixels / of);
  return text;
}
} // namespace

Meter::Meter(int width, int height, std::vector<std::string> effects)
    : width_(width), height_(height), names_(std::move(effects)) {
  const size_t pixels = static_cast<size_t>(width) * height;
  luminance_.resize(pixels);
  busiest_.assign(pixels, 0);
  redness_.resize(pixels);
  const size_t slots = kFirstEffect + names_.size();
  figures_.resize(slots);
  counts_.resize(slots);
  for (Counts &c : counts_) {
    c.general.assign(pixels, 0);
    c.red.assign(pixels, 0);
    c.failedEver.assign(pixels, 0);
  }
  drawnNow_.assign(pixels, 0);
  drawnBefore_.assign(pixels, 0);
  lastSecond_.resize(kWindowFrames);
}

bool Meter::follow(Swing &s, float value, bool counts, float step, bool strictly) {
  if (s.rising > 0 ? value > s.reached : value < s.reached) {
    // The change goes on.
    s.reached = value;
    s.reachedCounts = counts;
  } else if (std::fabs(value - s.reached) >= step) {
    // It has come back by a whole step: the extreme reached is where the
    // next change starts.
    s.from = s.reached;
    s.fromCounts = s.reachedCounts;
    s.reached = value;
    s.reachedCounts = counts;
    s.rising = static_cast<int8_t>(-s.rising);
    s.counted = false;
  }
  if (s.counted || !(s.fromCounts || s.reachedCounts)) return false;
  const float size = std::fabs(s.reached - s.from);
  if (strictly ? !(size > step) : !(size >= step)) return false;
  s.counted = true;
  return true;
}

void Meter::count(int slot, int pixel, bool red, int delta) {
  Counts &c = counts_[slot];
  uint16_t &n = red ? c.red[pixel] : c.general[pixel];
  const int other = red ? c.general[pixel] : c.red[pixel];
  const int before = std::max<int>(n, other);
  n = static_cast<uint16_t>(n + delta);
  const int after = std::max<int>(n, other);
  c.flashing += (after >= 2) - (before >= 2);
  c.failing += (after > kTooManyChanges) - (before > kTooManyChanges);
  if (delta < 0) return;
  if (slot == kEverything) busiest_[pixel] = std::max<uint16_t>(busiest_[pixel], n);
  Figures &f = figures_[slot];
  f.transitions++;
  double &most = red ? f.mostRedFlashesASecond : f.mostFlashesASecond;
  if (n / 2.0 > most && !red) {
    f.busiestX = pixel % width_;
    f.busiestY = pixel / width_;
    f.busiestFrame = frame_;
  }
  most = std::max(most, n / 2.0);
  if (after > kTooManyChanges && !c.failedEver[pixel]) {
    c.failedEver[pixel] = 1;
    f.failingEver++;
    if (f.firstFailingFrame < 0) f.firstFailingFrame = frame_;
  }
}

int Meter::worstQuarter(const Counts &c) const {
  // The failing pixels summed over every rectangle from the top left, then
  // each place of the quarter on the screen looked at.
  const int w = width_, h = height_, fw = quarterWidth(), fh = quarterHeight();
  std::vector<int> sum(static_cast<size_t>(w + 1) * (h + 1), 0);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const int p = y * w + x;
      const int failing = std::max(c.general[p], c.red[p]) > kTooManyChanges;
      sum[(y + 1) * (w + 1) + x + 1] =
          failing + sum[y * (w + 1) + x + 1] + sum[(y + 1) * (w + 1) + x] - sum[y * (w + 1) + x];
    }
  int worst = 0;
  for (int y = 0; y + fh <= h; y++)
    for (int x = 0; x + fw <= w; x++) {
      const int in = sum[(y + fh) * (w + 1) + x + fw] - sum[y * (w + 1) + x + fw] - sum[(y + fh) * (w + 1) + x] +
                     sum[y * (w + 1) + x];
      worst = std::max(worst, in);
    }
  return worst;
}

void Meter::add(const unsigned char *rgba, const std::vector<Area> &areas) {
  const int pixels = width_ * height_;
  drawnBefore_.swap(drawnNow_);
  std::fill(drawnNow_.begin(), drawnNow_.end(), 0);
  std::vector<bool> shown(names_.size(), false);
  for (const Area &a : areas) {
    if (a.effect < 0 || a.effect >= static_cast<int>(names_.size())) continue;
    const uint64_t bit = uint64_t(1) << (kFirstEffect + a.effect);
    const int x1 = std::max(0, a.x1), y1 = std::max(0, a.y1);
    const int x2 = std::min(width_, a.x2), y2 = std::min(height_, a.y2);
    shown[a.effect] = true;
    for (int y = y1; y < y2; y++)
      for (int x = x1; x < x2; x++) drawnNow_[y * width_ + x] |= bit;
  }
  for (size_t e = 0; e < names_.size(); e++)
    if (shown[e]) figures_[kFirstEffect + e].frames++;
  figures_[kEverything].frames++;

  // The changes a second old leave the count.
  std::vector<Change> &slot = lastSecond_[frame_ % kWindowFrames];
  for (const Change &c : slot)
    for (int s = 0; s < static_cast<int>(counts_.size()); s++)
      if (c.slots >> s & 1) count(s, c.pixel, c.red, -1);
  slot.clear();

  const bool first = frame_ == 0;
  for (int p = 0; p < pixels; p++) {
    const unsigned char *px = rgba + 4 * p;
    // A pixel as it was changes nothing of what is followed there.
    if (!first && std::equal(px, px + 3, &before_[4 * p])) continue;
    const float r = kLinear.of[px[0]], g = kLinear.of[px[1]], b = kLinear.of[px[2]];
    const float luminance = 0.2126f * r + 0.7152f * g + 0.0722f * b;
    const float red = std::max(0.f, r - g - b) * 320;
    const bool dark = luminance<kDarkerBelow, saturated = r> 0 && r >= kSaturatedRed * (r + g + b);
    if (first) {
      luminance_[p] = {luminance, luminance, dark, dark, 1, false};
      redness_[p] = {red, red, saturated, saturated, 1, false};
      continue;
    }
    const bool general = follow(luminance_[p], luminance, dark, kLuminanceStep, false);
    const bool reddened = follow(redness_[p], red, saturated, kRedStep, true);
    if (!general && !reddened) continue;
    uint64_t slots = drawnNow_[p] | drawnBefore_[p];
    if (!slots) slots = uint64_t(1) << kUnattributed;
    slots |= uint64_t(1) << kEverything;
    for (bool isRed : {false, true}) {
      if (!(isRed ? reddened : general)) continue;
      slot.push_back({p, isRed, slots});
      for (int s = 0; s < static_cast<int>(counts_.size()); s++)
        if (slots >> s & 1) count(s, p, isRed, +1);
    }
  }
  before_.assign(rgba, rgba + 4 * pixels);
  for (size_t s = 0; s < counts_.size(); s++) {
    const Counts &c = counts_[s];
    Figures &f = figures_[s];
    f.largestFlashingArea = std::max(f.largestFlashingArea, c.flashing);
    if (c.failing > f.largestFailingArea) {
      f.largestFailingArea = c.failing;
      f.largestFailingFrame = frame_;
    }
    // No quarter holds more than the whole screen does.
    if (c.failing > f.worstQuarterFailing) f.worstQuarterFailing = std::max(f.worstQuarterFailing, worstQuarter(c));
  }
  frame_++;
}

std::vector<float> Meter::busiestMap() const {
  std::vector<float> map(busiest_.size());
  for (size_t p = 0; p < map.size(); p++) map[p] = busiest_[p] / 2.f;
  return map;
}

bool withinGuideline(const Meter &meter, const Figures &f) {
  return f.largestFailingArea <= kMostFailingShare * meter.width() * meter.height();
}

bool pastInWorstQuarter(const Meter &meter, const Figures &f) {
  return f.worstQuarterFailing > kMostFailingShare * meter.quarterWidth() * meter.quarterHeight();
}

std::string report(const Meter &meter) {
  const int screen = meter.width() * meter.height(), quarter = meter.quarterWidth() * meter.quarterHeight();
  char line[512];
  std::snprintf(line, sizeof line, "%-22s %6s %8s %6s %6s  %-13s  %-13s  %-14s  %-13s  %s\n", "effect", "frames",
                "changes", "most/s", "red/s", "flashing", "past 3/s", "in a quarter", "ever past", "guideline");
  std::string out = line;
  auto row = [&](const std::string &name, const Figures &f) {
    std::snprintf(line, sizeof line, "%-22s %6d %8d %6.1f %6.1f  %s  %s  %s%s  %s  %s\n", name.c_str(), f.frames,
                  f.transitions, f.mostFlashesASecond, f.mostRedFlashesASecond,
                  percent(f.largestFlashingArea, screen).c_str(), percent(f.largestFailingArea, screen).c_str(),
                  percent(f.worstQuarterFailing, quarter).c_str(), pastInWorstQuarter(meter, f) ? "*" : " ",
                  percent(f.failingEver, screen).c_str(), withinGuideline(meter, f) ? "within" : "FAILS");
    out += line;
  };
  for (size_t e = 0; e < meter.effects().size(); e++) {
    const Figures &f = meter.effect(static_cast<int>(e));
    if (f.frames || f.transitions) row(meter.effects()[e], f);
  }
  if (meter.unattributed().transitions) row("(drawn by none above)", meter.unattributed());
  row("everything shown", meter.everything());
  return out;
}

} // namespace flashes
