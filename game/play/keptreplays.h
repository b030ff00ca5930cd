#pragma once

// The records the player keeps, in the records' folder: the high-score
// table, the game behind each of its rows (a replay, in a file beside the
// table), the games left unfinished; and the command line's check of a
// replay. The table's own file keeps its format; which replay belongs to
// which row is in a small file of its own ("thescores.replays": one line a
// row, the row's score and its replay's file name, or "-"; then the lines
// of replays a change pushes out, until the table without them is kept),
// which may be missing or stale: the lines are matched to the rows by their
// scores, in order, so that a list one change ahead of its table (a crash
// between the two) still gives every row of it its replay.
//
// Every change is a records transaction (storage.h): the table and the
// list are read anew under the lock and the change merged into them, so
// that another copy's scores and replays stay; a replay is written before
// the list that links it, the list before the table, and a replay is
// deleted only once no table kept links it.

#include <cstdint>
#include <string>
#include <vector>

#include "keepnotice.h"
#include "recording.h"
#include "scores.h"

/// This program's view of the kept table, the shell's: the table it shows
/// (`topScores`: the kept one, with the games that ended and could not be
/// kept yet entered), the table as it last read or wrote it (what a change
/// starts from when the kept one is gone), and those games.
struct HighScores {
  int32_t topScores[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};
  int32_t lastKept[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};
  std::vector<Recording> pending;
};

/// The folder the replays are kept in: the records' folder ("" for none).
std::string replaysFolder();
/// The replay of row `row` (0 to 9) of `table`, or "".
std::string replayOfRow(const int32_t table[10], int row);
/// The same for every row at once; a list that cannot be read gives none,
/// and says why in `message`.
std::vector<std::string> keptReplayPaths(const int32_t table[10], std::string &message);

/// The game that has just ended (its recording, `game`) enters the kept
/// table with its replay, merged into the table and the list as they are
/// kept now; `scores.topScores` becomes the kept table. A game that cannot be kept
/// stays in this program's table and is tried again by every later change
/// and at the end (keepPendingGames). False, with `failure`, when the
/// table or the replay could not be kept.
bool keepEndedGame(HighScores &scores, const Recording &game, KeepFailure &failure);
/// Whether a game that ended is still to be kept.
bool gamesPending(const HighScores &scores);
/// Games that ended and could not be kept are tried again; false while one
/// still cannot be.
bool keepPendingGames(HighScores &scores, KeepFailure &failure);
/// The table is reset to its defaults and kept at once; only then are the
/// replays of its rows deleted. False, with `failure`, when the reset could
/// not be kept: then nothing has changed, `scores` included.
bool resetTable(HighScores &scores, KeepFailure &failure);
/// Reads the kept table over `scores` again (another copy may have
/// changed it); said in `message` when it cannot be read.
void reloadTable(HighScores &scores, std::string &message);

/// A row of a table as a copy of the game has it: its score, and the game
/// that scored it when its replay is kept.
struct TableRow {
  int32_t score = 0;
  bool hasGame = false;
  Recording game;
};
/// The table this program keeps, read in a records transaction, each row
/// with its replay (one that cannot be read left out, and said in `note`),
/// and the games that ended here and are not kept yet entered with theirs.
/// False, with the reason in `error`, when the kept table cannot be read.
bool keptRows(const HighScores &scores, TableRow rows[10], std::string &note, std::string &error);
/// Another copy's rows (an export's) merged into the kept table in one
/// records transaction, as another copy's scores are: a row already here
/// (the same game, or a row of its score without a game to tell them
/// apart) is not entered again, and gives its replay to a row here that
/// has none (`given`); any other enters as a game that ends does, with its
/// replay (`entered`), pushing out the last. `scores` shows the table kept
/// then. False, with `failure`, when the table could not be kept.
bool mergeRows(HighScores &scores, const TableRow rows[10], int &entered, int &given, KeepFailure &failure);

/// As the program starts, in one transaction on the records' folder: what
/// crashed saves left is removed (temporary files of our names), and so are
/// the replays no row links to (of our names; none while the table or the
/// list cannot be read); a table kept where an earlier version kept it (the
/// program's data folder) is copied to the records' folder with its replays
/// and unfinished games, while the records' folder holds none; then the
/// table is read into `scores` (no game ended yet). What was done or could
/// not be is said in `message`. False, with `failure`, when there is no
/// records' folder.
bool prepareRecords(HighScores &scores, std::string &message, KeepFailure &failure);

/// One line of the list: a row's score (none for a bare "-") and its
/// replay's file name ("" for none).
struct ReplayLink {
  int32_t score = 0;
  bool scored = false;
  std::string file;
};
/// The list's lines (at most twenty: a row's each, then those of replays a
/// change pushed out) as `text` holds them; a file name this program does
/// not give its replays is no link.
std::vector<ReplayLink> parseReplayList(const std::string &text);
/// The replay of each row of `table` from the list's lines: each row takes
/// the next line with its score, in order; a line of another score is
/// passed over. (Whether each file is there is not looked at.)
std::vector<ReplayLink> linkRows(const int32_t table[10], const std::vector<ReplayLink> &listed);

/// Whether `name` is one this program gives a replay of the table
/// ("replay-<time>-<score>[-n].zunkreplay"), or a game left unfinished
/// ("unfinished[-n].zunkreplay").
bool replayName(const std::string &name);
bool unfinishedName(const std::string &name);

/// Plays the replay at `path` without a window, as fast as it goes, and
/// prints its score on the last line ("score N"), a daily wall's game its
/// day first ("daily 2026-12-09"); a damaged or foreign file
/// is named with the reason. The program's exit status: 0 or 1.
int checkReplay(const char *path);
