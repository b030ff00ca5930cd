#include "scoresscreen.h"

#include <cstring>
#include <string>
#include <vector>

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
static_assert(static_cast<int>(CarryWord::kDamaged) + 1 == kCarryWords, "a word for each row of the sheet");
// What EXPORT or IMPORT did is said this long (five seconds of frames).
const int kSaidFrames = 400;

bool within(const Controls &controls, Place at, const Rect &picture) {
  const int x = controls.mouseX(), y = controls.mouseY();
  return x >= at.x && x < at.x + picture.w() && y >= at.y && y < at.y + picture.h();
}

void blitAt(KGraphic &sheet, const Rect &r, Place at) {
  sheet.blitAlphaRect(r.x1, r.y1, r.x2, r.y2, static_cast<short>(at.x), static_cast<short>(at.y), false, false);
}

// Space held, counted; the reset once it has been held long enough.
void resetWhenHeld(ScoresScreen &screen, HighScores &scores, const Controls &controls, KeepFailure &failure) {
  screen.shown.held = 0;
  if (!controls.keyHeld(K_VK_SPACE)) {
    screen.spaceHeld = 0;
    return;
  }
  if (screen.spaceHeld >= kResetHoldFrames) return; // the reset is done: Space must be let go first
  screen.shown.held = ++screen.spaceHeld;
  if (screen.spaceHeld < kResetHoldFrames) return;
  resetTable(scores, failure);
}

// The bar that fills while Space is held: its frame, then how far it is.
void drawResetBar(int held, KGraphic &sheet) {
  const Rect &bar = kResetBar;
  sheet.drawRect(static_cast<float>(bar.x1 - 1), static_cast<float>(bar.y1 - 1), static_cast<float>(bar.x2 + 1),
                 static_cast<float>(bar.y2 + 1), 0, 0, 0, 0.6f);
  const float filled = bar.x1 + static_cast<float>(bar.w()) * held / kResetHoldFrames;
  sheet.drawRect(static_cast<float>(bar.x1), static_cast<float>(bar.y1), filled, static_cast<float>(bar.y2), 1, 0.85f,
                 0.35f, 1);
}

// Up and Down move the focus among the kept rows (from none, to the first
// or the last), Left and Right between a row's game and its SEND.
void moveFocus(ScoresScreen &screen, const Controls &controls) {
  if (const int step = controls.focusStep()) {
    int at = screen.focus;
    for (int i = 0; i <= kRowsShown; i++) {
      at = at < 0 ? (step > 0 ? 0 : kRowsShown - 1) : at + step;
      if (at < 0 || at >= kRowsShown) at = -1;
      if (at >= 0 && !screen.replays[at].empty()) break;
    }
    screen.focus = at >= 0 && !screen.replays[at].empty() ? at : -1;
  }
  if (controls.sideStep() && screen.focus >= 0) screen.onSend = !screen.onSend;
  if (screen.focus < 0) screen.onSend = false;
}

// Which rows have a kept game, read again when the table or its folder has
// changed.
void readKeptRows(ScoresScreen &screen, const int32_t topScores[10]) {
  const std::string folder = replaysFolder();
  if (!screen.replays.empty() && folder == screen.replaysFrom &&
      std::memcmp(screen.replaysFor, topScores, sizeof screen.replaysFor) == 0)
    return;
  std::string message;
  screen.replays = keptReplayPaths(topScores, message);
  tell(message);
  std::memcpy(screen.replaysFor, topScores, sizeof screen.replaysFor);
  screen.replaysFrom = folder;
}
} // namespace

