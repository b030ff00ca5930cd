#include <cstdio>
#include <cstring>

#include "catalogue.h"
#include "keptreplays.h"
#include "playerwords.h"
#include "zunk.h"

#ifndef ZUNK_VERSION
#define ZUNK_VERSION "unknown"
#endif

namespace {
const char *usage() {
  return playerCatalogue().translate("Usage: zunk [--help | --version | --replay FILE | --replay-check FILE]\n");
}

void printHelp() {
  const Catalogue &words = playerCatalogue();
  std::fputs(usage(), stdout);
  std::fputs(words.translate("Sling a ball at a wall of coloured bricks before it reaches the top.\n"), stdout);
  std::fputs("\n", stdout);
  // TRANSLATORS: keep the options themselves and the columns' alignment.
  std::fputs(words.translate("  --help     print this text and exit\n"
                             "  --version  print the version and exit\n"),
             stdout);
  // TRANSLATORS: keep the options themselves, "score N" and the columns' alignment.
  std::fputs(words.translate("  --replay FILE        watch a replay, then play on\n"
                             "  --replay-check FILE  play a replay without a window and print its\n"
                             "                       score (\"score N\"); status 1 if it is damaged\n"),
             stdout);
  std::fputs("\n", stdout);
  // TRANSLATORS: the keys' names stay as printed on keyboards; keep the columns aligned.
  std::fputs(words.translate("In the game: drag the ball back and let go, or hold Space, pull with the\n"
                             "arrows and let go; a gamepad's stick pulls and A throws.\n"
                             "  P, Escape          pause and play on (Backspace: paused, to the menu)\n"
                             "  arrows, Tab        move the menu's focus; Return chooses (or PLAY)\n"
                             "  Escape, Return     back from help and high scores\n"
                             "  Space              reset the high-score table (on its screen)\n"
                             "  M, S               music, sound effects off/on\n"
                             "  F11                full screen\n"
                             "  Ctrl+Plus, Ctrl+Minus  a larger, smaller window\n"
                             "  Shift+F6           screenshot\n"
                             "  Ctrl+Q             quit\n"),
             stdout);
}
} // namespace

int main(int argc, char **argv) {
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("zunk %s\n", ZUNK_VERSION);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      printHelp();
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--replay-check") == 0) return checkReplay(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) return zunkMain(argv[2]);
    std::fputs(usage(), stderr);
    return 2;
  }
  return zunkMain();
}
