#pragma once

// The daily screen, TODAY'S WALL: today's date, what its wall offers (the
// scored try, or practice, and why), the start, the streak and the table of
// the last 30 days' scored tries, each watchable and sendable, with the
// practice game just played above them; and BACK. The keys and the pad
// move a focus over the start and the rows (Left and Right between a row's
// game and its SEND); a click or a touch takes any of them.

#include <cstdint>
#include <vector>

#include "KGraphic.h"
#include "controls.h"
#include "dailytable.h"
#include "menu.h"

/// The focus on the start, or on a row (0 the first listed).
const int kStartFocus = -1;

/// The focus, the rows scrolled past, and what the last frame showed.
struct DailyScreen {
  int focus = kStartFocus;
  bool onSend = false;
  int first = 0;
  struct Row {
    bool practice = false; ///< the practice game just played, not a day's row
    Day day = kNoDay;
    int32_t score = 0;
    bool watchable = false;
  };
  struct Scene {
    Day today = kNoDay;
    DailyTry offer = DailyTry::kScored;
    int32_t streak = 0;
    std::vector<Row> rows; ///< all the rows listed
    int first = 0, focus = kStartFocus;
    bool onSend = false;
  } shown;
};

/// What the player asked for on the daily screen.
struct DailyChoice {
  MenuEvents back;   ///< BACK: its choice is kChoseBack once it has played out
  bool start = false; ///< today's wall
  int watch = -1;     ///< a row to watch (as listed: the practice game first)
  int send = -1;      ///< a row to send
};
/// Puts the focus on the start (or on `row`, with `send`), as the screen
/// is entered.
void enterDailyScreen(DailyScreen &screen, int row = kStartFocus, bool send = false);
/// One frame of the daily screen, over `records`, with the practice game
/// just played listed first when `practiceScore` is not negative.
DailyChoice doDailyScreen(DailyScreen &screen, const DailyRecords &records, int32_t practiceScore, bool practiceWatchable,
                          Menu &menu, const Controls &controls);
void drawDaily(const DailyScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look = {});