ScoresChoice showScores(ScoresScreen &screen, HighScores &scores, Menu &menu, const Controls &controls) {
  ScoresChoice choice;
  deepenVeil(menu);
  if (screen.saidFrames > 0 && --screen.saidFrames == 0) screen.said = CarryWord::kNone;
  screen.shown.said = screen.said;
  readKeptRows(screen, scores.topScores);
  std::memcpy(screen.shown.scores, scores.topScores, sizeof screen.shown.scores);
  resetWhenHeld(screen, scores, controls, choice.failure);
  displayButton(menu, kChoseBack, controls, choice.back);
  if (screen.focus >= 0 && screen.replays[screen.focus].empty()) screen.focus = -1;
  moveFocus(screen, controls);
  screen.shown.focus = screen.focus;
  screen.shown.onSend = screen.onSend;
  // A click on a kept row asks for its game, on its SEND to send it.
  const int x = controls.mouseX(), y = controls.mouseY();
  const int row = (y - kScoreRowsY) / kScoreRowStep;
  // E and I as the buttons, for play by keys.
  if ((controls.clickPressed() && within(controls, kExportAt, kExportButton)) || controls.keyPressed(K_VK_E)) {
    choice.exportPressed = true;
    return choice;
  }
  if ((controls.clickPressed() && within(controls, kImportAt, kImportButton)) || controls.keyPressed(K_VK_I)) {
    choice.importPressed = true;
    return choice;
  }
  if (controls.clickPressed() && y >= kScoreRowsY && row < kRowsShown && !screen.replays[row].empty()) {
    if (x >= kReplayArrowX && x < kScoreRowRight) choice.watch = screen.replays[row];
    else if (x >= kScoreSendX && x < kScoreSendX + kSendButton.w()) choice.send = screen.replays[row];
    if (!choice.watch.empty() || !choice.send.empty()) return choice;
  }
  // Return takes the focused row; without one it is BACK, as Escape is.
  if (screen.focus >= 0 && controls.confirmPressed()) {
    (screen.onSend ? choice.send : choice.watch) = screen.replays[screen.focus];
    return choice;
  }
  backControls(menu, controls, choice.back, screen.focus < 0);
  return choice;
}

void drawScores(const ScoresScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look) {
  drawMenuBackground(sheet);
  drawVeil(menu, sheet);
  sheet.blitAlphaRect(kScoresTitle.x1, kScoresTitle.y1, kScoresTitle.x2, kScoresTitle.y2, kScoresTitleAt.x,
                      kScoresTitleAt.y, false, false);
  for (int r = 1; r <= kRowsShown; r++) {
    const long y = kScoreRowsY + kScoreRowStep * (r - 1);
    const short arrowY = static_cast<short>(y + (kScoreRowStep - kFocusArrow.h()) / 2);
    if (!screen.replays[r - 1].empty()) {
      sheet.blitAlphaRectFx(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kReplayArrowX, arrowY, 0,
                            kReplayArrowZoom, 1, false, false, 0, 0);
      sheet.blitAlphaRect(kSendButton.x1, kSendButton.y1, kSendButton.x2, kSendButton.y2, kScoreSendX,
                          static_cast<short>(y + (kScoreRowStep - kSendButton.h()) / 2), false, false);
    }
    // The keys' focus: an arrow before the row's game, or before its SEND.
    if (screen.shown.focus == r - 1)
      sheet.blitAlphaRect(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2,
                          static_cast<short>((screen.shown.onSend ? kScoreSendX : kReplayArrowX) - kFocusArrow.w()), arrowY,
                          false, false);
    displayLeftValueAt(sheet, kScoreRankX, y, r);
    displayValueAt(sheet, kScoreValueX, y, screen.shown.scores[r - 1]);
    for (int x = kLeaderDotsFromX; x <= kLeaderDotsToX; x += kLeaderDotStep)
      sheet.blitAlphaRect(kLeaderDot.x1, kLeaderDot.y1, kLeaderDot.x2, kLeaderDot.y2, static_cast<short>(x),
                          static_cast<short>(y + kLeaderDotDrop), false, false);
  }
  blitAt(sheet, kExportButton, kExportAt);
  blitAt(sheet, kImportButton, kImportAt);
  if (screen.shown.held)
    drawResetBar(screen.shown.held, sheet);
  else if (screen.shown.said != CarryWord::kNone)
    blitAt(sheet, carryWord(static_cast<int>(screen.shown.said)), kCarryWordAt);
  drawButton(menu, kChoseBack, sheet, look);
}

void sayCarried(ScoresScreen &screen, CarryWord word) {
  screen.said = word;
  screen.saidFrames = word == CarryWord::kNone ? 0 : kSaidFrames;
}

CarryWord importWord(const CarryOutcome &outcome) {
  switch (outcome.refused) {
  case Refusal::kNone: break;
  case Refusal::kUnreadable: return CarryWord::kUnreadable;
  case Refusal::kTooLarge: return CarryWord::kTooLarge;
  case Refusal::kNotRecords: return CarryWord::kNotRecords;
  case Refusal::kLaterVersion: return CarryWord::kLaterVersion;
  case Refusal::kDamaged: return CarryWord::kDamaged;
  }
  // A part that could not be written is said by the notice of what was not
  // kept; what was merged before it is said here.
  if (!outcome.done && outcome.nothingNew()) return CarryWord::kNone;
  return outcome.nothingNew() ? CarryWord::kNothingNew : CarryWord::kImported;
}
