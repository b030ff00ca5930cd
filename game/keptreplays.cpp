#include "keptreplays.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <vector>

#include "replay.h"
#include "savefile.h"
#include "zunk.h"

namespace {
const char *const kLinksFile = "thescores.replays";
const char *const kReplayPrefix = "replay-";
const char *const kReplaySuffix = ".zunkreplay";
const int kRows = 10;

struct Link {
  int32_t score = 0;
  std::string file; ///< a name in the replays' folder; "" for none
};

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

// The links as the file has them, for a table whose scores are `table`:
// a line that does not match its row's score is no link.
std::vector<Link> readLinks(const int32_t table[10]) {
  std::vector<Link> links(kRows);
  std::ifstream in(folderPath(kLinksFile));
  std::string line;
  for (int row = 0; row < kRows && std::getline(in, line); row++) {
    std::istringstream fields(line);
    Link link;
    if (fields >> link.score >> link.file && link.score == table[row] && ourName(link.file) &&
        exists(folderPath(link.file)))
      links[row] = link;
  }
  return links;
}

bool writeLinks(const std::vector<Link> &links) {
  std::string text;
  for (const Link &l : links) text += l.file.empty() ? "-\n" : std::to_string(l.score) + " " + l.file + "\n";
  std::string error;
  if (replaceFile(folderPath(kLinksFile), text, error)) return true;
  std::fprintf(stderr, "zunk: the replays' list could not be saved: %s\n", error.c_str());
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

std::string replayOfRow(int row) { return row < 0 || row >= kRows ? "" : keptReplayPaths()[row]; }

std::vector<std::string> keptReplayPaths() {
  std::vector<std::string> paths;
  for (const Link &link : readLinks(topScores)) paths.push_back(link.file.empty() ? "" : folderPath(link.file));
  return paths;
}

void keepReplay(int row, const int32_t before[10], const Recording &game) {
  if (row < 0 || row >= kRows) return;
  std::vector<Link> links = readLinks(before);
  const Link pushedOut = links.back();
  links.pop_back();
  Link kept{game.score, newReplayName(game.score)};
  std::string error;
  if (!saveRecording(folderPath(kept.file), game, error)) {
    std::fprintf(stderr, "zunk: the game's replay could not be saved: %s\n", error.c_str());
    kept = Link();
  }
  links.insert(links.begin() + row, kept);
  if (writeLinks(links) && !pushedOut.file.empty()) removeKeptFile(folderPath(pushedOut.file));
}

void forgetReplays() {
  // The links of the table as it was are read without the score check: the
  // table has just been reset.
  std::ifstream in(folderPath(kLinksFile));
  if (!in) return;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int32_t score;
    std::string file;
    if (fields >> score >> file && ourName(file)) removeKeptFile(folderPath(file));
  }
  in.close();
  removeKeptFile(folderPath(kLinksFile));
}

int checkReplay(const char *path) {
  Recording game;
  std::string error;
  if (!loadRecording(path, game, error)) {
    std::fprintf(stderr, "zunk: %s: %s\n", path, error.c_str());
    return 1;
  }
  if (!replayOutOfSight(game, false)) {
    std::fprintf(stderr, "zunk: %s: the game does not replay as it was recorded\n", path);
    return 1;
  }
  std::printf("frames %zu\nscore %d\n", game.frames.size(), static_cast<int>(game.score));
  return 0;
}
