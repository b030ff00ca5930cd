#include "daily.h"

#include <algorithm>

#include "layout.h"
#include "playview.h"

using namespace layout;

namespace {
// The scroll arrows are the focus arrow turned, smaller.
const float kScrollZoom = 0.6f, kUp = 90, kDown = -90;
// A row's SEND lies this far below the row's top.
const int kSendDrop = 2;

bool inside(int x, int y, int x1, int y1, int w, int h) { return x >= x1 && x < x1 + w && y >= y1 && y < y1 + h; }

std::vector<DailyScreen::Row> rowsOf(const DailyRecords &records, int32_t practiceScore, bool practiceWatchable) {
  std::vector<DailyScreen::Row> rows;
  if (practiceScore >= 0) rows.push_back({true, kNoDay, practiceScore, practiceWatchable});
  for (const DailyRow &row : records.table.rows) rows.push_back({false, row.day, row.score, !row.replay.empty()});
  return rows;
}

// The next row the focus can take from `from` going `step` (the start is
// -1 and comes round with the rows).
int nextFocus(const std::vector<DailyScreen::Row> &rows, int from, int step) {
  const int count = static_cast<int>(rows.size()) + 1;
  int at = from + 1;
  for (int i = 0; i < count; i++) {
    at = (at + step + count) % count;
    if (at == 0 || rows[static_cast<size_t>(at - 1)].watchable) return at - 1;
  }
  return kStartFocus;
}

// The rows scrolled so that `focus` is shown.
void scrollTo(DailyScreen &screen, int rows) {
  if (screen.focus >= 0) {
    if (screen.focus < screen.first) screen.first = screen.focus;
    if (screen.focus >= screen.first + kDailyRowsShown) screen.first = screen.focus - kDailyRowsShown + 1;
  }
  screen.first = std::max(0, std::min(screen.first, rows - kDailyRowsShown));
}

const Rect &startPicture(DailyTry offer) { return offer == DailyTry::kScored ? kStartScored : kStartPractice; }

void drawAt(KGraphic &sheet, const Rect &r, int x, int y) {
  sheet.blitAlphaRect(r.x1, r.y1, r.x2, r.y2, static_cast<short>(x), static_cast<short>(y), false, false);
}

void drawArrow(KGraphic &sheet, int x, int y, float angle, float zoom) {
  sheet.blitAlphaRectFx(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, static_cast<short>(x),
                        static_cast<short>(y), angle, zoom, 1, false, false, 0, 0);
}
} // namespace

void enterDailyScreen(DailyScreen &screen, int row, bool send) {
  screen.focus = row;
  screen.onSend = send;
  screen.first = 0;
}

DailyChoice doDailyScreen(DailyScreen &screen, const DailyRecords &records, int32_t practiceScore,
                          bool practiceWatchable, Menu &menu, const Controls &controls) {
  DailyChoice choice;
  deepenVeil(menu);
  DailyScreen::Scene &shown = screen.shown;
  shown.today = today(records);
  shown.offer = dailyTry(records, shown.today);
  shown.streak = currentStreak(records);
  shown.rows = rowsOf(records, practiceScore, practiceWatchable);
  const int rows = static_cast<int>(shown.rows.size());
  if (screen.focus >= rows || (screen.focus >= 0 && !shown.rows[static_cast<size_t>(screen.focus)].watchable))
    screen.focus = kStartFocus;
  displayButton(menu, kChoseBack, controls, choice.back);
  const bool free = menu.selectedButton == -1 && !menu.lockMenu;
  if (free) {
    // The keys and the pad.
    if (const int step = controls.focusStep()) screen.focus = nextFocus(shown.rows, screen.focus, step);
    if (controls.sideStep() && screen.focus >= 0) screen.onSend = !screen.onSend;
    if (screen.focus < 0) screen.onSend = false;
    if (controls.confirmPressed()) {
      if (screen.focus == kStartFocus) choice.start = true;
      else (screen.onSend ? choice.send : choice.watch) = screen.focus;
    }
    // The mouse, or a finger.
    const int x = controls.mouseX(), y = controls.mouseY();
    if (controls.clickPressed()) {
      const Rect &start = startPicture(shown.offer);
      if (inside(x, y, kDailyStartAt.x, kDailyStartAt.y, start.w(), start.h())) choice.start = true;
      const int scrollH = kFocusArrow.w();
      if (rows > kDailyRowsShown && inside(x, y, kDailyScrollX - 4, kDailyRowsY - 4, scrollH + 8, scrollH + 8))
        screen.first--;
      if (rows > kDailyRowsShown &&
          inside(x, y, kDailyScrollX - 4, kDailyRowsY + kDailyRowStep * (kDailyRowsShown - 1) - 4, scrollH + 8,
                 scrollH + 8))
        screen.first++;
      const int shownRow = (y - kDailyRowsY) / kDailyRowStep, row = screen.first + shownRow;
      if (y >= kDailyRowsY && shownRow < kDailyRowsShown && row < rows && shown.rows[static_cast<size_t>(row)].watchable) {
        const int rowY = kDailyRowsY + kDailyRowStep * shownRow;
        if (inside(x, y, kDailySendX, rowY + kSendDrop, kSendButton.w(), kSendButton.h())) choice.send = row;
        else if (x >= kDailyDateX - 4 && x < kDailySendX - 2) choice.watch = row;
      }
    }
  }
  backControls(menu, controls, choice.back, false);
  scrollTo(screen, rows);
  shown.first = screen.first;
  shown.focus = screen.focus;
  shown.onSend = screen.onSend;
  return choice;
}

