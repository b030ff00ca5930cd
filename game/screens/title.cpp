#include "title.h"

#include "layout.h"

using namespace layout;

namespace {
// The title fades in by this a frame; the notice shows from 1, the menu comes at 3.
const float kTitleFade = 0.01f, kNoticeFrom = 1, kMenuFrom = 3;
// The doors start at this speed and gain this much a frame.
const float kDoorSpeed = 1, kDoorSpeedUp = 0.1f;
// The notice fades in by this a frame.
const float kNoticeFade = 0.03f;
} // namespace

TitleStep doTitle(Title &title) {
  TitleStep step;
  title._blend += kTitleFade;
  if (title._blend > kNoticeFrom) step.noticeShown = diplayCopyright(title);
  if (!(title._blend > kMenuFrom)) return step;
  title._slidespeed = kDoorSpeed;
  title._slidey = 0;
  step.done = true;
  return step;
}

void drawTitle(const Title &title, KGraphic &sheet) {
  sheet.blitAlphaRectFx(kTitle.x1, kTitle.y1, kTitle.x2, kTitle.y2, 0, 0, 0, 1, title._blend, false, false, 0, 0);
  if (title._blend > kNoticeFrom) drawNotice(title, sheet);
}

bool slideDoors(Title &title) {
  title.doorsShown = title._slidey < kScreenHeight;
  if (!title.doorsShown) return false;
  title.doorsShownAt = title._slidey;
  title._slidey += title._slidespeed;
  title._slidespeed += kDoorSpeedUp;
  return true;
}

void drawDoors(const Title &title, KGraphic &sheet, const Look &look) {
  if (!title.doorsShown) return;
  sheet.setBlitColor(1, 1, 1, 1);
  const Rect &top = kTitleTopDoor, &bottom = kTitleBottomDoor;
  if (look.calm) {
    const float left = 1 - title.doorsShownAt / kScreenHeight;
    sheet.blitAlphaRectFx(top.x1, top.y1, top.x2, top.y2, 0, 0, 0, 1, left, false, false, 0, 0);
    sheet.blitAlphaRectFx(bottom.x1, bottom.y1, bottom.x2, bottom.y2, 0, static_cast<short>(bottom.y1), 0, 1, left, false,
                          false, 0, 0);
    return;
  }
  sheet.blitAlphaRectFx(top.x1, top.y1, top.x2, top.y2, 0, static_cast<short>(static_cast<int>(-title.doorsShownAt)), 0,
                        1, 1, false, false, 0, 0);
  sheet.blitAlphaRectFx(bottom.x1, bottom.y1, bottom.x2, bottom.y2, 0,
                        static_cast<short>(static_cast<int>(bottom.y1 + title.doorsShownAt)), 0, 1, 1, false, false, 0,
                        0);
}

bool diplayCopyright(Title &title) {
  title.myblend += kNoticeFade;
  if (!(title.myblend > 1)) return false;
  title.myblend = 1;
  return true;
}

void drawNotice(const Title &title, KGraphic &sheet) {
  sheet.blitAlphaRectFx(kNotice.x1, kNotice.y1, kNotice.x2, kNotice.y2, kNoticeX,
                        static_cast<short>(static_cast<int>(kScreenHeight - kNoticeRise * title.myblend)), 0, 1,
                        title.myblend, false, false, 0, 0);
}
