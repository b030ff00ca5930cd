#include "keptreplays.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <ctime>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "ByteOrder.h"
#include "KMiscTools.h"
#include "recording.h"
#include "replayer.h"
#include "scores.h"
#include "storage.h"
#include "tell.h"

namespace {
const char *const kTableFile = "thescores";
const char *const kLinksFile = "thescores.replays";
const char *const kReplayPrefix = "replay-";
const char *const kUnfinishedStem = "unfinished";
const char *const kReplaySuffix = ".zunkreplay";
const int kRows = 10;
// A row's line each, and after them the lines of replays a change pushes
// out of the table, kept until the table without them is: a list larger
// than this is not ours.
const size_t kMaxListLines = 2 * kRows;
const size_t kMaxListBytes = 4096;

using Link = ReplayLink;

std::string folderPath(const std::string &name) { return replaysFolder() + "/" + name; }
bool exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
bool endsWith(const std::string &s, const std::string &end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}
bool plainName(const std::string &name) {
  for (char c : name)
    if (c == '/' || c == '\\' || c < ' ') return false;
  return !name.empty();
}
// The files of the records' folder this program writes: the only ones its
// tidying touches.
bool keptName(const std::string &name) {
  return name == kTableFile || name == kLinksFile || replayName(name) || unfinishedName(name);
}

// The list's lines as the file has them; false for a file that is there
// but cannot be read (a list longer than ten rows can be is not ours).
bool readList(std::vector<Link> &listed, std::string &message) {
  listed.clear();
  const std::string path = folderPath(kLinksFile);
  if (!fileThere(path)) return true;
  std::string text, error;
  if (!readFile(path, kMaxListBytes, text, error)) {
    message = path + ": " + error + ": no row has its replay";
    return false;
  }
  listed = parseReplayList(text);
  return true;
}

bool writeList(const std::vector<Link> &links, const int32_t table[kRows], const std::vector<Link> &pushedOut,
               std::string &error, Cause &cause) {
  std::string text;
  // Every row says its score, a row without a replay too: a list behind its
  // table is matched by them. The replays pushed out follow, for the table
  // as it is until the new one is written.
  for (int row = 0; row < kRows; row++)
    text += std::to_string(table[row]) + " " + (links[row].file.empty() ? "-" : links[row].file) + "\n";
  for (const Link &link : pushedOut) text += std::to_string(link.score) + " " + link.file + "\n";
  if (replaceFile(folderPath(kLinksFile), text, error, &cause)) return true;
  error = "the replays' list could not be saved: " + error;
  return false;
}

std::string newReplayName(int32_t score) {
  // The time and the score, and a count if both are taken.
  for (int n = 0;; n++) {
    std::string name = kReplayPrefix + std::to_string(static_cast<long long>(std::time(nullptr))) + "-" +
                       std::to_string(score) + (n ? "-" + std::to_string(n) : "") + kReplaySuffix;
    if (!fileThere(folderPath(name))) return name;
  }
}

// A link whose file is gone from `folder` is no link.
void keepExisting(std::vector<Link> &links, const std::string &folder) {
  for (Link &link : links)
    if (!link.file.empty() && !exists(folder + "/" + link.file)) link.file.clear();
}

// Removes one of our own files, never a link or a folder someone put there.
void removeOurs(const std::string &path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) removeKeptFile(path);
}

// The kept table, or `fallback` when there is none or it cannot be read;
// one that cannot be read is set aside before a new one replaces it, and
// the note says where it is.
struct Kept {
  int32_t table[kRows];
  TableFound found;
  std::string unread; // why the table could not be read
  std::vector<Link> links;
  bool listRead;
};
Kept readKept(const int32_t fallback[kRows], std::string &note) {
  Kept kept;
  std::memcpy(kept.table, fallback, sizeof kept.table);
  kept.found = readTable(kept.table, kept.unread);
  std::vector<Link> listed;
  std::string said;
  kept.listRead = readList(listed, said);
  if (!said.empty()) note = said;
  kept.links = linkRows(kept.table, listed);
  keepExisting(kept.links, replaysFolder());
  return kept;
}

// Before a new table replaces one that could not be read: where it was,
// said in `note`, and what lies there kept under another name.
void setAside(const Kept &kept, std::string &note) {
  if (kept.found != TableFound::kUnreadable) return;
  const std::string path = scoresPath(), target = followLinks(path);
  note = kept.unread + ": ";
  struct stat st;
  if (!target.empty() && lstat(target.c_str(), &st) == 0) {
    const std::string aside = target + ".unread-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    if (std::rename(target.c_str(), aside.c_str()) == 0) note += "it is kept as " + aside + ", and a new table started";
    else note += "a new table is started (the old one stays at " + target + ")";
  } else {
    note += "a new table is started at " + (target.empty() ? path : target);
  }
}

