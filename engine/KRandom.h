#pragma once

#include <cstdint>
#include <memory>

namespace platform {
class GnuRandom;
}

/// A random number generator of its own, apart from the C library's rand():
/// the GNU C library's additive feedback generator on its default state (31
/// words), which srand() and rand() use there. A seed gives the same numbers
/// on every platform the engine runs on, a browser's included, and the
/// numbers one KRandom draws change no other, nor rand(): a program can give
/// one part of itself (a game everyone plays from the same seed) numbers
/// nobody else draws from.
class KRandom {
public:
  /// Seeded with `seed` (0 counts as 1): the numbers the GNU C library's
  /// rand() gives after srand(seed).
  explicit KRandom(unsigned seed = 1);
  ~KRandom();
  KRandom(KRandom &&other) noexcept;
  KRandom &operator=(KRandom &&other) noexcept;
  // The generator's state points into itself: it moves, it is not copied.
  KRandom(const KRandom &) = delete;
  KRandom &operator=(const KRandom &) = delete;

  /// Starts again from `seed`, as a new KRandom(seed).
  void seed(unsigned seed);
  /// The next number, 0 to 2^31 - 1.
  int32_t next();

private:
  std::unique_ptr<platform::GnuRandom> generator_;
};
