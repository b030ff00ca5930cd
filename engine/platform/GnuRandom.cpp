#include "GnuRandom.h"

namespace platform {

namespace {
// Each kind's number of words and the distance from the rear pointer to the
// front one; a state array of at least kSmallest[kind] bytes takes that kind.
const int kDegrees[5] = {0, 7, 15, 31, 63};
const int kSeparations[5] = {0, 3, 1, 3, 1};
const size_t kSmallest[5] = {8, 32, 64, 128, 256};
} // namespace

GnuRandom::GnuRandom() {
  state_ = table_ + 1;
  end_ = state_ + degree_;
  seed(1);
  savePosition();
}

void GnuRandom::savePosition() {
  state_[-1] = kind_ == 0 ? 0 : static_cast<int32_t>(kKinds * (rear_ - state_) + kind_);
}

int32_t GnuRandom::next() {
  if (kind_ == 0) {
    // The linear congruential kind keeps one word.
    const int32_t value = static_cast<int32_t>((static_cast<uint32_t>(state_[0]) * 1103515245u + 12345u) & 0x7fffffff);
    state_[0] = value;
    return value;
  }
  const uint32_t sum = static_cast<uint32_t>(*front_) + static_cast<uint32_t>(*rear_);
  *front_ = static_cast<int32_t>(sum);
  // The lowest bit is the least random: it is dropped.
  const int32_t value = static_cast<int32_t>(sum >> 1);
  if (++front_ >= end_) {
    front_ = state_;
    ++rear_;
  } else if (++rear_ >= end_) {
    rear_ = state_;
  }
  return value;
}

void GnuRandom::seed(unsigned seed) {
  if (seed == 0) seed = 1;
  state_[0] = static_cast<int32_t>(seed);
  if (kind_ == 0) return;
  // Each word 16807 times the last, modulo 2^31 - 1, without overflowing.
  int32_t word = static_cast<int32_t>(seed);
  for (int i = 1; i < degree_; i++) {
    const long long high = word / 127773, low = word % 127773;
    word = static_cast<int32_t>(16807 * low - 2836 * high);
    if (word < 0) word += 2147483647;
    state_[i] = word;
  }
  front_ = state_ + separation_;
  rear_ = state_;
  // The first numbers drawn from a fresh state are poor: ten rounds of them go.
  for (int i = 0; i < 10 * degree_; i++) next();
}

char *GnuRandom::initState(unsigned seed, char *state, size_t size) {
  savePosition();
  char *left = reinterpret_cast<char *>(state_ - 1);
  if (size < kSmallest[0]) return nullptr;
  int kind = 0;
  while (kind + 1 < kKinds && size >= kSmallest[kind + 1]) kind++;
  kind_ = kind;
  degree_ = kDegrees[kind];
  separation_ = kSeparations[kind];
  state_ = reinterpret_cast<int32_t *>(state) + 1;
  end_ = state_ + degree_;
  this->seed(seed);
  savePosition();
  return left;
}

char *GnuRandom::setState(char *state) {
  // The position is written first: a state set again is taken where it is.
  savePosition();
  const int32_t *words = reinterpret_cast<const int32_t *>(state);
  const int32_t kind = words[0] % kKinds, rear = words[0] / kKinds;
  if (words[0] < 0 || (kind != 0 && rear >= kDegrees[kind])) return nullptr;
  char *left = reinterpret_cast<char *>(state_ - 1);
  kind_ = kind;
  degree_ = kDegrees[kind];
  separation_ = kSeparations[kind];
  state_ = reinterpret_cast<int32_t *>(state) + 1;
  end_ = state_ + degree_;
  if (kind != 0) {
    rear_ = state_ + rear;
    front_ = state_ + (rear + separation_) % degree_;
  }
  return left;
}

} // namespace platform
