#include "resume.h"

#include <cstdio>
#include <string>

#include "controls.h"
#include "ingame.h"
#include "keptreplays.h"
#include "layout.h"
#include "pause.h"
#include "replay.h"
#include "savefile.h"
#include "watch.h"
#include "zunk.h"

using namespace layout;

namespace {
const char *const kUnfinishedFile = "unfinished.zunkreplay";
int focus = 0; // 0 CONTINUE, 1 NEW GAME

std::string unfinishedPath() { return replaysFolder() + "/" + kUnfinishedFile; }

// The half of the panel (0 or 1) under the pointer, or -1.
int halfAt(int x, int y) {
  const int x1 = kResumePanelAt.x, y1 = kResumePanelAt.y;
  if (x < x1 || x >= x1 + kResumePanel.w() || y < y1 || y >= y1 + kResumePanel.h()) return -1;
  return y < y1 + kResumePanel.h() / 2 ? 0 : 1;
}
} // namespace

void keepUnfinishedGame() {
  if (replaying() || watching()) return;
  const Recording game = currentRecording();
  if (game.ended || game.frames.empty()) {
    forgetUnfinishedGame();
    return;
  }
  std::string error;
  if (!saveRecording(unfinishedPath(), game, error))
    std::fprintf(stderr, "zunk: the unfinished game could not be kept: %s\n", error.c_str());
}

void forgetUnfinishedGame() { removeKeptFile(unfinishedPath()); }

bool unfinishedGameOnOffer() {
  Recording game;
  std::string error;
  if (!loadRecording(unfinishedPath(), game, error)) return false;
  if (game.ended || game.frames.empty() || !replayOutOfSight(game, false)) {
    forgetUnfinishedGame();
    return false;
  }
  focus = 0;
  return true;
}

void doResumeChoice() {
  surf_zunk->blitAlphaRectFx(kMenuBackground.x1, kMenuBackground.y1, kMenuBackground.x2, kMenuBackground.y2, 0, 0, 0,
                             1, 1, false, false, 0, 0);
  surf_zunk->drawRect(0, 0, 320, 480, 0, 0, 0, 0.5f);
  surf_zunk->blitAlphaRect(kResumePanel.x1, kResumePanel.y1, kResumePanel.x2, kResumePanel.y2, kResumePanelAt.x,
                           kResumePanelAt.y, false, false);
  if (const int step = focusStep()) focus = (focus + step + 2) % 2;
  const int half = kResumePanel.h() / 2;
  surf_zunk->blitAlphaRect(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kResumePanelAt.x - 20,
                           static_cast<short>(kResumePanelAt.y + focus * half + (half - kFocusArrow.h()) / 2), false,
                           false);
  int chosen = -1;
  if (clickPressed()) chosen = halfAt(mouseX(), mouseY());
  if (confirmPressed()) chosen = focus;
  if (backPressed()) {
    leaveForMenu();
    return;
  }
  if (chosen == 0 && !continueUnfinishedGame()) chosen = 1;
  if (chosen == 1) startNewGame();
}

bool continueUnfinishedGame() {
  Recording game;
  std::string error;
  if (!loadRecording(unfinishedPath(), game, error)) return false;
  // The game as it was left, its last frame drawn: that frame is the one
  // shown, frozen, under the pause.
  if (!replayOutOfSight(game, true)) {
    forgetUnfinishedGame();
    return false;
  }
  continueRecording(game);
  setRandomPosition(game.randomAfter);
  gameState = kPlayScreen;
  pauseGame();
  return true;
}

void startNewGame() {
  forgetUnfinishedGame();
  resetInGame();
  gameState = kPlayScreen;
}
