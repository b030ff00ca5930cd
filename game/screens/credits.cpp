#include "credits.h"

#include "layout.h"
#include "assets.h"

int32_t creditIndex = 1;
float creditFade = 0;
float creditFadeSpeed = 0.005f;
using layout::kCreditRows;
const sCredit credits[7] = {{kCreditRows[0][0], kCreditRows[0][1]}, {kCreditRows[1][0], kCreditRows[1][1]},
                            {kCreditRows[2][0], kCreditRows[2][1]}, {kCreditRows[3][0], kCreditRows[3][1]},
                            {kCreditRows[4][0], kCreditRows[4][1]}, {kCreditRows[5][0], kCreditRows[5][1]},
                            {kCreditRows[6][0], kCreditRows[6][1]}};

void resetCredits() {
  creditIndex = 1;
  creditFade = 0;
  creditFadeSpeed = 0.005f;
}

void doCredits() {
  creditFade += creditFadeSpeed;
  if (creditFade >= 1) {
    creditFade = 1;
    creditFadeSpeed = -creditFadeSpeed;
  }
  if (creditFade <= 0) {
    creditFade = 0;
    creditFadeSpeed = -creditFadeSpeed;
    creditIndex++;
    if (creditIndex > 6) creditIndex = 0;
  }
  if (!surf_zunk) return;
  surf_zunk->blitAlphaRectFx(layout::kCreditX1, static_cast<float>(credits[creditIndex].srcTop), layout::kCreditX2,
                             static_cast<float>(credits[creditIndex].srcBottom), layout::kCreditAt.x,
                             layout::kCreditAt.y, 0, 1, creditFade, false, false, 0, 0);
}
