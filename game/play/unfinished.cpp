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
using Claim = UnfinishedGames::Claim;

std::string pathOf(const std::string &name) { return replaysFolder() + "/" + name; }

void dropClaim(Claim &claim) {
  if (claim.fd >= 0) close(claim.fd);
  claim.fd = -1;
}

// Claims the file `name` (its contents as they are now): false when
// another program holds it.
bool claim(Claim &claimed, const std::string &name) {
  const int fd = open(pathOf(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  dropClaim(claimed);
  claimed.fd = fd;
  claimed.name = name;
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
void removeClaimed(Claim &claimed) {
  if (claimed.name.empty()) return;
  std::string error;
  Cause cause;
  const std::string name = claimed.name;
  changeRecords(
      [&](std::string &, Cause &) {
        removeKeptFile(pathOf(name));
        return true;
      },
      error, cause);
  dropClaim(claimed);
  claimed.name.clear();
}
} // namespace

UnfinishedGames::UnfinishedGames(UnfinishedGames &&other) noexcept
    : offered(std::move(other.offered)), claimed(std::exchange(other.claimed, Claim())),
      endedGames(std::exchange(other.endedGames, {})) {}

UnfinishedGames &UnfinishedGames::operator=(UnfinishedGames &&other) noexcept {
  if (this == &other) return *this;
  dropClaim(claimed);
  for (Claim &game : endedGames) dropClaim(game);
  offered = std::move(other.offered);
  claimed = std::exchange(other.claimed, Claim());
  endedGames = std::exchange(other.endedGames, {});
  return *this;
}

UnfinishedGames::~UnfinishedGames() {
  dropClaim(claimed);
  for (Claim &game : endedGames) dropClaim(game);
}

bool keepUnfinishedGame(UnfinishedGames &games, const Recording &game, KeepFailure &failure) {
  failure = KeepFailure();
  // A game that has ended was dealt with at its end (liveGameEnded).
  if (game.ended || game.frames.empty()) return true;
  std::string error;
  Cause cause = Cause::kNone;
  const bool kept = changeRecords(
      [&](std::string &why, Cause &whyCause) {
        const std::string name = games.claimed.name.empty() ? newUnfinishedName() : games.claimed.name;
        if (!saveRecording(pathOf(name), game, why, &whyCause)) return false;
        // The file written anew is claimed anew: the game stays this
        // program's while it may go on (a page hidden plays on).
        claim(games.claimed, name);
        games.claimed.name = name;
        return true;
      },
      error, cause);
  if (!kept) failure.set(Unkept::kUnfinished, cause, "the unfinished game could not be kept: " + error);
  return kept;
}

void forgetUnfinishedGame(UnfinishedGames &games) {
  games.offered.reset();
  removeClaimed(games.claimed);
}

void liveGameEnded(UnfinishedGames &games, bool endKept) {
  games.offered.reset();
  if (games.claimed.name.empty()) return;
  if (endKept) {
    removeClaimed(games.claimed);
    return;
  }
  games.endedGames.push_back(std::exchange(games.claimed, Claim()));
}

void endedGamesKept(UnfinishedGames &games) {
  for (const Claim &game : games.endedGames) {
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
  games.endedGames.clear();
}

void releaseUnfinishedGame(UnfinishedGames &games) {
  games.offered.reset();
  dropClaim(games.claimed);
  games.claimed.name.clear();
}

bool unfinishedGameOnOffer(UnfinishedGames &games, std::string &message) {
  message.clear();
  releaseUnfinishedGame(games);
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
            if (claim(games.claimed, name)) return true;
          }
          return true;
        },
        error, cause);
    if (!later.empty())
      message = replaysFolder() + ": " + later + ": kept by a later version of the game, which can continue it";
    if (games.claimed.name.empty()) return false;
    Recording game;
    if (!loadRecording(pathOf(games.claimed.name), game, error)) {
      // A file that is not a game to continue is forgotten.
      message = pathOf(games.claimed.name) + ": " + error;
      forgetUnfinishedGame(games);
      continue;
    }
    if (game.ended || game.frames.empty()) {
      forgetUnfinishedGame(games);
      continue;
    }
    auto check = std::make_unique<Replay>(std::move(game));
    if (!check->playToEnd()) {
      message = pathOf(games.claimed.name) + " does not replay as it was recorded: it is not offered";
      forgetUnfinishedGame(games);
      continue;
    }
    games.offered = std::move(check);
    return true;
  }
}

bool continueUnfinishedGame(UnfinishedGames &games, LiveGame &live) {
  if (!games.offered) return false;
  live.continueFrom(games.offered->game(), games.offered->recording());
  setRandomPosition(games.offered->recording().randomAfter);
  games.offered.reset();
  return true;
}

std::vector<Recording> unfinishedGamesKept(size_t most, std::string &note) {
  note.clear();
  std::vector<Recording> games;
  if (replaysFolder().empty()) return games;
  std::string error;
  Cause cause;
  changeRecords(
      [&](std::string &, Cause &) {
        for (const std::string &name : unfinishedGames()) {
          if (games.size() >= most) break;
          Recording game;
          std::string why;
          if (fromLaterVersion(pathOf(name))) continue;
          if (loadRecording(pathOf(name), game, why) && !game.ended && !game.frames.empty())
            games.push_back(std::move(game));
          else if (!why.empty())
            note += (note.empty() ? "" : "; ") + pathOf(name) + ": " + why + ": left out";
        }
        return true;
      },
      error, cause);
  return games;
}

bool adoptUnfinishedGames(const std::vector<Recording> &games, int &added, KeepFailure &failure) {
  failure = KeepFailure();
  added = 0;
  if (games.empty()) return true;
  std::string error;
  Cause cause = Cause::kNone;
  const bool kept = changeRecords(
      [&](std::string &why, Cause &whyCause) {
        // What is kept here already, as the files it is in would be written.
        std::set<std::string> here;
        for (const std::string &name : unfinishedGames()) {
          Recording game;
          std::string unread;
          if (loadRecording(pathOf(name), game, unread)) here.insert(encodeRecording(game));
        }
        // The one left last is written last: it is offered first.
        for (auto game = games.rbegin(); game != games.rend(); ++game) {
          const std::string bytes = encodeRecording(*game);
          if (!here.insert(bytes).second) continue;
          if (!saveRecording(pathOf(newUnfinishedName()), *game, why, &whyCause)) return false;
          added++;
        }
        return true;
      },
      error, cause);
  if (!kept) failure.set(Unkept::kUnfinished, cause, "an imported unfinished game could not be kept: " + error);
  return kept;
}
