#include "title.h"

#include <string>

#include "KMiscTools.h"
#include "assets.h"
#include "layout.h"
#include "keptreplays.h"
#include "tell.h"

using namespace layout;

namespace {
// The title's fade, the doors' slide and the notice's fade.
float _blend = 0, _slidey = 0, _slidespeed = 0;
float myblend = 0;
bool soundloaded = false;
// The title fades in by this a frame; the notice shows from 1, the menu comes at 3.
const float kTitleFade = 0.01f, kNoticeFrom = 1, kMenuFrom = 3;
// The doors start at this speed and gain this much a frame.
const float kDoorSpeed = 1, kDoorSpeedUp = 0.1f;
// The notice fades in by this a frame.
const float kNoticeFade = 0.03f;
} // namespace

void resetTitle() {
  _blend = _slidey = _slidespeed = 0;
  myblend = 0;
  soundloaded = false;
}

void loadSoundsOnce() {
  if (soundloaded) return;
  KMiscTools::initMiscTools();
  std::string message;
  reloadTable(message);
  tell(message);
  loadSounds(message);
  tell(message);
  soundloaded = true;
}

bool doTitle() {
  _blend += kTitleFade;
  surf_zunk->blitAlphaRectFx(kTitle.x1, kTitle.y1, kTitle.x2, kTitle.y2, 0, 0, 0, 1, _blend, false, false, 0, 0);
  if (_blend > kNoticeFrom) diplayCopyright();
  if (!(_blend > kMenuFrom)) return false;
  _slidespeed = kDoorSpeed;
  _slidey = 0;
  return true;
}

bool drawDoors() {
  if (!(_slidey < kScreenHeight)) return false;
  surf_zunk->setBlitColor(1, 1, 1, 1);
  const Rect &top = kTitleTopDoor, &bottom = kTitleBottomDoor;
  surf_zunk->blitAlphaRectFx(top.x1, top.y1, top.x2, top.y2, 0, static_cast<short>(static_cast<int>(-_slidey)), 0, 1, 1,
                             false, false, 0, 0);
  surf_zunk->blitAlphaRectFx(bottom.x1, bottom.y1, bottom.x2, bottom.y2, 0,
                             static_cast<short>(static_cast<int>(bottom.y1 + _slidey)), 0, 1, 1, false, false, 0, 0);
  _slidey += _slidespeed;
  _slidespeed += kDoorSpeedUp;
  return true;
}

void diplayCopyright() {
  myblend += kNoticeFade;
  if (myblend > 1) {
    myblend = 1;
    loadSoundsOnce();
  }
  surf_zunk->blitAlphaRectFx(kNotice.x1, kNotice.y1, kNotice.x2, kNotice.y2, kNoticeX,
                             static_cast<short>(static_cast<int>(kScreenHeight - kNoticeRise * myblend)), 0, 1, myblend,
                             false, false, 0, 0);
}
