#include <cstdio>
#include <cstring>

#include "zunk.h"

#ifndef ZUNK_VERSION
#define ZUNK_VERSION "unknown"
#endif

int main(int argc, char **argv) {
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("zunk %s\n", ZUNK_VERSION);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      std::printf("Usage: zunk [--help | --version]\n"
                  "Sling a ball at a wall of coloured bricks before it reaches the top.\n\n"
                  "  --help     print this text and exit\n"
                  "  --version  print the version and exit\n\n"
                  "In the game: drag the ball back and let go, or hold Space, pull with the\n"
                  "arrows and let go; a gamepad's stick pulls and A throws.\n"
                  "  P, Escape          pause and play on (Backspace: paused, to the menu)\n"
                  "  arrows, Tab        move the menu's focus; Return chooses (or PLAY)\n"
                  "  Escape, Return     back from help and high scores\n"
                  "  Space              reset the high-score table (on its screen)\n"
                  "  M, S               music, sound effects off/on\n"
                  "  F11                full screen\n"
                  "  Ctrl+Plus, Ctrl+Minus  a larger, smaller window\n"
                  "  Shift+F6           screenshot\n"
                  "  Ctrl+Q             quit\n");
      return 0;
    }
    std::fprintf(stderr, "Usage: zunk [--help | --version]\n");
    return 2;
  }
  return zunkMain();
}
