#include "keepnotice.h"

#include "layout.h"
#include "tell.h"

using namespace layout;

namespace {
// The strip under the words: opaque, so that they read over anything.
const float kStrip[3] = {0.07f, 0.05f, 0.12f};
} // namespace

void showKeepNotice(KeepNotice &notice, Unkept what, Cause cause) {
  if (cause == Cause::kNone) return;
  notice.what = what;
  notice.cause = cause;
  notice.framesLeft = kKeepNoticeFrames;
}

void tellFailure(KeepNotice &notice, const KeepFailure &failure) {
  tell(failure.note);
  if (!failure.failed) return;
  tell(failure.message);
  showKeepNotice(notice, failure.what, failure.cause);
}

void countKeepNotice(KeepNotice &notice, bool overPlay) {
  notice.shown = notice.framesLeft > 0;
  notice.overPlay = overPlay;
  if (notice.shown) notice.framesLeft--;
}

void drawKeepNotice(const KeepNotice &notice, KGraphic &sheet) {
  if (!notice.shown) return;
  const int y = notice.overPlay ? kKeepNoticePlayY : kKeepNoticeY;
  sheet.drawRect(0, static_cast<float>(y), kScreenWidth, static_cast<float>(y + kKeepNoticeHeight), kStrip[0], kStrip[1],
                 kStrip[2], 1);
  const Rect what = notice.what == Unkept::kDaily ? kDailyNotKept : unkeptWhat(static_cast<int>(notice.what));
  const Rect why = unkeptWhy(static_cast<int>(notice.cause) - 1);
  const short top = static_cast<short>(y + (kKeepNoticeHeight - kUnkeptRowHeight) / 2);
  sheet.blitAlphaRect(what.x1, what.y1, what.x2, what.y2, static_cast<short>(kKeepNoticeJoin - what.w()), top, false,
                      false);
  sheet.blitAlphaRect(why.x1, why.y1, why.x2, why.y2, static_cast<short>(kKeepNoticeJoin + kKeepNoticeGap), top, false,
                      false);
}

bool keepNoticeShown(const KeepNotice &notice, Unkept &what, Cause &cause) {
  what = notice.what;
  cause = notice.cause;
  return notice.framesLeft > 0;
}
