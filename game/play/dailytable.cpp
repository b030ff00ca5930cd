#include "dailytable.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>
#include <sstream>

#include "storage.h"

namespace {
const char *const kTableFile = "daily";
const char *const kHeading = "zunk daily";
const int kTableVersion = 1;
const char *const kReplayPrefix = "daily-";
const char *const kReplaySuffix = ".zunkreplay";
// A table holds its heading, its streak and a row a day: one larger than
// this is not ours.
const size_t kMaxTableBytes = 8192;
// A streak longer than this many days (some 270 years) is not one.
const int32_t kLongestStreak = 100000;

std::string folderPath(const std::string &name) { return recordsFolder() + "/" + name; }

std::string replayNameOf(Day day) { return kReplayPrefix + dayText(day) + kReplaySuffix; }

// Rows as the table keeps them: one a day (the first given), newest first,
// none more than kDailyDays - 1 days before the newest.
void tidyRows(std::vector<DailyRow> &rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const DailyRow &a, const DailyRow &b) { return a.day > b.day; });
  std::vector<DailyRow> kept;
  for (const DailyRow &row : rows) {
    if (!kept.empty() && kept.back().day == row.day) continue;
    if (!kept.empty() && daysSinceEpoch(kept.front().day) - daysSinceEpoch(row.day) >= kDailyDays) break;
    kept.push_back(row);
  }
  rows = std::move(kept);
}

bool wholeNumber(const std::string &text, int64_t most, int32_t &value) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const int64_t v = std::stoll(text);
  if (v > most) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// What reading the kept table found.
enum class Found { kNone, kRead, kUnreadable, kLaterVersion };
Found readKept(DailyTable &table, std::string &why) {
  table = DailyTable();
  const std::string path = dailyTablePath();
  if (path.empty() || !fileThere(path)) return Found::kNone;
  std::string text;
  if (!readFile(path, kMaxTableBytes, text, why)) {
    why = path + ": " + why;
    return Found::kUnreadable;
  }
  if (parseDailyTable(text, table)) return Found::kRead;
  // A later version's table is its own: left as it is.
  int version = 0;
  if (std::sscanf(text.c_str(), "zunk daily %d", &version) == 1 && version > kTableVersion) {
    why = path + ": kept by a later version of the game";
    return Found::kLaterVersion;
  }
  why = path + ": not a daily table";
  return Found::kUnreadable;
}

// A table that cannot be read is set aside before a new one replaces it.
void setAside(std::string &note) {
  const std::string path = dailyTablePath(), target = followLinks(path);
  if (target.empty()) return;
  const std::string aside = target + ".unread-" + std::to_string(static_cast<long long>(std::time(nullptr)));
  note += std::rename(target.c_str(), aside.c_str()) == 0 ? "; it is kept as " + aside + ", and a new one started"
                                                           : "; a new one is started";
}

bool writeKept(const DailyTable &table, std::string &why, Cause &cause) {
  if (replaceFile(dailyTablePath(), dailyTableText(table), why, &cause)) return true;
  why = "the daily table could not be saved to " + dailyTablePath() + ": " + why;
  return false;
}

// Removes one of our own files, never a link or a folder someone put there.
void removeOurs(const std::string &path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) removeKeptFile(path);
}

// The replays `before` linked that `after` does not.
void removeUnlinked(const DailyTable &before, const DailyTable &after) {
  std::set<std::string> linked;
  for (const DailyRow &row : after.rows) linked.insert(row.replay);
  for (const DailyRow &row : before.rows)
    if (!row.replay.empty() && !linked.count(row.replay)) removeOurs(folderPath(row.replay));
}
} // namespace

Day today(const DailyRecords &records) { return utcDayAt(records.clock ? records.clock() : systemSeconds()); }

Day lastDayPlayed(const DailyTable &table) { return table.rows.empty() ? kNoDay : table.rows.front().day; }

DailyTry dailyTry(const DailyRecords &records, Day day) {
  const Day now = today(records);
  if (day != now || now == kNoDay) return DailyTry::kNotToday;
  if (records.scoredHere == now) return DailyTry::kPlayed;
  for (const DailyRow &row : records.table.rows)
    if (row.day == now) return DailyTry::kPlayed;
  if (lastDayPlayed(records.table) > now) return DailyTry::kClockBehind;
  return DailyTry::kScored;
}

int32_t currentStreak(const DailyRecords &records) {
  const DailyTable &t = records.table;
  const Day now = today(records);
  if (t.streakEnd == kNoDay || now == kNoDay) return 0;
  // A clock set back shows the streak it reached.
  return daysSinceEpoch(now) - daysSinceEpoch(t.streakEnd) <= 1 ? t.streak : 0;
}

bool parseDailyTable(const std::string &text, DailyTable &table) {
  table = DailyTable();
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != std::string(kHeading) + " " + std::to_string(kTableVersion)) return false;
  std::vector<DailyRow> rows;
  // Twice the rows a table keeps: more lines than that are not read.
  const size_t kMostLines = 2 * kDailyDays + 2;
  for (size_t n = 0; n < kMostLines && std::getline(lines, line); n++) {
    std::istringstream fields(line);
    std::string first, second, third, extra;
    if (!(fields >> first >> second >> third) || fields >> extra) continue;
    if (first == "streak") {
      Day end;
      int32_t days;
      if (wholeNumber(second, kLongestStreak, days) && parseDay(third, end)) {
        table.streak = days;
        table.streakEnd = end;
      }
      continue;
    }
    DailyRow row;
    if (!parseDay(first, row.day) || !wholeNumber(second, INT32_MAX, row.score)) continue;
    // A row links its own day's replay, or none.
    if (third != "-" && third != replayNameOf(row.day)) continue;
    row.replay = third == "-" ? "" : third;
    rows.push_back(row);
  }
  tidyRows(rows);
  table.rows = rows;
  if (table.streakEnd == kNoDay) table.streak = 0;
  return true;
}