// A score enters `kept` as a game that ends does, with its replay (`game`,
// if it has one) written first and linked to the row it takes; the row
// pushed out of the table goes to `pushedOut`, its replay to be removed once
// the table without it is kept. The row taken, or -1 when it beats none.
int enterRow(Kept &kept, int32_t score, const Recording *game, std::vector<Link> &pushedOut, KeepFailure &failure) {
  const int row = enterScore(kept.table, score);
  if (row < 0) return -1;
  Link link{score, true, game ? newReplayName(score) : ""};
  std::string why;
  Cause replayCause = Cause::kNone;
  if (game && !saveRecording(folderPath(link.file), *game, why, &replayCause)) {
    failure.set(Unkept::kReplay, replayCause, "the game's replay could not be saved: " + why);
    link.file.clear();
  }
  if (!kept.links.back().file.empty()) pushedOut.push_back(kept.links.back());
  kept.links.pop_back();
  kept.links.insert(kept.links.begin() + row, link);
  return row;
}

// Keeps `kept` as changed: the list, then the table (one that could not be
// read set aside first); then the replays pushed out go. `lastKept` becomes
// the table kept. False, with `failure`, when the table could not be kept.
bool keepChanged(const Kept &kept, const std::vector<Link> &pushedOut, int32_t lastKept[kRows], KeepFailure &failure) {
  std::string why;
  Cause whyCause = Cause::kNone;
  if (!writeList(kept.links, kept.table, pushedOut, why, whyCause)) failure.set(Unkept::kReplay, whyCause, why);
  setAside(kept, failure.note);
  if (!writeTable(kept.table, why, whyCause)) {
    // The list written ahead of its table is matched to the table kept all
    // the same; the replays it names alone go at the next start. The
    // table's failure is the one the player is told.
    failure.failed = false;
    failure.set(Unkept::kScores, whyCause, why);
    return false;
  }
  std::memcpy(lastKept, kept.table, sizeof kept.table);
  // A replay pushed out goes only once the table without it is kept.
  for (const Link &link : pushedOut) removeOurs(folderPath(link.file));
  return true;
}

// This program's table: the kept one, with the games not kept yet entered.
void showKept(HighScores &scores, const int32_t kept[kRows]) {
  int32_t table[kRows];
  std::memcpy(table, kept, sizeof table);
  for (const Recording &game : scores.pending) enterScore(table, game.score);
  std::memcpy(scores.topScores, table, sizeof table);
}

// Enters the pending games into the kept table, in a transaction.
bool enterPending(HighScores &scores, KeepFailure &failure) {
  std::string error;
  Cause cause = Cause::kNone;
  const bool ok = changeRecords(
      [&](std::string &, Cause &) {
        Kept kept = readKept(scores.lastKept, failure.note);
        std::vector<Link> pushedOut;
        bool entered = false;
        for (const Recording &game : scores.pending)
          entered = enterRow(kept, game.score, &game, pushedOut, failure) >= 0 || entered;
        std::memcpy(scores.topScores, kept.table, sizeof scores.topScores);
        // None of the games beats the kept table: nothing to write.
        if (!entered) {
          scores.pending.clear();
          if (kept.found == TableFound::kRead) std::memcpy(scores.lastKept, kept.table, sizeof scores.lastKept);
          return true;
        }
        if (!keepChanged(kept, pushedOut, scores.lastKept, failure)) return false;
        scores.pending.clear();
        return true;
      },
      error, cause);
  if (!ok && !failure.failed) failure.set(Unkept::kScores, cause, "the high scores could not be saved: " + error);
  return ok;
}

// Whether the kept replay at `path` is the game `game`.
bool sameGame(const std::string &path, const Recording &game) {
  Recording kept;
  std::string error;
  return loadRecording(path, kept, error) && encodeRecording(kept) == encodeRecording(game);
}

// Copies `name` from `from` into the records' folder, unless it is there.
void copyOver(const std::string &from, const std::string &name, size_t maxBytes) {
  if (fileThere(folderPath(name))) return;
  std::string bytes, error;
  if (readFile(from + "/" + name, maxBytes, bytes, error)) replaceFile(folderPath(name), bytes, error);
}

