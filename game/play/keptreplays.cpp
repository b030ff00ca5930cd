#include "keptreplays.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <utility>
#include <vector>

#include "recording.h"
#include "replayer.h"
#include "scores.h"
#include "storage.h"
#include "tell.h"

namespace {
const char *const kLinksFile = "thescores.replays";
const char *const kReplayPrefix = "replay-";
const char *const kReplaySuffix = ".zunkreplay";
const int kRows = 10;

using Link = ReplayLink;
// Ten lines of a score and a file name: a list larger than this is not ours.
const size_t kMaxListBytes = 4096;

std::string folderPath(const std::string &name) { return replaysFolder() + "/" + name; }
bool exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
// Only names this program makes are read or deleted: no path can be slipped
// in through the links file.
bool ourName(const std::string &name) {
  const std::string prefix = kReplayPrefix, suffix = kReplaySuffix;
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  for (char c : name)
    if (c == '/' || c == '\\' || c < ' ') return false;
  return true;
}

// The list's lines as the file has them; none for a file that cannot be
// read (a list longer than ten rows can be is not ours), said in `message`.
std::vector<Link> listedLinks(std::string &message) {
  message.clear();
  const std::string path = folderPath(kLinksFile);
  std::string text, error;
  if (!fileThere(path)) return {};
  if (!readFile(path, kMaxListBytes, text, error)) {
    message = path + ": " + error + ": no row has its replay";
    return {};
  }
  return parseReplayList(text);
}

// The links for a table whose scores are `table`: a line that does not
// match its row's score, or names a file that is gone, is no link.
std::vector<Link> readLinks(const int32_t table[10], std::string &message) {
  std::vector<Link> links(kRows), listed = listedLinks(message);
  for (size_t row = 0; row < listed.size(); row++) {
    const Link &link = listed[row];
    if (!link.file.empty() && link.score == table[row] && exists(folderPath(link.file))) links[row] = link;
  }
  return links;
}

bool writeLinks(const std::vector<Link> &links, std::string &message) {
  std::string text;
  for (const Link &l : links) text += l.file.empty() ? "-\n" : std::to_string(l.score) + " " + l.file + "\n";
  std::string error;
  if (replaceFile(folderPath(kLinksFile), text, error)) return true;
  message = "the replays' list could not be saved: " + error;
  return false;
}

std::string newReplayName(int32_t score) {
  // The time and the score, and a count if both are taken.
  for (int n = 0;; n++) {
    std::string name = kReplayPrefix + std::to_string(static_cast<long long>(std::time(nullptr))) + "-" +
                       std::to_string(score) + (n ? "-" + std::to_string(n) : "") + kReplaySuffix;
    if (!exists(folderPath(name))) return name;
  }
}
} // namespace

std::string replaysFolder() {
  const std::string scores = scoresPath();
  const size_t slash = scores.find_last_of('/');
  return slash == std::string::npos ? "." : scores.substr(0, slash);
}

std::string replayOfRow(int row) {
  std::string message;
  return row < 0 || row >= kRows ? "" : keptReplayPaths(message)[row];
}

std::vector<std::string> keptReplayPaths(std::string &message) {
  std::vector<std::string> paths;
  for (const Link &link : readLinks(topScores, message)) paths.push_back(link.file.empty() ? "" : folderPath(link.file));
  return paths;
}

bool keepReplay(int row, const int32_t before[10], const Recording &game, std::string &message) {
  message.clear();
  if (row < 0 || row >= kRows) return false;
  std::vector<Link> links = readLinks(before, message);
  const Link pushedOut = links.back();
  links.pop_back();
  Link kept{game.score, newReplayName(game.score)};
  std::string error;
  const bool saved = saveRecording(folderPath(kept.file), game, error);
  if (!saved) {
    message = "the game's replay could not be saved: " + error;
    kept = Link();
  }
  links.insert(links.begin() + row, kept);
  if (!writeLinks(links, message)) return false;
  if (!pushedOut.file.empty()) removeKeptFile(folderPath(pushedOut.file));
  return saved;
}

void forgetReplays() {
  // The links of the table as it was are read without the score check: the
  // table has just been reset. A list that cannot be read names nothing.
  std::string message;
  for (const Link &link : listedLinks(message))
    if (!link.file.empty()) removeKeptFile(folderPath(link.file));
  removeKeptFile(folderPath(kLinksFile));
}

std::vector<ReplayLink> parseReplayList(const std::string &text) {
  std::vector<ReplayLink> links;
  size_t start = 0;
  while (start < text.size() && links.size() < size_t(kRows)) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::istringstream fields(text.substr(start, end - start));
    start = end + 1;
    ReplayLink link;
    if (!(fields >> link.score >> link.file) || !ourName(link.file)) link = ReplayLink();
    links.push_back(link);
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
  Replay replay(std::move(game));
  if (!replay.playToEnd()) {
    tell(std::string(path) + ": the game does not replay as it was recorded");
    return 1;
  }
  std::printf("frames %zu\nscore %d\n", frames, static_cast<int>(score));
  return 0;
}
