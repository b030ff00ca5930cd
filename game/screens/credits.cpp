#include "credits.h"

#include "layout.h"

using layout::kCreditRows;
const sCredit credits[7] = {{kCreditRows[0][0], kCreditRows[0][1]}, {kCreditRows[1][0], kCreditRows[1][1]},
                            {kCreditRows[2][0], kCreditRows[2][1]}, {kCreditRows[3][0], kCreditRows[3][1]},
                            {kCreditRows[4][0], kCreditRows[4][1]}, {kCreditRows[5][0], kCreditRows[5][1]},
                            {kCreditRows[6][0], kCreditRows[6][1]}};

void doCredits(Credits &c) {
  c.creditFade += c.creditFadeSpeed;
  if (c.creditFade >= 1) {
    c.creditFade = 1;
    c.creditFadeSpeed = -c.creditFadeSpeed;
  }
  if (c.creditFade <= 0) {
    c.creditFade = 0;
    c.creditFadeSpeed = -c.creditFadeSpeed;
    c.creditIndex++;
    if (c.creditIndex > 6) c.creditIndex = 0;
  }
}

void drawCredits(const Credits &c, KGraphic &sheet) {
  sheet.blitAlphaRectFx(layout::kCreditX1, static_cast<float>(credits[c.creditIndex].srcTop), layout::kCreditX2,
                        static_cast<float>(credits[c.creditIndex].srcBottom), layout::kCreditAt.x, layout::kCreditAt.y,
                        0, 1, c.creditFade, false, false, 0, 0);
}