// The table an earlier version kept in the data folder (a build tree's, or
// one it had to use for want of a user folder), copied with its replays
// and unfinished games while the records' folder has no table.
void adoptDataFolderTable(std::string &message) {
  const std::string data = KMiscTools::makeFilePath(kTableFile);
  const std::string dataFolder = data.substr(0, data.find_last_of('/'));
  if (fileThere(folderPath(kTableFile)) || !keptFileThere(data) || followLinks(dataFolder) == replaysFolder()) return;
  std::string bytes, error, listText;
  if (!readFileStart(data, sizeof topScoresOld, bytes, error)) return;
  int32_t table[kRows];
  std::memcpy(table, topScoresOld, sizeof table);
  const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
  for (size_t i = 0; i < bytes.size() / 4; i++) table[i] = static_cast<int32_t>(readLE32(b + i * 4));
  std::vector<Link> listed;
  if (readFile(dataFolder + "/" + kLinksFile, kMaxListBytes, listText, error)) listed = parseReplayList(listText);
  std::vector<Link> links = linkRows(table, listed);
  keepExisting(links, dataFolder);
  for (const Link &link : links)
    if (!link.file.empty()) copyOver(dataFolder, link.file, kMaxReplayFileSize);
  keepExisting(links, replaysFolder());
  if (DIR *dir = opendir(dataFolder.c_str())) {
    while (const dirent *entry = readdir(dir))
      if (unfinishedName(entry->d_name) && exists(dataFolder + "/" + entry->d_name))
        copyOver(dataFolder, entry->d_name, kMaxReplayFileSize);
    closedir(dir);
  }
  Cause cause;
  writeList(links, table, {}, error, cause);
  if (writeTable(table, error, cause))
    message = "the high scores kept in " + dataFolder + " are kept in " + replaysFolder() +
              " from now on (the files there are left as they were)";
}

// Deletes the replays of our names that no row of the kept table links.
void removeUnlinkedReplays(const Kept &kept) {
  std::set<std::string> linked;
  for (const Link &link : kept.links) linked.insert(link.file);
  DIR *dir = opendir(replaysFolder().c_str());
  if (!dir) return;
  std::vector<std::string> unlinked;
  while (const dirent *entry = readdir(dir))
    if (replayName(entry->d_name) && !linked.count(entry->d_name)) unlinked.push_back(entry->d_name);
  closedir(dir);
  for (const std::string &name : unlinked) removeOurs(folderPath(name));
}
} // namespace

std::string replaysFolder() { return recordsFolder(); }

bool replayName(const std::string &name) {
  const std::string prefix = kReplayPrefix, suffix = kReplaySuffix;
  return plainName(name) && name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         endsWith(name, suffix);
}

bool unfinishedName(const std::string &name) {
  const std::string stem = kUnfinishedStem, suffix = kReplaySuffix;
  if (!plainName(name) || name.compare(0, stem.size(), stem) != 0 || !endsWith(name, suffix)) return false;
  const std::string middle = name.substr(stem.size(), name.size() - stem.size() - suffix.size());
  if (middle.empty()) return true;
  return middle.size() > 1 && middle[0] == '-' && middle.find_first_not_of("0123456789", 1) == std::string::npos;
}

std::string replayOfRow(const int32_t table[10], int row) {
  std::string message;
  return row < 0 || row >= kRows ? "" : keptReplayPaths(table, message)[row];
}

std::vector<std::string> keptReplayPaths(const int32_t table[10], std::string &message) {
  message.clear();
  std::vector<Link> listed;
  if (!replaysFolder().empty()) readList(listed, message);
  std::vector<Link> links = linkRows(table, listed);
  keepExisting(links, replaysFolder());
  std::vector<std::string> paths;
  for (const Link &link : links) paths.push_back(link.file.empty() ? "" : folderPath(link.file));
  return paths;
}

bool keepEndedGame(HighScores &scores, const Recording &game, KeepFailure &failure) {
  failure = KeepFailure();
  // The table as this program sees it shows the game at once, kept or not.
  enterScore(scores.topScores, game.score);
  scores.pending.push_back(game);
  return enterPending(scores, failure);
}

bool gamesPending(const HighScores &scores) { return !scores.pending.empty(); }

bool keepPendingGames(HighScores &scores, KeepFailure &failure) {
  failure = KeepFailure();
  return scores.pending.empty() || enterPending(scores, failure);
}

