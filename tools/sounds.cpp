#include "sounds.h"

#include "oggwriter.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {
const int kRate = 44100;
const double kPi = 3.14159265358979;

struct Sound {
  std::vector<float> left, right;
  explicit Sound(double seconds) : left(static_cast<size_t>(seconds * kRate)), right(left.size()) {}
  size_t size() const { return left.size(); }
};

// A small repeatable noise source, so every run writes the same files.
struct Noise {
  uint32_t state = 12345;
  float next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
  }
};

double envelope(double t, double attack, double decay) {
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / decay);
}

void addTone(Sound &s, double start, double length, double f0, double f1, double amp, double attack, double decay,
             double pan = 0, bool square = false) {
  double phase = 0;
  size_t a = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
  for (size_t i = 0; i < n && a + i < s.size(); i++) {
    double t = static_cast<double>(i) / kRate;
    double f = f0 + (f1 - f0) * (t / length);
    phase += 2 * kPi * f / kRate;
    double w = square ? (std::sin(phase) > 0 ? 0.6 : -0.6) + 0.4 * std::sin(phase) : std::sin(phase);
    double v = w * amp * envelope(t, attack, decay);
    s.left[a + i] += static_cast<float>(v * (1 - pan) / 1);
    s.right[a + i] += static_cast<float>(v * (1 + pan) / 1);
  }
}

void addNoise(Sound &s, double start, double length, double amp, double attack, double decay, double smooth0,
              double smooth1) {
  Noise noise;
  double lp = 0;
  size_t a = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
  for (size_t i = 0; i < n && a + i < s.size(); i++) {
    double t = static_cast<double>(i) / kRate;
    double k = smooth0 + (smooth1 - smooth0) * t / length;
    lp += (noise.next() - lp) * k;
    double v = lp * amp * envelope(t, attack, decay);
    s.left[a + i] += static_cast<float>(v);
    s.right[a + i] += static_cast<float>(v);
  }
}

// Brings the peak to `peak` and fades the last few milliseconds, so no sound
// clips or clicks at its end.
void finish(Sound &s, double peak) {
  float m = 0;
  for (size_t i = 0; i < s.size(); i++) m = std::max({m, std::fabs(s.left[i]), std::fabs(s.right[i])});
  double g = m > 0 ? peak / m : 1;
  size_t fade = std::min<size_t>(s.size(), kRate / 200);
  for (size_t i = 0; i < s.size(); i++) {
    double f = i >= s.size() - fade ? static_cast<double>(s.size() - i) / fade : 1;
    double in = i < 64 ? i / 64.0 : 1;
    s.left[i] = static_cast<float>(s.left[i] * g * f * in);
    s.right[i] = static_cast<float>(s.right[i] * g * f * in);
  }
}

bool writeOgg(const std::string &path, const Sound &s, bool stereo, float quality) {
  return ::writeOgg(path, s.left, s.right, stereo, kRate, quality);
}

double note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

Sound music() {
  // A cheerful tune in C major: a bouncing bass, chords and a melody, four
  // times through a 16-bar form with a little change on each pass.
  const double beat = 60.0 / 132;
  const int bars = 64;
  Sound s(bars * 4 * beat + 1.5);
  const int chordRoots[8] = {-9, -4, -2, -9, -5, -4, -7, -2}; // C F G C A- F D- G (from A4)
  const int melody[32] = {3, 7, 10, 7, 8, 12, 10, 8, 7, 5, 3, 5, 7, 7, 10, -1,
                          12, 10, 8, 7, 8, 10, 12, 15, 14, 12, 10, 8, 7, 5, 3, -1};
  for (int bar = 0; bar < bars; bar++) {
    double t0 = bar * 4 * beat;
    int root = chordRoots[bar % 8];
    int pass = bar / 16;
    for (int b = 0; b < 4; b++) {
      int bassNote = root - 12 + (b % 2 ? 7 : 0);
      addTone(s, t0 + b * beat, beat * 0.9, note(bassNote), note(bassNote), 0.35, 0.005, 0.18, 0, false);
    }
    bool minor = root == -12 || root == -7;
    int third = minor ? 3 : 4;
    for (int b = 0; b < 4; b++)
      for (int k : {0, third, 7})
        addTone(s, t0 + b * beat + beat * 0.5, beat * 0.4, note(root + k), note(root + k), 0.06, 0.004, 0.08,
                k == third ? 0.4 : -0.3, true);
    if (pass != 2 || bar % 2 == 0) {
      for (int h = 0; h < 4; h++) {
        int m = melody[(bar % 8) * 4 + h];
        if (m < 0) continue;
        addTone(s, t0 + h * beat, beat * 0.95, note(m), note(m), 0.22, 0.01, 0.35, 0.15, false);
        addTone(s, t0 + h * beat, beat * 0.95, note(m + 12), note(m + 12), 0.04, 0.01, 0.2, 0.15, false);
      }
    }
    // Brushed hats on the off-beats.
    for (int b = 0; b < 4; b++) addNoise(s, t0 + b * beat + beat * 0.5, 0.05, 0.06, 0.001, 0.015, 0.9, 0.9);
  }
  addTone(s, bars * 4 * beat, 1.4, note(-9), note(-9), 0.3, 0.01, 0.5, 0, false);
  addTone(s, bars * 4 * beat, 1.4, note(-5), note(-5), 0.2, 0.01, 0.5, 0, false);
  addTone(s, bars * 4 * beat, 1.4, note(3), note(3), 0.2, 0.01, 0.5, 0, false);
  finish(s, 0.7);
  return s;
}
} // namespace

