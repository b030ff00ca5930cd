// The C library's random numbers as the GNU C library draws them, in a
// build whose C library draws others (a browser's: its rand() is a
// generator of its own, apart from random()'s state). The game's unseeded
// rand() then gives the numbers it gives on the desktop, and the position
// a replay or an unfinished game keeps (initstate, setstate) is rand()'s.
// Linked before the C library, these stand in for its own.

#include <cstdlib>

#include "GnuRandom.h"

namespace {
platform::GnuRandom &generator() {
  static platform::GnuRandom theGenerator;
  return theGenerator;
}
} // namespace

extern "C" {
int rand(void) { return generator().next(); }
void srand(unsigned seed) { generator().seed(seed); }
long random(void) { return generator().next(); }
void srandom(unsigned seed) { generator().seed(seed); }
char *initstate(unsigned seed, char *state, size_t size) { return generator().initState(seed, state, size); }
char *setstate(char *state) { return generator().setState(state); }
}