bool resetTable(HighScores &scores, KeepFailure &failure) {
  failure = KeepFailure();
  std::string error;
  Cause cause = Cause::kNone;
  const bool ok = changeRecords(
      [&](std::string &, Cause &) {
        const Kept kept = readKept(scores.lastKept, failure.note);
        setAside(kept, failure.note);
        std::string why;
        Cause tableCause = Cause::kNone;
        if (!writeTable(topScoresOld, why, tableCause)) {
          failure.set(Unkept::kScores, tableCause, why);
          return false;
        }
        // The reset is kept: only now do its rows' replays go.
        removeKeptFile(folderPath(kLinksFile));
        for (const Link &link : kept.links)
          if (!link.file.empty()) removeOurs(folderPath(link.file));
        return true;
      },
      error, cause);
  if (!ok) {
    if (!failure.failed) failure.set(Unkept::kScores, cause, "the high scores could not be reset: " + error);
    return false;
  }
  scores.pending.clear();
  std::memcpy(scores.lastKept, topScoresOld, sizeof scores.lastKept);
  std::memcpy(scores.topScores, topScoresOld, sizeof scores.topScores);
  return true;
}

void reloadTable(HighScores &scores, std::string &message) {
  int32_t table[kRows];
  std::memcpy(table, scores.lastKept, sizeof table);
  const TableFound found = readTable(table, message);
  if (found == TableFound::kUnreadable) message += ": the high scores are not read";
  if (found != TableFound::kRead) return;
  std::memcpy(scores.lastKept, table, sizeof scores.lastKept);
  // The games not kept yet are still this program's.
  showKept(scores, table);
}

bool keptRows(const HighScores &scores, TableRow rows[10], std::string &note, std::string &error) {
  note.clear();
  error.clear();
  Cause cause = Cause::kNone;
  bool read = false;
  changeRecords(
      [&](std::string &, Cause &) {
        const Kept kept = readKept(scores.lastKept, note);
        if (kept.found == TableFound::kUnreadable) {
          error = kept.unread;
          return true;
        }
        read = true;
        for (int row = 0; row < kRows; row++) {
          rows[row] = TableRow();
          rows[row].score = kept.table[row];
          if (kept.links[row].file.empty()) continue;
          std::string why;
          const std::string path = folderPath(kept.links[row].file);
          rows[row].hasGame = loadRecording(path, rows[row].game, why);
          if (!rows[row].hasGame) note += (note.empty() ? "" : "; ") + path + ": " + why + ": left out";
        }
        return true;
      },
      error, cause);
  // Without a records' folder the table is this program's alone.
  if (cause == Cause::kNoUserFolder) {
    read = true;
    error.clear();
    for (int row = 0; row < kRows; row++) rows[row] = TableRow{scores.lastKept[row], false, Recording()};
  }
  if (!read) return false;
  // The games that ended here and are not kept yet are this program's too.
  for (const Recording &game : scores.pending) {
    int32_t table[kRows];
    for (int r = 0; r < kRows; r++) table[r] = rows[r].score;
    const int at = enterScore(table, game.score);
    if (at < 0) continue;
    for (int r = kRows - 1; r > at; r--) rows[r] = std::move(rows[r - 1]);
    rows[at] = TableRow{game.score, true, game};
  }
  return true;
}

