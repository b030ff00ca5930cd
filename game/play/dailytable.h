#pragma once

// The daily wall's records: each day's scored try (its score and its
// replay) for the last 30 days played, and the streak (days in a row with a
// scored try). The first daily game of a day (UTC) is its scored try, taken
// as the game starts (so that leaving it and starting again gives practice,
// not a second try); any other game on a day's wall is practice. A clock
// set back behind the last day played opens no scored try.
//
// They are kept in "daily" in the records' folder, a few lines of text
// (HACKING.md gives them), and the scored tries' replays beside it as
// "daily-<day>.zunkreplay". Every change is a records transaction: the
// table read anew under the folder's lock, the change merged, the replay
// written before the table that links it, a replay deleted only once no
// table kept links it.

#include <cstdint>
#include <string>
#include <vector>

#include "calendar.h"
#include "keepnotice.h"
#include "recording.h"
#include "scores.h"

/// How many days back from the last one played the table keeps.
const int kDailyDays = 30;

/// A day's scored try: its score as last kept, and its replay's file name
/// in the records' folder ("" while none is kept).
struct DailyRow {
  Day day = kNoDay;
  int32_t score = 0;
  std::string replay;
};
/// The table: newest first, no two rows of one day, none more than
/// kDailyDays - 1 days before the newest; and the streak, `streak` days in
/// a row ending on `streakEnd`.
struct DailyTable {
  std::vector<DailyRow> rows;
  int32_t streak = 0;
  Day streakEnd = kNoDay;
};

/// What a day's wall offers this program.
enum class DailyTry {
  kScored,      ///< the day's scored try is open
  kPlayed,      ///< the day's scored try has been played: practice
  kClockBehind, ///< the clock is behind the last day played: practice
  kNotToday,    ///< another day's wall than today's: practice
};

/// The daily wall as this program has it, the shell's: the table as last
/// read, the clock that says what today is (the system's, UTC; a test's
/// own), and the day whose scored try this program took (kept or not).
struct DailyRecords {
  DailyTable table;
  Clock clock = systemSeconds;
  Day scoredHere = kNoDay;
};
/// Today, by the records' clock.
Day today(const DailyRecords &records);
/// What the wall of `day` offers now.
DailyTry dailyTry(const DailyRecords &records, Day day);
/// The streak as it stands today: its days if it reaches today or
/// yesterday, else 0.
int32_t currentStreak(const DailyRecords &records);
/// The last day played (the newest row), or kNoDay.
Day lastDayPlayed(const DailyTable &table);

/// The table `text` holds. Lines it does not understand are passed over;
/// rows are kept as the table keeps them (one a day, newest first, within
/// kDailyDays). False when it is not a daily table of ours (another
/// heading, or a later version's).
bool parseDailyTable(const std::string &text, DailyTable &table);
/// The table as its file holds it.
std::string dailyTableText(const DailyTable &table);
/// The path of the table ("" without a records' folder), and of a row's
/// replay ("" for none).
std::string dailyTablePath();
std::string dailyReplayPath(const DailyRow &row);
/// Whether `name` is one this program gives the table or a try's replay.
bool dailyName(const std::string &name);

/// Reads the kept table over `records.table` (another copy may have changed
/// it); a missing one is an empty table. Said in `message` when it cannot
/// be read (then `records.table` stays as it was).
void reloadDailyTable(DailyRecords &records, std::string &message);
/// Takes today's scored try for the game about to start: true when it is
/// the scored try (then kept at once as a row of score 0 with the streak
/// counted; `failure` when that could not be kept: the try is still this
/// program's), false when it is practice (the try already played, here or
/// by another copy, or the clock behind). Reads the table anew under the
/// lock, so that two copies never both take it.
bool takeScoredTry(DailyRecords &records, KeepFailure &failure);
/// Keeps the scored try's game as it stands (`game`, of day
/// records.scoredHere): its replay, then its row's score. Called at its
/// end, as it is left, and as the program ends or is hidden in the middle
/// of it. False, with `failure`, when it could not be kept.
bool keepScoredTry(DailyRecords &records, const Recording &game, KeepFailure &failure);
/// As the program starts, in a transaction: what crashed saves of the table
/// left, and the tries' replays no row links (none while the table cannot
/// be read), are removed; then the table is read.
void prepareDailyRecords(DailyRecords &records, std::string &message);
