#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KMiscTools.h"
#include "calendar.h"
#include "catalogue.h"
#include "keptreplays.h"
#include "playerwords.h"
#include "recordsfile.h"
#include "sentgame.h"
#include "settings.h"
#include "tell.h"
#include "terminaltext.h"
#include "zunk.h"

#ifndef ZUNK_VERSION
#define ZUNK_VERSION "unknown"
#endif

namespace {
// Texts marked for translation where they are listed, translated where they
// are printed (NC_: said in a context).
#define N_(text) text
#define NC_(context, text) text

// --help fits a terminal of the usual width in every language: the options'
// and keys' descriptions in one column after the widest of them, wrapped.
const int kColumns = 80;
const int kIndent = 2, kGap = 2;
const int kWidestTerm = 28; ///< a wider option or key stands on a line of its own

const int kOptions = 7;
const char *const kOptionWords[kOptions] = {
    // TRANSLATORS: what each option of --help does; "score N" is printed as it stands. A records file
    // carries the high scores, their replays, the games left unfinished and the settings from one copy
    // of the game to another (another computer, the game in a browser).
    N_("print this text and exit"), N_("print the version and exit"),
    N_("watch a replay (a file, or a link to a game sent) once it has replayed to the score it claims, then go on "
       "to the menu"),
    N_("play a replay without a window and print its score (\"score N\"); exit status 1 if the file is damaged or "
       "does not replay as it was recorded"),
    N_("write the high scores, their replays, the games left unfinished and the settings to a records file"),
    N_("add a records file's scores, replays and unfinished games to those kept here, and its settings where none "
       "are kept; a damaged file changes nothing (exit status 1)"),
    // TRANSLATORS: --daily's description; YYYY-MM-DD is the placeholder after it (a date, in these letters).
    N_("play that day's daily wall (today's counts as the day's try while it is open; any other is practice)")};

// TRANSLATORS: --help's table of keys: the keys as the keyboards of your
// language print them (the same names as on the help panel), and what they do.
const char *const kKeyWords[][2] = {{NC_("keys", "P, Esc"), N_("pause, and play on")},
                                    {NC_("keys", "Backspace"), N_("in a paused game: back to the menu")},
                                    {NC_("keys", "arrows, Tab"), N_("on the menu: move the focus")},
                                    {NC_("keys", "Return"), N_("on the menu: the focused button, or PLAY")},
                                    {NC_("keys", "Esc, Return"), N_("on the help and high-score screens: back")},
                                    {NC_("keys", "Space, Return"), N_("after GAME OVER: play again")},
                                    {NC_("keys", "Space"), N_("on the high-score screen, held for a second: reset the table")},
                                    {NC_("keys", "E, I"), N_("on the high-score screen: export, import the records")},
                                    {NC_("keys", "M, S"), N_("music, sounds: off and on")},
                                    {NC_("keys", "F11"), N_("full screen and back")},
                                    {NC_("keys", "Ctrl+Plus, Ctrl+Minus"), N_("a larger, a smaller window")},
                                    {NC_("keys", "Shift+F6"), N_("save a screenshot")},
                                    {NC_("keys", "Ctrl+Q"), N_("quit")}};

std::string fileWord(const Catalogue &words) {
  // TRANSLATORS: in --help and the usage lines, the placeholder for a file's
  // name after an option ("--replay FILE"): one word, in capitals.
  return words.translate("placeholder", "FILE");
}

std::string usage() {
  const Catalogue &words = playerCatalogue();
  // TRANSLATORS: the start of the usage lines, printed by --help and after a
  // mistyped command; the lines after it are aligned under what follows it.
  const std::string label = words.translate("Usage:"), file = fileWord(words);
  const std::string under(terminal::displayWidth(label) + 1, ' ');
  return label + " zunk [--help | --version]\n" + under + "zunk --replay " + file + "\n" + under +
         "zunk --replay-check " + file + "\n" + under + "zunk --export " + file + " | --import " + file + "\n" +
         under + "zunk --daily YYYY-MM-DD\n";
}

void printHelp() {
  const Catalogue &words = playerCatalogue();
  const std::string file = fileWord(words);
  const std::string optionNames[kOptions] = {"--help",         "--version",         "--replay " + file,
                                             "--replay-check " + file, "--export " + file, "--import " + file,
                                             "--daily YYYY-MM-DD"};
  std::vector<terminal::Row> options, keys;
  for (int i = 0; i < kOptions; i++) options.push_back({optionNames[i], words.translate(kOptionWords[i])});
  for (const auto &key : kKeyWords) keys.push_back({words.translate("keys", key[0]), words.translate(key[1])});
  std::vector<terminal::Row> all = options;
  all.insert(all.end(), keys.begin(), keys.end());
  const int column = terminal::descriptionColumn(all, kIndent, kGap, kIndent + kWidestTerm + kGap);

  std::string out = usage();
  // TRANSLATORS: what the game is, under --help's usage lines and in the
  // desktop entry: a ball slung at the bricks before the wall reaches the top.
  out += terminal::paragraph(words.translate("Sling a ball at a wall of coloured bricks before the wall reaches the top"),
                             kColumns);
  out += "\n" + terminal::table(options, kIndent, column, kColumns) + "\n";
  // TRANSLATORS: above --help's table of keys.
  out += terminal::paragraph(words.translate("In play: pull the ball back with the mouse and let go, or hold Space, "
                                             "pull with the arrows and let go; on a gamepad the stick pulls and A "
                                             "throws."),
                             kColumns);
  out += terminal::table(keys, kIndent, column, kColumns);
  std::fputs(out.c_str(), stdout);
}

// --export and --import: the records as the game finds them as it starts,
// carried to or from `path`. Said on standard output when done, on
// standard error when not; the exit status 0 or 1.
int carryRecords(bool exporting, const char *path) {
  KMiscTools::initMiscTools();
  KMiscTools::setFileSource(true);
  HighScores scores;
  std::string message;
  KeepFailure noFolder;
  prepareRecords(scores, message, noFolder);
  tell(message);
  tell(noFolder.message);
  const CarryOutcome outcome =
      exporting ? exportRecords(scores, settingsPath(), path) : importRecords(scores, settingsPath(), path);
  tell(outcome.failure.note);
  if (!outcome.done) {
    tell(outcome.message);
    return 1;
  }
  std::printf("%s\n", outcome.message.c_str());
  return 0;
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
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) {
      // A link to a game sent (the page's own hands its #watch= on so).
      StartWith start;
      (receivedLink(argv[2]) ? start.link : start.replayFile) = argv[2];
      return zunkMain(start);
    }
    if (argc == 3 && std::strcmp(argv[1], "--export") == 0) return carryRecords(true, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--import") == 0) return carryRecords(false, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--daily") == 0) {
      StartWith start;
      if (parseDay(argv[2], start.daily)) return zunkMain(start);
    }
    std::fputs(usage().c_str(), stderr);
    return 2;
  }
  return zunkMain();
}
