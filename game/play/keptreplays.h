#pragma once

// The replays the player keeps: the game behind each row of the high-score
// table, in files beside the table, and the command line's check of one.
// The table's own file keeps its format; which replay belongs to which row
// is in a small file of its own ("thescores.replays": one line a row, the
// row's score and the replay's file name), which may be missing or stale:
// a row whose score no longer matches, or whose file is gone, has none.

#include <cstdint>
#include <string>
#include <vector>

struct Recording;

/// The folder the replays are kept in: the high-score table's.
std::string replaysFolder();
/// The replay of row `row` (0 to 9) of the table as it stands, or "".
std::string replayOfRow(int row);
/// The same for every row at once; a list that cannot be read gives none,
/// and says why in `message`.
std::vector<std::string> keptReplayPaths(std::string &message);
/// Keeps `game`, which has just entered the table at `row` (`before` is the
/// table as it was): the rows below move down with their replays, and the
/// replay pushed out of the table is deleted. Files are written whole.
/// False, with the reason in `message`, when the replay or the list could
/// not be written.
bool keepReplay(int row, const int32_t before[10], const Recording &game, std::string &message);
/// The table was reset: every kept replay is deleted.
void forgetReplays();

/// One line of the list: a row's score and its replay's file name ("" for
/// none).
struct ReplayLink {
  int32_t score = 0;
  std::string file;
};
/// The list's lines (at most ten) as `text` holds them; a line that is not
/// a score and a name this program gives its replays is no link.
std::vector<ReplayLink> parseReplayList(const std::string &text);

/// Plays the replay at `path` without a window, as fast as it goes, and
/// prints its score on the last line ("score N"); a damaged or foreign file
/// is named with the reason. The program's exit status: 0 or 1.
int checkReplay(const char *path);
