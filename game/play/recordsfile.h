#pragma once

// The player's records as one file, to carry them to another copy of the
// game (another machine, a browser's page) and back: the high-score table
// with the game behind each row, the games left unfinished and the
// settings. The same file on every platform: `zunk --export FILE` and
// `--import FILE`, a download and a file chosen in a page.
//
// A records file comes from anywhere, so it is read as a stranger's: its
// size bounded before it is read, a checksum over the whole, every part
// checked by the reader of what it carries (a replay as a replay file is).
// A file that fails is refused whole, with the reason, and nothing is
// changed. One that passes is merged into what is kept here, as the
// records merge another copy's: in one records transaction, a row already
// here not entered again, a score entered with its replay, nothing of the
// player's replaced. (The layout is in HACKING.md, "Records carried".)

#include <cstdint>
#include <string>
#include <vector>

#include "keepnotice.h"
#include "keptreplays.h"
#include "recording.h"

/// What a records file holds.
struct CarriedRecords {
  /// The table, best first, each row with its game when it has one.
  TableRow rows[10];
  /// The games left unfinished.
  std::vector<Recording> unfinished;
  /// The settings file's text ("" for none).
  std::string settings;
};

/// Why a records file is refused.
enum class Refusal { kNone, kUnreadable, kTooLarge, kNotRecords, kLaterVersion, kDamaged };

/// The format's version this program writes and reads.
const uint16_t kRecordsVersion = 1;
/// The largest records file read: ten long games' replays and a few games
/// left fit many times over.
const size_t kMaxRecordsBytes = 64u << 20;
/// The most games left unfinished a file carries (the latest ones).
const size_t kMaxCarriedUnfinished = 32;
/// The name a records file is given where the program names it.
extern const char *const kRecordsFileName;

/// The records as a file's bytes; "" when they would be larger than a
/// records file may be.
std::string encodeRecords(const CarriedRecords &records);
/// Reads a file's bytes; false, with `why` and the reason in `error`, when
/// they are not records this program takes whole.
bool decodeRecords(const std::string &bytes, CarriedRecords &records, Refusal &why, std::string &error);

/// What this program keeps now, read in one records transaction: the kept
/// table (with the games of this program not kept yet), each row's replay,
/// the games left unfinished, the settings. A replay that cannot be read is
/// left out, and said in `note`. False, with the reason, when the table
/// cannot be read.
bool gatherRecords(const HighScores &scores, const std::string &settingsFile, CarriedRecords &records,
                   std::string &note, std::string &error);

/// What an export or an import did.
struct CarryOutcome {
  bool done = false;
  Refusal refused = Refusal::kNone; ///< an import's file, refused whole
  KeepFailure failure;              ///< what could not be written
  std::string message;              ///< said to the player, in English
  /// An import's: what came that was not here (rows entered, rows given
  /// their replay, games left, the settings taken).
  int rowsEntered = 0, replaysGiven = 0, unfinishedAdded = 0;
  bool settingsTaken = false;
  bool nothingNew() const { return !rowsEntered && !replaysGiven && !unfinishedAdded && !settingsTaken; }
};

/// Writes the records to `path` (whole or not at all).
CarryOutcome exportRecords(const HighScores &scores, const std::string &settingsFile, const std::string &path);
/// Reads the records file at `path` and merges it into what is kept:
/// `scores` becomes the table kept then; the settings are taken only where
/// this program keeps none. A file refused changes nothing.
CarryOutcome importRecords(HighScores &scores, const std::string &settingsFile, const std::string &path);
