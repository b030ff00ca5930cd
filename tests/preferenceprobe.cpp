// Prints what the engine reads of the user's wishes for less motion and
// more contrast: "calm=0|1 contrast=0|1". Run by preferences.sh against a
// session bus of its own.

#include <cstdio>

#include "KMiscTools.h"

int main() {
  std::printf("calm=%d contrast=%d\n", KMiscTools::prefersReducedMotion() ? 1 : 0,
              KMiscTools::prefersMoreContrast() ? 1 : 0);
  return 0;
}
