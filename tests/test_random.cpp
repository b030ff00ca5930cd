// The GNU C library's generator as the browser's build draws from it,
// against the GNU C library itself: the same numbers, unseeded and seeded
// with any number, states of every size laid out word for word as it lays
// them out, and a position kept and taken back as the game keeps it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "KRandom.h"
#include "platform/GnuRandom.h"

namespace {

using platform::GnuRandom;

// 32-bit words, so that a state array is aligned as the C library needs.
using State = std::vector<int32_t>;

TEST(GnuRandom, UnseededItDrawsTheNumbersTheCLibraryDraws) {
  GnuRandom ours;
  // The C library's own, unseeded: a state of 128 bytes seeded with 1.
  State theirs(32);
  random_data data{};
  ASSERT_EQ(initstate_r(1, reinterpret_cast<char *>(theirs.data()), 128, &data), 0);
  // rand()'s first number on every GNU system.
  int32_t first = ours.next(), expected;
  random_r(&data, &expected);
  EXPECT_EQ(first, 1804289383);
  EXPECT_EQ(first, expected);
  for (int i = 0; i < 200000; i++) {
    random_r(&data, &expected);
    ASSERT_EQ(ours.next(), expected) << "number " << i + 1;
  }
}

TEST(GnuRandom, SeededItDrawsWhatTheProcesssOwnRandDraws) {
  // srand(1) puts rand() back where an unseeded program starts.
  for (unsigned seed : {1u, 0u, 7u, 2026u, 0xffffffffu}) {
    GnuRandom ours;
    ours.seed(seed);
    std::srand(seed);
    for (int i = 0; i < 5000; i++) ASSERT_EQ(ours.next(), std::rand()) << "seed " << seed << ", number " << i;
  }
  std::srand(1);
}

TEST(GnuRandom, EverySeedAndStateSizeGivesTheCLibrarysStateAndNumbers) {
  for (unsigned seed : {0u, 1u, 2u, 12345u, 0x7fffffffu, 0x80000000u, 0xfffffffeu, 0xffffffffu})
    for (size_t size : {8, 20, 31, 32, 63, 64, 100, 128, 255, 256, 1000}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(size) + " bytes");
      State ourState(size / 4 + 1, -1), theirState(size / 4 + 1, -1);
      GnuRandom ours;
      ASSERT_NE(ours.initState(seed, reinterpret_cast<char *>(ourState.data()), size), nullptr);
      random_data data{};
      ASSERT_EQ(initstate_r(seed, reinterpret_cast<char *>(theirState.data()), size, &data), 0);
      EXPECT_EQ(ourState, theirState);
      for (int i = 0; i < 1000; i++) {
        int32_t expected;
        random_r(&data, &expected);
        ASSERT_EQ(ours.next(), expected) << "number " << i;
      }
      // Reseeded in place, as srandom() does.
      ours.seed(seed + 7);
      ASSERT_EQ(srandom_r(seed + 7, &data), 0);
      for (int i = 0; i < 100; i++) {
        int32_t expected;
        random_r(&data, &expected);
        ASSERT_EQ(ours.next(), expected) << "number " << i << " after srandom";
      }
    }
}

// The game keeps rand()'s position by switching to another state for a
// moment (the one left comes back with its position in its first word) and
// takes it back later with setstate.
struct Kept {
  State position;
  std::vector<int32_t> after; // the numbers drawn from it
};

template <class Init, class Set, class Draw> Kept keepAndTakeBack(Init init, Set set, Draw draw) {
  for (int i = 0; i < 37; i++) draw();
  State other(32);
  char *current = init(1, reinterpret_cast<char *>(other.data()), 128);
  Kept kept;
  kept.position.assign(reinterpret_cast<int32_t *>(current), reinterpret_cast<int32_t *>(current) + 32);
  set(current);
  for (int i = 0; i < 100; i++) kept.after.push_back(draw());
  // Back to the kept position, in an array of its own: the same numbers.
  State again = kept.position;
  char *left = set(reinterpret_cast<char *>(again.data()));
  for (int i = 0; i < 100; i++) EXPECT_EQ(draw(), kept.after[static_cast<size_t>(i)]) << "number " << i;
  set(left);
  return kept;
}

TEST(GnuRandom, APositionKeptAndTakenBackIsTheCLibrarys) {
  State ourArray(32), theirArray(32);
  GnuRandom ours;
  ours.initState(99, reinterpret_cast<char *>(ourArray.data()), 128);
  const Kept ourKept = keepAndTakeBack([&](unsigned s, char *a, size_t n) { return ours.initState(s, a, n); },
                                       [&](char *a) { return ours.setState(a); }, [&] { return ours.next(); });
  // The process's own generator, on an array of the test's, put back after.
  char *processState = initstate(99, reinterpret_cast<char *>(theirArray.data()), 128);
  const Kept theirKept = keepAndTakeBack(initstate, setstate, [] { return static_cast<int32_t>(rand()); });
  setstate(processState);
  EXPECT_EQ(ourKept.position, theirKept.position);
  EXPECT_EQ(ourKept.after, theirKept.after);
  // The rear pointer is somewhere inside: 37 numbers moved it.
  EXPECT_EQ(ourKept.position[0] % 5, 3);
  EXPECT_EQ(ourKept.position[0] / 5, 37 % 31);
}

TEST(GnuRandom, StatesThatNameNoGeneratorAreRefusedAndChangeNothing) {
  GnuRandom ours, same;
  char tooSmall[7];
  EXPECT_EQ(ours.initState(1, tooSmall, sizeof tooSmall), nullptr);
  for (int32_t first : {-1, -3, 6 * 5 + 1 + 5 * 2, 31 * 5 + 3, 63 * 5 + 4}) {
    State bad(64, 0);
    bad[0] = first;
    EXPECT_EQ(ours.setState(reinterpret_cast<char *>(bad.data())), nullptr) << first;
  }
  for (int i = 0; i < 1000; i++) ASSERT_EQ(ours.next(), same.next());
}

// A generator of its own: the numbers rand() gives after srand(seed), drawn
// without moving rand(), and none of another KRandom's.
TEST(KRandom, ASeedGivesRandsNumbersForThatSeedAndLeavesRandAlone) {
  for (unsigned seed : {0u, 1u, 20261209u, 0xffffffffu}) {
    std::srand(seed);
    std::vector<int> expected;
    for (int i = 0; i < 3000; i++) expected.push_back(std::rand());
    std::srand(5);
    const int randBefore = std::rand();
    std::srand(5);
    KRandom ours(seed), other(seed + 1);
    for (int i = 0; i < 3000; i++) {
      other.next();
      ASSERT_EQ(ours.next(), expected[static_cast<size_t>(i)]) << "seed " << seed << ", number " << i;
    }
    EXPECT_EQ(std::rand(), randBefore) << "drawing from a KRandom moved rand()";
  }
  std::srand(1);
}

TEST(KRandom, MovedItGoesOnAndSeededAgainItStartsAgain) {
  KRandom a(77), reference(77);
  for (int i = 0; i < 10; i++) ASSERT_EQ(a.next(), reference.next());
  KRandom b(std::move(a));
  for (int i = 0; i < 10; i++) ASSERT_EQ(b.next(), reference.next()) << "after the move, number " << i;
  b.seed(77);
  KRandom fresh(77);
  for (int i = 0; i < 10; i++) ASSERT_EQ(b.next(), fresh.next()) << "after seeding again, number " << i;
}

} // namespace
