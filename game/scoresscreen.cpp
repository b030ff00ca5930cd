#include "scoresscreen.h"

#include <cstring>
#include <string>
#include <vector>

#include "KInput.h"
#include "assets.h"
#include "controls.h"
#include "keepnotice.h"
#include "keptreplays.h"
#include "layout.h"
#include "playview.h"
#include "scores.h"
#include "tell.h"

using namespace layout;

namespace {
// The rows shown: the table's first nine.
const int kRowsShown = 9;
// Space held this long (a second of frames) resets the table; let go
// earlier, nothing changes. Held on after a reset, it does not reset again.
const int kResetHoldFrames = 80;
int spaceHeld = 0;

// The bar that fills while Space is held: its frame, then how far it is.
void drawResetBar(int held) {
  const Rect &bar = kResetBar;
  surf_zunk->drawRect(static_cast<float>(bar.x1 - 1), static_cast<float>(bar.y1 - 1), static_cast<float>(bar.x2 + 1),
                      static_cast<float>(bar.y2 + 1), 0, 0, 0, 0.6f);
  const float filled = bar.x1 + static_cast<float>(bar.w()) * held / kResetHoldFrames;
  surf_zunk->drawRect(static_cast<float>(bar.x1), static_cast<float>(bar.y1), filled, static_cast<float>(bar.y2), 1,
                      0.85f, 0.35f, 1);
}

// Space held, counted; the reset once it has been held long enough.
void resetWhenHeld() {
  if (!KInput::isPressed(K_VK_SPACE)) {
    spaceHeld = 0;
    return;
  }
  if (spaceHeld >= kResetHoldFrames) return; // the reset is done: Space must be let go first
  drawResetBar(++spaceHeld);
  if (spaceHeld < kResetHoldFrames) return;
  KeepFailure failure;
  resetTable(failure);
  tellFailure(failure);
}

// Which rows have a kept game: read again only when the table or its
// folder changes, not every frame.
const std::vector<std::string> &keptRows() {
  static std::vector<std::string> replays;
  static int32_t replaysFor[10];
  static std::string replaysFrom;
  const std::string folder = replaysFolder();
  if (replays.empty() || folder != replaysFrom || std::memcmp(replaysFor, topScores, sizeof replaysFor) != 0) {
    std::string message;
    replays = keptReplayPaths(message);
    tell(message);
    std::memcpy(replaysFor, topScores, sizeof replaysFor);
    replaysFrom = folder;
  }
  return replays;
}
} // namespace

ScoresChoice showScores() {
  ScoresChoice choice;
  surf_zunk->blitAlphaRectFx(kMenuBackground.x1, kMenuBackground.y1, kMenuBackground.x2, kMenuBackground.y2, 0, 0, 0, 1,
                             1, false, false, 0, 0);
  drawVeil();
  surf_zunk->blitAlphaRect(kScoresTitle.x1, kScoresTitle.y1, kScoresTitle.x2, kScoresTitle.y2, kScoresTitleAt.x,
                           kScoresTitleAt.y, false, false);
  const std::vector<std::string> &replays = keptRows();
  for (int r = 1; r <= kRowsShown; r++) {
    const long y = kScoreRowsY + kScoreRowStep * (r - 1);
    if (!replays[r - 1].empty())
      surf_zunk->blitAlphaRectFx(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kReplayArrowX,
                                 static_cast<short>(y + (kScoreRowStep - kFocusArrow.h()) / 2), 0, kReplayArrowZoom, 1,
                                 false, false, 0, 0);
    displayLeftValueAt(*surf_zunk, kScoreRankX, y, r);
    displayValueAt(*surf_zunk, kScoreValueX, y, topScores[r - 1]);
    for (int x = kLeaderDotsFromX; x <= kLeaderDotsToX; x += kLeaderDotStep)
      surf_zunk->blitAlphaRect(kLeaderDot.x1, kLeaderDot.y1, kLeaderDot.x2, kLeaderDot.y2, static_cast<short>(x),
                               static_cast<short>(y + kLeaderDotDrop), false, false);
  }
  resetWhenHeld();
  choice.back = displayButton(kChoseBack);
  // A click on a kept row asks for its game; the keys go back.
  const int row = (mouseY() - kScoreRowsY) / kScoreRowStep;
  if (clickPressed() && mouseY() >= kScoreRowsY && row < kRowsShown && mouseX() >= kReplayArrowX &&
      mouseX() < kScoreRowRight && !replays[row].empty()) {
    choice.watch = replays[row];
    return choice;
  }
  backControls();
  return choice;
}
