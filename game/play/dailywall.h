#pragma once

// The daily wall: one game a day that everyone plays on the same wall. Its
// random numbers come from a generator of its own (the GNU C library's
// additive one, as everywhere the game runs) seeded from the day, and
// nothing else draws from it; ordinary games and the menu go on drawing
// from rand() as they always have.

#include <cstdint>

#include "KRandom.h"
#include "calendar.h"
#include "playstate.h"

/// The seed of a day's wall: the day as the number YYYYMMDD (20261209).
inline uint32_t dailySeed(Day day) { return static_cast<uint32_t>(day); }

/// A day's numbers, in order, as the game draws them; counted.
class DailyDraws : public RandomSource {
public:
  explicit DailyDraws(Day day) : generator_(dailySeed(day)) {}
  int draw() override {
    drawn_++;
    return generator_.next();
  }
  uint32_t drawn() const { return drawn_; }

private:
  KRandom generator_;
  uint32_t drawn_ = 0;
};
