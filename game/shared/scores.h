#pragma once

// The high-score table: ten scores, best first, kept in "thescores" (forty
// bytes, ten 32-bit little-endian numbers) in the records' folder.
// This program's view of it (HighScores, keptreplays.h) is read as the
// program starts, and made the kept table again by every change of it,
// which reads the file anew and merges, so that another copy's scores stay.

#include <cstdint>
#include <string>

#include "storage.h"

/// The folder the high scores, their replays and the unfinished games are
/// kept in: the user's data folder ($XDG_DATA_HOME/zunk, else
/// ~/.local/share/zunk), never the program's own; "" when there is none,
/// and then recordsFolderProblem() says why.
std::string recordsFolder();
std::string recordsFolderProblem();
/// A change of the records: changeKeptFiles on recordsFolder(); without a
/// folder, false with the cause kNoUserFolder.
bool changeRecords(const std::function<bool(std::string &error, Cause &cause)> &change, std::string &error,
                   Cause &cause);

/// The table a reset (Space held on its screen) puts back, and the one the
/// program starts from while none is kept.
extern const int32_t topScoresOld[10];

/// Offers `score` to `table`: it takes the first row (from the top) whose
/// score it beats, the rows below move down and the last falls out. The
/// row it took, or -1 when it beat none.
int enterScore(int32_t table[10], int32_t score);

/// Where the table is kept: "<records folder>/thescores"; "" without one.
std::string scoresPath();

/// What reading the kept table found.
enum class TableFound { kRead, kNone, kUnreadable };
/// Reads the kept table into `table`: kNone (nothing there: `table` as it
/// was), or kUnreadable, with the reason in `message`, for a table that is
/// there but cannot be read (a link leading nowhere, a pipe, a folder):
/// `table` as it was. A file shorter than forty bytes gives the rows it
/// covers whole.
TableFound readTable(int32_t table[10], std::string &message);
/// Writes `table` over the kept one (in a records transaction); false,
/// with the reason, when nothing was written.
bool writeTable(const int32_t table[10], std::string &error, Cause &cause);

/// Reads the kept table over `table`; a missing one leaves it as it is.
/// False, with the reason in `message`, for one that cannot be read.
bool loadScores(int32_t table[10], std::string &message);
