#include "keepnotice.h"

#include "layout.h"
#include "tell.h"

using namespace layout;

namespace {
// The notice shown, and for how many more frames.
Unkept shownWhat = Unkept::kScores;
Cause shownCause = Cause::kNone;
int framesLeft = 0;

// The strip under the words: opaque, so that they read over anything.
const float kStrip[3] = {0.07f, 0.05f, 0.12f};
} // namespace

void showKeepNotice(Unkept what, Cause cause) {
  if (cause == Cause::kNone) return;
  shownWhat = what;
  shownCause = cause;
  framesLeft = kKeepNoticeFrames;
}

void tellFailure(const KeepFailure &failure) {
  tell(failure.note);
  if (!failure.failed) return;
  tell(failure.message);
  showKeepNotice(failure.what, failure.cause);
}

void drawKeepNotice(bool overPlay, KGraphic &sheet) {
  if (framesLeft <= 0) return;
  framesLeft--;
  const int y = overPlay ? kKeepNoticePlayY : kKeepNoticeY;
  sheet.drawRect(0, static_cast<float>(y), kScreenWidth, static_cast<float>(y + kKeepNoticeHeight), kStrip[0],
                      kStrip[1], kStrip[2], 1);
  const Rect what = unkeptWhat(static_cast<int>(shownWhat));
  const Rect why = unkeptWhy(static_cast<int>(shownCause) - 1);
  const short top = static_cast<short>(y + (kKeepNoticeHeight - kUnkeptRowHeight) / 2);
  sheet.blitAlphaRect(what.x1, what.y1, what.x2, what.y2, static_cast<short>(kKeepNoticeJoin - what.w()), top,
                           false, false);
  sheet.blitAlphaRect(why.x1, why.y1, why.x2, why.y2, static_cast<short>(kKeepNoticeJoin + kKeepNoticeGap), top,
                           false, false);
}

bool keepNoticeShown(Unkept &what, Cause &cause) {
  what = shownWhat;
  cause = shownCause;
  return framesLeft > 0;
}

void resetKeepNotice() { framesLeft = 0; }
