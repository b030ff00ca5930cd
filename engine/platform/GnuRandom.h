#pragma once

// The GNU C library's random number generator, for a C library that has
// another: the game draws from the unseeded rand() and keeps rand()'s
// position in its replays, so a browser's build must draw the same numbers
// from the same position as the desktop's, and keep it in the same layout.
// Plain arithmetic; CRandom.cpp puts the C functions over it where needed.

#include <cstddef>
#include <cstdint>

namespace platform {

/// random(), srandom(), initstate() and setstate() as the GNU C library
/// has them (rand() is random(), srand() srandom()). A state is an array of
/// 32-bit words: its first word says the kind of generator (0 to 4, by the
/// array's size) and, for the additive feedback kinds, where its rear
/// pointer stands, as kind + 5 x index; the generator's words follow.
/// Unseeded, the generator is kind 3 (31 words) as seeded with 1.
class GnuRandom {
public:
  GnuRandom();
  // The state points into itself.
  GnuRandom(const GnuRandom &) = delete;
  GnuRandom &operator=(const GnuRandom &) = delete;
  /// The next number, 0 to 2^31 - 1.
  int32_t next();
  /// Starts the current state's generator afresh from `seed` (0 counts as 1).
  void seed(unsigned seed);
  /// Makes the `size` bytes at `state` (at least 8) the current state,
  /// seeded with `seed`; gives the state left, its position written into its
  /// first word, or null for a size too small.
  char *initState(unsigned seed, char *state, size_t size);
  /// Goes on from the state at `state`, as its first word says; gives the
  /// state left (its position written into its first word), or null for a
  /// first word that names no kind or a rear pointer outside the array.
  char *setState(char *state);

private:
  static constexpr int kKinds = 5;
  static constexpr int kDefaultKind = 3;
  static constexpr int kDefaultDegree = 31;

  void savePosition();

  int32_t table_[kDefaultDegree + 1]; ///< the unseeded state: its first word, then its words
  int32_t *state_;                    ///< the generator's words, just after the first word
  int32_t *front_ = nullptr, *rear_ = nullptr, *end_ = nullptr;
  int kind_ = kDefaultKind, degree_ = kDefaultDegree, separation_ = 3;
};

} // namespace platform
