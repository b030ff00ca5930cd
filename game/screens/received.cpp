#include "received.h"

#include "layout.h"

using namespace layout;

namespace {
const float kPanelColour[3] = {0.35f, 0.06f, 0.1f}, kPanelBlend = 0.92f;
const int kPanelMargin = 10;
} // namespace

void offerRefusal(RefusedScreen &screen, Verdict verdict) { screen.verdict = verdict; }

MenuEvents doRefusal(RefusedScreen &, Menu &menu, const Controls &controls) {
  MenuEvents events;
  deepenVeil(menu);
  displayButton(menu, kChoseBack, controls, events);
  backControls(menu, controls, events);
  return events;
}

void drawRefusal(const RefusedScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look) {
  drawMenuBackground(sheet);
  drawVeil(menu, sheet);
  const Rect reason = refusalText(static_cast<int>(screen.verdict) - static_cast<int>(Verdict::kDamaged));
  const int x1 = kRefusedReasonAt.x - kPanelMargin, y1 = kRefusedHeadingAt.y - kPanelMargin;
  sheet.drawRect(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(kScreenWidth - x1),
                 static_cast<float>(kRefusedReasonAt.y + reason.h() + kPanelMargin), kPanelColour[0], kPanelColour[1],
                 kPanelColour[2], kPanelBlend);
  sheet.blitAlphaRect(kRefusedHeading.x1, kRefusedHeading.y1, kRefusedHeading.x2, kRefusedHeading.y2,
                      kRefusedHeadingAt.x, kRefusedHeadingAt.y, false, false);
  sheet.blitAlphaRect(reason.x1, reason.y1, reason.x2, reason.y2, kRefusedReasonAt.x, kRefusedReasonAt.y, false, false);
  drawButton(menu, kChoseBack, sheet, look);
}