bool makeSounds(const std::string &folder) {
  bool ok = true;
  {
    Sound s(0.45); // a line drops in: a soft low thud with a rattle
    addTone(s, 0, 0.45, 140, 55, 1, 0.003, 0.12);
    addNoise(s, 0, 0.2, 0.35, 0.002, 0.05, 0.2, 0.05);
    finish(s, 0.75);
    ok &= writeOgg(folder + "/fall.ogg", s, false, 0.4f);
  }
  const double breakPitch[3] = {880, 1046.5, 1318.5};
  for (int i = 0; i < 3; i++) {
    Sound s(0.3); // a brick breaks: a bright plink over a crumble
    addTone(s, 0, 0.3, breakPitch[i], breakPitch[i] * 0.98, 0.8, 0.002, 0.07);
    addTone(s, 0, 0.3, breakPitch[i] * 1.5, breakPitch[i] * 1.5, 0.3, 0.002, 0.04);
    addNoise(s, 0, 0.15, 0.4, 0.001, 0.03, 0.6, 0.2);
    finish(s, 0.7);
    char name[32];
    std::snprintf(name, sizeof name, "/good%d.ogg", i + 1);
    ok &= writeOgg(folder + name, s, false, 0.4f);
  }
  {
    Sound s(0.9); // the bomb
    addNoise(s, 0, 0.9, 1, 0.004, 0.22, 0.5, 0.03);
    addTone(s, 0, 0.6, 90, 40, 0.8, 0.003, 0.15);
    finish(s, 0.8);
    ok &= writeOgg(folder + "/bomb.ogg", s, false, 0.4f);
  }
  {
    Sound s(0.6); // the hammer: a metal clang
    for (double h : {1.0, 2.76, 5.4, 8.9}) addTone(s, 0, 0.6, 310 * h, 310 * h, 0.5 / h, 0.001, 0.12 / std::sqrt(h));
    addNoise(s, 0, 0.05, 0.5, 0.0005, 0.01, 0.9, 0.9);
    finish(s, 0.75);
    ok &= writeOgg(folder + "/hammer.ogg", s, false, 0.4f);
  }
  {
    Sound s(0.12); // the clock: a wooden tick
    addTone(s, 0, 0.12, 2000, 1800, 0.6, 0.0005, 0.012);
    addNoise(s, 0, 0.03, 0.4, 0.0005, 0.006, 0.8, 0.8);
    finish(s, 0.75);
    ok &= writeOgg(folder + "/clock.ogg", s, false, 0.4f);
  }
  {
    Sound s(0.5); // the throw: a rising whoosh
    addNoise(s, 0, 0.5, 1, 0.12, 0.15, 0.02, 0.35);
    addTone(s, 0, 0.4, 300, 900, 0.15, 0.05, 0.15);
    finish(s, 0.65);
    ok &= writeOgg(folder + "/ghoulsfire.ogg", s, false, 0.4f);
  }
  {
    Sound s(0.08); // the menu click
    addTone(s, 0, 0.08, 1500, 1200, 0.7, 0.001, 0.015);
    finish(s, 0.6);
    ok &= writeOgg(folder + "/extralife.ogg", s, false, 0.4f);
  }
  ok &= writeOgg(folder + "/monkey.ogg", music(), true, 0.3f);
  return ok;
}