void drawDaily(const DailyScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look) {
  const DailyScreen::Scene &s = screen.shown;
  drawMenuBackground(sheet);
  drawVeil(menu, sheet);
  drawAt(sheet, kDailyButton, kDailyHeadingAt.x, kDailyHeadingAt.y);
  if (s.today != kNoDay) displayDayAt(sheet, (kScreenWidth - dayWidth(s.today)) / 2, kDailyDateY, s.today);
  drawAt(sheet, dailyTryText(static_cast<int>(s.offer)), kDailyTryAt.x, kDailyTryAt.y);
  const Rect &start = startPicture(s.offer);
  drawAt(sheet, start, kDailyStartAt.x, kDailyStartAt.y);
  drawAt(sheet, kStreakLabel, kStreakJoinX - kStreakLabel.w(), kStreakY);
  displayLeftValueAt(sheet, kStreakJoinX + 4, kStreakY - 1, s.streak);
  // The focus: an arrow before the start, a row's game or its SEND.
  const int arrowDrop = (kDailyRowStep - kFocusArrow.h()) / 2;
  if (s.focus == kStartFocus)
    drawAt(sheet, kFocusArrow, kFocusArrowX, kDailyStartAt.y + (start.h() - kFocusArrow.h()) / 2);
  const int rows = static_cast<int>(s.rows.size());
  if (rows == 0) drawAt(sheet, kNoDailyRows, (kScreenWidth - kNoDailyRows.w()) / 2, kDailyRowsY + 4);
  for (int v = 0; v < kDailyRowsShown && s.first + v < rows; v++) {
    const DailyScreen::Row &row = s.rows[static_cast<size_t>(s.first + v)];
    const int y = kDailyRowsY + kDailyRowStep * v;
    if (row.practice) drawAt(sheet, kPracticeRowLabel, kDailyDateX, y + 1);
    else displayDayAt(sheet, kDailyDateX, y, row.day);
    displayValueAt(sheet, kDailyScoreX, y, row.score);
    if (row.watchable) {
      sheet.blitAlphaRectFx(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kDailyArrowX,
                            static_cast<short>(y + arrowDrop), 0, kReplayArrowZoom, 1, false, false, 0, 0);
      drawAt(sheet, kSendButton, kDailySendX, y + kSendDrop);
    }
    if (s.first + v == s.focus) {
      const int x = s.onSend ? kDailySendX - kFocusArrow.w() + 2 : kDailyDateX - kFocusArrow.w() + 2;
      drawArrow(sheet, x, y + arrowDrop, 0, kReplayArrowZoom);
    }
  }
  if (rows > kDailyRowsShown) {
    if (s.first > 0) drawArrow(sheet, kDailyScrollX, kDailyRowsY, kUp, kScrollZoom);
    if (s.first + kDailyRowsShown < rows)
      drawArrow(sheet, kDailyScrollX, kDailyRowsY + kDailyRowStep * (kDailyRowsShown - 1), kDown, kScrollZoom);
  }
  drawButton(menu, kChoseBack, sheet, look);
}
