#include "watch.h"

#include <utility>

#include "layout.h"
#include "playview.h"

using namespace layout;

namespace {
const uint32_t kStopHeld = kHeldMouse | kHeldEscape | kHeldBackspace | kHeldPadB;
const float kMarkColour[3] = {0.05f, 0.3f, 0.12f}, kMarkBlend = 0.9f;
const int kMarkGap = 4;

// "verified: 412" and, for a daily wall's game, "on the wall of 2026-12-09",
// each line's words ending where its number starts.
void drawVerified(const Recording &game, KGraphic &sheet) {
  const Rect &panel = kVerifiedPanel;
  const bool daily = dailyGame(game);
  const int lineH = kDigitY2 - kDigitY1, lines = daily ? 2 : 1;
  const int y2 = panel.y1 + (panel.h() - lineH * 2) / 2 + lineH * lines + (panel.h() - lineH * 2) / 2;
  sheet.drawRect(static_cast<float>(panel.x1), static_cast<float>(panel.y1), static_cast<float>(panel.x2),
                 static_cast<float>(y2), kMarkColour[0], kMarkColour[1], kMarkColour[2], kMarkBlend);
  const int y = panel.y1 + (panel.h() - lineH * 2) / 2;
  const int textDrop = (lineH - kVerifiedScore.h()) / 2;
  sheet.blitAlphaRect(kVerifiedScore.x1, kVerifiedScore.y1, kVerifiedScore.x2, kVerifiedScore.y2,
                      static_cast<short>(kVerifiedJoinX - kVerifiedScore.w()), static_cast<short>(y + textDrop), false,
                      false);
  displayLeftValueAt(sheet, kVerifiedJoinX + kMarkGap, y, game.score);
  if (!daily) return;
  sheet.blitAlphaRect(kVerifiedWall.x1, kVerifiedWall.y1, kVerifiedWall.x2, kVerifiedWall.y2,
                      static_cast<short>(kVerifiedJoinX - kVerifiedWall.w()), static_cast<short>(y + lineH + textDrop),
                      false, false);
  displayDayAt(sheet, kVerifiedJoinX + kMarkGap, y + lineH, game.day);
}
} // namespace

void startWatching(Watching &watching, Recording recording, const PlayInput &player, bool verified) {
  watching.verified = verified;
  watching.replay = std::make_unique<Replay>(std::move(recording));
  watching.endFrames = 0;
  watching.playerBefore = player; // what is held already (the click that chose it) stops nothing
}

void stopWatching(Watching &watching) { watching.replay.reset(); }

bool watchFrame(Watching &watching, const PlayInput &player, PlayEvents &events) {
  if (!watching.replay) return false;
  // The player's own keys and clicks, read this frame, stop it.
  const bool stop = player.held & ~watching.playerBefore.held & kStopHeld;
  watching.playerBefore = player;
  if (stop) {
    stopWatching(watching);
    return false;
  }
  if (!watching.replay->step(&events)) {
    // The last frame stays a moment (GAME OVER comes down over it), with
    // nothing more from the player of the recording.
    if (++watching.endFrames > kReplayEndFrames) {
      stopWatching(watching);
      return false;
    }
    events = watching.replay->stepPastEnd();
  }
  return true;
}

void drawWatched(const Watching &watching, KGraphic &sheet, const Look &look) {
  if (!watching.replay) return;
  drawPlay(watching.replay->game(), sheet, look);
  sheet.blitAlphaRect(kReplayMark.x1, kReplayMark.y1, kReplayMark.x2, kReplayMark.y2, kReplayMarkAt.x, kReplayMarkAt.y,
                      false, false);
  if (watching.verified) drawVerified(watching.replay->recording(), sheet);
}
