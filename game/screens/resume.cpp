#include "resume.h"

#include "assets.h"
#include "controls.h"
#include "layout.h"

using namespace layout;

namespace {
int focus = 0; // 0 CONTINUE, 1 NEW GAME
const float kVeil = 0.5f;
// The focus arrow stands this far left of the panel.
const int kArrowGap = 20;

// The half of the panel (0 or 1) under the pointer, or -1.
int halfAt(int x, int y) {
  const int x1 = kResumePanelAt.x, y1 = kResumePanelAt.y;
  if (x < x1 || x >= x1 + kResumePanel.w() || y < y1 || y >= y1 + kResumePanel.h()) return -1;
  return y < y1 + kResumePanel.h() / 2 ? 0 : 1;
}
} // namespace

void offerResumeChoice() { focus = 0; }

ResumeChoice doResumeChoice() {
  surf_zunk->blitAlphaRectFx(kMenuBackground.x1, kMenuBackground.y1, kMenuBackground.x2, kMenuBackground.y2, 0, 0, 0,
                             1, 1, false, false, 0, 0);
  surf_zunk->drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, kVeil);
  surf_zunk->blitAlphaRect(kResumePanel.x1, kResumePanel.y1, kResumePanel.x2, kResumePanel.y2, kResumePanelAt.x,
                           kResumePanelAt.y, false, false);
  if (const int step = focusStep()) focus = (focus + step + 2) % 2;
  const int half = kResumePanel.h() / 2;
  surf_zunk->blitAlphaRect(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kResumePanelAt.x - kArrowGap,
                           static_cast<short>(kResumePanelAt.y + focus * half + (half - kFocusArrow.h()) / 2), false,
                           false);
  int chosen = -1;
  if (clickPressed()) chosen = halfAt(mouseX(), mouseY());
  if (confirmPressed()) chosen = focus;
  if (backPressed()) return kChoseMenu;
  return chosen == 0 ? kChoseContinue : chosen == 1 ? kChoseNewGame : kNotChosen;
}
