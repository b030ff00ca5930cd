#include "unfinished.h"

#include <cstdio>
#include <memory>
#include <string>

#include "keptreplays.h"
#include "livegame.h"
#include "recording.h"
#include "replayer.h"
#include "storage.h"

namespace {
const char *const kUnfinishedFile = "unfinished.zunkreplay";
// The game the last offer checked, rebuilt: what CONTINUE goes on with.
std::unique_ptr<Replay> offered;

std::string unfinishedPath() { return replaysFolder() + "/" + kUnfinishedFile; }
} // namespace

bool keepUnfinishedGame(std::string &message) {
  message.clear();
  const Recording game = liveRecording();
  if (game.ended || game.frames.empty()) {
    forgetUnfinishedGame();
    return true;
  }
  std::string error;
  if (saveRecording(unfinishedPath(), game, error)) return true;
  message = "the unfinished game could not be kept: " + error;
  return false;
}

void forgetUnfinishedGame() {
  offered.reset();
  removeKeptFile(unfinishedPath());
}

bool unfinishedGameOnOffer(std::string &message) {
  message.clear();
  offered.reset();
  if (!fileThere(unfinishedPath())) return false;
  Recording game;
  std::string error;
  if (!loadRecording(unfinishedPath(), game, error)) {
    // A file that is not a game to continue is forgotten.
    message = unfinishedPath() + ": " + error;
    forgetUnfinishedGame();
    return false;
  }
  if (game.ended || game.frames.empty()) {
    forgetUnfinishedGame();
    return false;
  }
  auto check = std::make_unique<Replay>(std::move(game));
  if (!check->playToEnd()) {
    message = unfinishedPath() + " does not replay as it was recorded: it is not offered";
    forgetUnfinishedGame();
    return false;
  }
  offered = std::move(check);
  return true;
}

bool continueUnfinishedGame() {
  if (!offered) return false;
  continueLiveGame(offered->game(), offered->recording());
  setRandomPosition(offered->recording().randomAfter);
  offered.reset();
  return true;
}