bool mergeRows(HighScores &scores, const TableRow rows[10], int &entered, int &given, KeepFailure &failure) {
  failure = KeepFailure();
  entered = given = 0;
  std::string error;
  Cause cause = Cause::kNone;
  const bool ok = changeRecords(
      [&](std::string &, Cause &) {
        Kept kept = readKept(scores.lastKept, failure.note);
        // The rows kept here that an imported row has been found to be:
        // each stands for one row only, so that a score twice is twice.
        std::vector<bool> matched(kRows, false);
        std::vector<Link> pushedOut;
        auto hasFile = [&](int k) { return !kept.links[k].file.empty(); };
        auto find = [&](int32_t score, const std::function<bool(int)> &also) {
          for (int k = 0; k < kRows; k++)
            if (!matched[k] && kept.table[k] == score && also(k)) return k;
          return -1;
        };
        for (int i = 0; i < kRows; i++) {
          const TableRow &row = rows[i];
          // The same game, kept here; else a row of that score kept
          // without its game (the game imported becomes its own); else,
          // with no game to tell it by, any row of that score.
          int k = -1;
          if (row.hasGame)
            k = find(row.score, [&](int k) { return hasFile(k) && sameGame(folderPath(kept.links[k].file), row.game); });
          if (k < 0) k = find(row.score, [&](int k) { return !hasFile(k); });
          if (k < 0 && !row.hasGame) k = find(row.score, [](int) { return true; });
          if (k >= 0) {
            matched[k] = true;
            if (!row.hasGame || hasFile(k)) continue;
            Link link{row.score, true, newReplayName(row.score)};
            std::string why;
            Cause replayCause = Cause::kNone;
            if (!saveRecording(folderPath(link.file), row.game, why, &replayCause)) {
              failure.set(Unkept::kReplay, replayCause, "an imported replay could not be saved: " + why);
              continue;
            }
            kept.links[k] = link;
            given++;
            continue;
          }
          // A score new here enters as a game that ends does.
          const int at = enterRow(kept, row.score, row.hasGame ? &row.game : nullptr, pushedOut, failure);
          if (at < 0) continue;
          matched.pop_back();
          matched.insert(matched.begin() + at, true);
          entered++;
        }
        if (!entered && !given) {
          if (kept.found == TableFound::kRead) std::memcpy(scores.lastKept, kept.table, sizeof scores.lastKept);
          return true;
        }
        return keepChanged(kept, pushedOut, scores.lastKept, failure);
      },
      error, cause);
  if (!ok && !failure.failed) failure.set(Unkept::kScores, cause, "the high scores could not be saved: " + error);
  if (ok) showKept(scores, scores.lastKept);
  return ok;
}

bool prepareRecords(HighScores &scores, std::string &message, KeepFailure &failure) {
  message.clear();
  failure = KeepFailure();
  // As the program starts: no game ended yet.
  scores.pending.clear();
  std::memcpy(scores.lastKept, scores.topScores, sizeof scores.lastKept);
  if (replaysFolder().empty()) {
    failure.set(Unkept::kNothing, Cause::kNoUserFolder, recordsFolderProblem() + ": the game keeps nothing");
    return false;
  }
  std::string error;
  Cause cause = Cause::kNone;
  const bool ok = changeRecords(
      [&](std::string &, Cause &) {
        removeLeftovers(replaysFolder(), keptName);
        adoptDataFolderTable(message);
        std::string note;
        const Kept kept = readKept(scores.topScores, note);
        // A table or a list that cannot be read may link any replay: none goes.
        if (kept.found != TableFound::kUnreadable && kept.listRead) removeUnlinkedReplays(kept);
        return true;
      },
      error, cause);
  if (!ok) message = error + ": what a crash left is not tidied";
  std::string said;
  reloadTable(scores, said);
  if (!said.empty()) message += (message.empty() ? "" : "\nzunk: ") + said;
  return true;
}

std::vector<ReplayLink> parseReplayList(const std::string &text) {
  std::vector<ReplayLink> links;
  size_t start = 0;
  while (start < text.size() && links.size() < kMaxListLines) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::istringstream fields(text.substr(start, end - start));
    start = end + 1;
    ReplayLink link;
    std::string first, file;
    if (fields >> first && first != "-") {
      try {
        size_t used = 0;
        const long long score = std::stoll(first, &used);
        link.scored = used == first.size() && score >= INT32_MIN && score <= INT32_MAX;
        link.score = link.scored ? static_cast<int32_t>(score) : 0;
      } catch (...) {
        link.scored = false;
      }
      if (link.scored && fields >> file && replayName(file)) link.file = file;
    }
    links.push_back(link);
  }
  return links;
}

std::vector<ReplayLink> linkRows(const int32_t table[10], const std::vector<ReplayLink> &listed) {
  std::vector<ReplayLink> links(kRows);
  size_t next = 0;
  for (int row = 0; row < kRows; row++)
    for (size_t i = next; i < listed.size(); i++)
      if (listed[i].scored && listed[i].score == table[row]) {
        next = i + 1;
        links[row] = listed[i];
        break;
      }
  return links;
}

int checkReplay(const char *path) {
  Recording game;
  std::string error;
  if (!loadRecording(path, game, error)) {
    tell(std::string(path) + ": " + error);
    return 1;
  }
  const size_t frames = game.frames.size();
  const int32_t score = game.score;
  // A daily wall's game says which day's; the score stays the last line.
  const std::string mode = dailyGame(game) ? "daily " + dayText(game.day) + "\n" : "";
  Replay replay(std::move(game));
  if (!replay.playToEnd()) {
    tell(std::string(path) + ": the game does not replay as it was recorded");
    return 1;
  }
  std::printf("%sframes %zu\nscore %d\n", mode.c_str(), frames, static_cast<int>(score));
  return 0;
}
