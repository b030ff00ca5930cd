#include "credits.h"

#include "zunk.h"

int32_t creditIndex = 1;
float creditFade = 0;
float creditFadeSpeed = 0.005f;
const sCredit credits[7] = {{877, 893}, {893, 912}, {912, 929}, {929, 948}, {948, 966}, {966, 984}, {984, 1001}};

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
  surf_zunk->blitAlphaRectFx(789, static_cast<float>(credits[creditIndex].srcTop), 1020,
                             static_cast<float>(credits[creditIndex].srcBottom), 44, 461, 0, 1, creditFade, false,
                             false, 0, 0);
}
