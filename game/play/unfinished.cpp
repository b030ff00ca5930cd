#include "unfinished.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "keptreplays.h"
#include "livegame.h"
#include "recording.h"
#include "replayer.h"
#include "scores.h"
#include "storage.h"

namespace {
const char *const kFirstName = "unfinished.zunkreplay";
// The game the last offer checked, rebuilt: what CONTINUE goes on with.
std::unique_ptr<Replay> offered;
// The file of the game this program offered, continues or kept last (""
// for none), and the lock on it that claims it.
std::string claimedName;
int claimFd = -1;
// The files of games continued here that have ended, their end not kept
// yet (a full disk): kept, and still claimed, until it is.
struct Claim {
  std::string name;
  int fd;
};
std::vector<Claim> endedGames;

std::string pathOf(const std::string &name) { return replaysFolder() + "/" + name; }

void dropClaim() {
  if (claimFd >= 0) close(claimFd);
  claimFd = -1;
}

// Claims the file `name` (its contents as they are now): false when
// another program holds it.
bool claim(const std::string &name) {
  const int fd = open(pathOf(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  dropClaim();
  claimFd = fd;
  claimedName = name;
  return true;
}

// The games left unfinished in the folder, the one left last first.
std::vector<std::string> unfinishedGames() {
  std::vector<std::pair<long long, std::string>> found;
  if (DIR *dir = opendir(replaysFolder().c_str())) {
    while (const dirent *entry = readdir(dir)) {
      struct stat st;
      if (unfinishedName(entry->d_name) && stat(pathOf(entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
        found.push_back({static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec, entry->d_name});
    }
    closedir(dir);
  }
  std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
  std::vector<std::string> names;
  for (const auto &f : found) names.push_back(f.second);
  return names;
}

// A name no game left is kept under yet.
std::string newUnfinishedName() {
  if (!fileThere(pathOf(kFirstName))) return kFirstName;
  for (int n = 2;; n++) {
    const std::string name = "unfinished-" + std::to_string(n) + ".zunkreplay";
    if (!fileThere(pathOf(name))) return name;
  }
}

// Removes the file this program claimed, in a transaction.
void removeClaimed() {
  if (claimedName.empty()) return;
  std::string error;
  Cause cause;
  const std::string name = claimedName;
  changeRecords(
      [&](std::string &, Cause &) {
        removeKeptFile(pathOf(name));
        return true;
      },
      error, cause);
  dropClaim();
  claimedName.clear();
}
} // namespace

bool keepUnfinishedGame(KeepFailure &failure) {
  failure = KeepFailure();
  const Recording game = liveRecording();
  // A game that has ended was dealt with at its end (liveGameEnded).
  if (game.ended || game.frames.empty()) return true;
  std::string error;
  Cause cause = Cause::kNone;
  const bool kept = changeRecords(
      [&](std::string &why, Cause &whyCause) {
        const std::string name = claimedName.empty() ? newUnfinishedName() : claimedName;
        if (!saveRecording(pathOf(name), game, why, &whyCause)) return false;
        // The file written anew is claimed anew: the game stays this
        // program's while it may go on (a page hidden plays on).
        claim(name);
        claimedName = name;
        return true;
      },
      error, cause);
  if (!kept) failure.set(Unkept::kUnfinished, cause, "the unfinished game could not be kept: " + error);
  return kept;
}

void forgetUnfinishedGame() {
  offered.reset();
  removeClaimed();
}

void liveGameEnded(bool endKept) {
  offered.reset();
  if (claimedName.empty()) return;
  if (endKept) {
    removeClaimed();
    return;
  }
  endedGames.push_back({claimedName, claimFd});
  claimFd = -1;
  claimedName.clear();
}

void endedGamesKept() {
  for (const Claim &game : endedGames) {
    std::string error;
    Cause cause;
    changeRecords(
        [&](std::string &, Cause &) {
          removeKeptFile(pathOf(game.name));
          return true;
        },
        error, cause);
    if (game.fd >= 0) close(game.fd);
  }
  endedGames.clear();
}

void releaseUnfinishedGame() {
  offered.reset();
  dropClaim();
  claimedName.clear();
}

bool unfinishedGameOnOffer(std::string &message) {
  message.clear();
  releaseUnfinishedGame();
  if (replaysFolder().empty()) return false;
  std::set<std::string> tried;
  for (;;) {
    // The claim is made under the records' lock: two copies choosing PLAY
    // at once never claim one game both.
    std::string error, later;
    Cause cause;
    changeRecords(
        [&](std::string &, Cause &) {
          for (const std::string &name : unfinishedGames()) {
            if (tried.count(name)) continue;
            tried.insert(name);
            // A game a later version kept is left for it, untouched.
            if (fromLaterVersion(pathOf(name))) {
              later += (later.empty() ? "" : ", ") + name;
              continue;
            }
            if (claim(name)) return true;
          }
          return true;
        },
        error, cause);
    if (!later.empty())
      message = replaysFolder() + ": " + later + ": kept by a later version of the game, which can continue it";
    if (claimedName.empty()) return false;
    Recording game;
    if (!loadRecording(pathOf(claimedName), game, error)) {
      // A file that is not a game to continue is forgotten.
      message = pathOf(claimedName) + ": " + error;
      forgetUnfinishedGame();
      continue;
    }
    if (game.ended || game.frames.empty()) {
      forgetUnfinishedGame();
      continue;
    }
    auto check = std::make_unique<Replay>(std::move(game));
    if (!check->playToEnd()) {
      message = pathOf(claimedName) + " does not replay as it was recorded: it is not offered";
      forgetUnfinishedGame();
      continue;
    }
    offered = std::move(check);
    return true;
  }
}

bool continueUnfinishedGame() {
  if (!offered) return false;
  continueLiveGame(offered->game(), offered->recording());
  setRandomPosition(offered->recording().randomAfter);
  offered.reset();
  return true;
}