std::string dailyTableText(const DailyTable &table) {
  std::string text = std::string(kHeading) + " " + std::to_string(kTableVersion) + "\n";
  if (table.streakEnd != kNoDay)
    text += "streak " + std::to_string(table.streak) + " " + dayText(table.streakEnd) + "\n";
  for (const DailyRow &row : table.rows)
    text += dayText(row.day) + " " + std::to_string(row.score) + " " + (row.replay.empty() ? "-" : row.replay) + "\n";
  return text;
}

std::string dailyTablePath() {
  const std::string folder = recordsFolder();
  return folder.empty() ? "" : folder + "/" + kTableFile;
}

std::string dailyReplayPath(const DailyRow &row) {
  return row.replay.empty() || recordsFolder().empty() ? "" : folderPath(row.replay);
}

bool dailyName(const std::string &name) {
  const std::string prefix = kReplayPrefix, suffix = kReplaySuffix;
  Day day;
  return name == kTableFile || (name.size() == prefix.size() + 10 + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                                parseDay(name.substr(prefix.size(), 10), day));
}

void reloadDailyTable(DailyRecords &records, std::string &message) {
  message.clear();
  DailyTable kept;
  const Found found = readKept(kept, message);
  if (found == Found::kRead || found == Found::kNone) {
    records.table = kept;
    message.clear();
  }
}

bool takeScoredTry(DailyRecords &records, KeepFailure &failure) {
  failure = KeepFailure();
  const Day now = today(records);
  if (dailyTry(records, now) != DailyTry::kScored) return false;
  bool scored = false;
  std::string error;
  Cause cause = Cause::kNone;
  const bool kept = changeRecords(
      [&](std::string &why, Cause &whyCause) {
        DailyTable table;
        const Found found = readKept(table, why);
        if (found == Found::kLaterVersion) {
          failure.note = why + ": today's game is practice";
          return true;
        }
        if (found == Found::kUnreadable) {
          failure.note = why;
          setAside(failure.note);
        }
        records.table = table;
        // Another copy of the game took it meanwhile, or the clock is behind.
        if (dailyTry(records, now) != DailyTry::kScored) return true;
        scored = true;
        records.scoredHere = now;
        const bool follows = table.streakEnd != kNoDay && daysSinceEpoch(now) - daysSinceEpoch(table.streakEnd) == 1;
        table.streak = follows ? table.streak + 1 : 1;
        table.streakEnd = now;
        table.rows.insert(table.rows.begin(), DailyRow{now, 0, ""});
        DailyTable before = table;
        tidyRows(table.rows);
        records.table = table;
        if (!writeKept(table, why, whyCause)) return false;
        removeUnlinked(before, table);
        return true;
      },
      error, cause);
  if (!kept) {
    failure.set(Unkept::kDaily, cause, "today's scored try could not be kept: " + error);
    // The try is this program's all the same: a game started again today
    // is practice.
    if (!scored) {
      scored = true;
      records.scoredHere = now;
    }
  }
  return scored;
}

bool keepScoredTry(DailyRecords &records, const Recording &game, KeepFailure &failure) {
  failure = KeepFailure();
  if (!dailyGame(game) || game.day != records.scoredHere) return true;
  std::string error;
  Cause cause = Cause::kNone;
  const bool kept = changeRecords(
      [&](std::string &why, Cause &whyCause) {
        DailyTable table;
        const Found found = readKept(table, why);
        if (found == Found::kLaterVersion) {
          failure.set(Unkept::kDaily, Cause::kOther, why);
          return true;
        }
        if (found == Found::kUnreadable) {
          failure.note = why;
          setAside(failure.note);
        }
        const std::string name = replayNameOf(game.day);
        std::string replayWhy;
        Cause replayCause = Cause::kNone;
        const bool replayKept = saveRecording(folderPath(name), game, replayWhy, &replayCause);
        if (!replayKept) failure.set(Unkept::kReplay, replayCause, "the daily game's replay could not be saved: " + replayWhy);
        const DailyTable before = table;
        auto row = std::find_if(table.rows.begin(), table.rows.end(), [&](const DailyRow &r) { return r.day == game.day; });
        if (row == table.rows.end()) {
          table.rows.push_back(DailyRow{game.day, 0, ""});
          row = table.rows.end() - 1;
        }
        row->score = game.score;
        if (replayKept) row->replay = name;
        tidyRows(table.rows);
        records.table = table;
        if (!writeKept(table, why, whyCause)) return false;
        removeUnlinked(before, table);
        return true;
      },
      error, cause);
  if (!kept) failure.set(Unkept::kDaily, cause, "the daily game could not be kept: " + error);
  return kept && !failure.failed;
}

void prepareDailyRecords(DailyRecords &records, std::string &message) {
  message.clear();
  const std::string folder = recordsFolder();
  if (folder.empty()) return;
  std::string error;
  Cause cause;
  changeRecords(
      [&](std::string &, Cause &) {
        removeLeftovers(folder, dailyName);
        DailyTable table;
        std::string why;
        if (readKept(table, why) != Found::kRead) return true;
        std::set<std::string> linked;
        for (const DailyRow &row : table.rows) linked.insert(row.replay);
        std::vector<std::string> unlinked;
        if (DIR *dir = opendir(folder.c_str())) {
          while (const dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != kTableFile && dailyName(name) && !linked.count(name)) unlinked.push_back(name);
          }
          closedir(dir);
        }
        for (const std::string &name : unlinked) removeOurs(folderPath(name));
        return true;
      },
      error, cause);
  reloadDailyTable(records, message);
}
