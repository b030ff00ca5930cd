#include "resume.h"

#include "layout.h"
#include "menu.h"

using namespace layout;

namespace {
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

void offerResumeChoice(ResumeScreen &screen) { screen.focus = 0; }

ResumeChoice doResumeChoice(ResumeScreen &screen, const Controls &controls) {
  if (const int step = controls.focusStep()) screen.focus = (screen.focus + step + 2) % 2;
  int chosen = -1;
  if (controls.clickPressed()) chosen = halfAt(controls.mouseX(), controls.mouseY());
  if (controls.confirmPressed()) chosen = screen.focus;
  if (controls.backPressed()) return kChoseMenu;
  return chosen == 0 ? kChoseContinue : chosen == 1 ? kChoseNewGame : kNotChosen;
}

void drawResumeChoice(const ResumeScreen &screen, KGraphic &sheet) {
  drawMenuBackground(sheet);
  sheet.drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, kVeil);
  sheet.blitAlphaRect(kResumePanel.x1, kResumePanel.y1, kResumePanel.x2, kResumePanel.y2, kResumePanelAt.x,
                      kResumePanelAt.y, false, false);
  const int half = kResumePanel.h() / 2;
  sheet.blitAlphaRect(kFocusArrow.x1, kFocusArrow.y1, kFocusArrow.x2, kFocusArrow.y2, kResumePanelAt.x - kArrowGap,
                      static_cast<short>(kResumePanelAt.y + screen.focus * half + (half - kFocusArrow.h()) / 2), false,
                      false);
}
