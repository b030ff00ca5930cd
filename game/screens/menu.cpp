#include "menu.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "KInput.h"
#include "assets.h"
#include "controls.h"
#include "layout.h"
#include "switches.h"

using namespace layout;

namespace {
// Button k of the sheet at its place on the menu; the id of BACK is QUIT's.
constexpr int16_t i16(int v) { return static_cast<int16_t>(v); }
constexpr sButton button(int32_t id, int k) {
  return {id, i16(kButtons[k].x1), i16(kButtons[k].y1), i16(kButtons[k].x2), i16(kButtons[k].y2),
          i16(kButtonX),   i16(kButtonY[k]),    0,   0,  1,  0,  1, 0};
}

float fadeback = 0;
// The veil deepens by this much a frame, up to kDeepestVeil.
const float kVeilStep = 0.02f, kDeepestVeil = 0.5f;
// A button's wobble, and how a chosen one grows and fades.
const float kPhaseSpeed = 0.05f, kFullTurn = 6.28f, kWobble = 30;
const float kChosenGrowth = 0.2f, kChosenFade = 0.025f, kOthersFade = 0.03f, kChosenDone = 2;
// A random phase: 0 to 6.27, in hundredths.
const int kPhaseSteps = 628;

bool clickedAt(const Rect &picture, Place at) {
  const int x = KInput::getMouseX(), y = KInput::getMouseY();
  return clickPressed() && x >= at.x && x < at.x + picture.w() && y >= at.y && y < at.y + picture.h();
}

void drawAt(const Rect &picture, Place at) {
  surf_zunk->blitAlphaRect(picture.x1, picture.y1, picture.x2, picture.y2, static_cast<short>(at.x), static_cast<short>(at.y),
                           false, false);
}

// Chooses a button as a click on it does.
void choose(int32_t index) {
  playSound(snd_menu);
  selectedButton = index;
}

// The switches, and the focus the arrows, Tab and the D-pad move between the
// four buttons; Return or A chooses the focused button, or PLAY.
void menuControls() {
  const Rect &music = playerSettings.music ? kMusicOn : kMusicOff;
  const Rect &sounds = playerSettings.sounds ? kSoundsOn : kSoundsOff;
  drawAt(music, kMusicIconAt);
  drawAt(sounds, kSoundsIconAt);
  if (selectedButton != -1 || lockMenu) return;
  switchSounds(clickedAt(music, kMusicIconAt), clickedAt(sounds, kSoundsIconAt));
  if (const int step = focusStep()) menuFocus = menuFocus < 0 ? (step > 0 ? 0 : 3) : (menuFocus + step + 4) % 4;
  if (confirmPressed()) {
    choose(menuFocus < 0 ? 0 : menuFocus);
    return;
  }
  if (menuFocus >= 0) {
    const Rect &b = kButtons[menuFocus];
    drawAt(kFocusArrow, {kFocusArrowX, kButtonY[menuFocus] + (b.h() - kFocusArrow.h()) / 2});
  }
}
} // namespace

sButton buttons[5] = {button(0, 0), button(1, 1), button(2, 2), button(3, 3), button(3, 4)};
sButton storeButtons[5] = {button(0, 0), button(1, 1), button(2, 2), button(3, 3), button(3, 4)};
int32_t selectedButton = -1;
int32_t menuFocus = -1;
bool lockMenu = false;

void putButtonsBack() {
  std::memcpy(buttons, storeButtons, sizeof buttons);
  resetButtons();
}

void resetButtons() {
  fadeback = 0;
  for (sButton &b : buttons) {
    b.phaseSpeed = kPhaseSpeed;
    b.destX2 = static_cast<int16_t>(b.destX + (b.srcX2 - b.srcX1));
    b.destY2 = static_cast<int16_t>(b.destY + (b.srcY2 - b.srcY1));
    b.phase = static_cast<float>(std::rand() % kPhaseSteps) / 100;
  }
}

MenuChoice displayButton(long index) {
  sButton &b = buttons[index];
  if (selectedButton == -1) {
    b.zoom = 1;
    b.blend = 1;
  } else if (b.zoom > kChosenDone) {
    // QUIT stays chosen while the program ends.
    if (index != kChoseQuit) selectedButton = -1;
    resetButtons();
    return static_cast<MenuChoice>(index);
  }
  if (index == selectedButton) {
    b.zoom += kChosenGrowth;
    b.blend -= kChosenFade;
  } else if (selectedButton != -1) {
    b.blend -= kOthersFade;
  }
  if (b.blend < 0) b.blend = 0;
  b.phase += b.phaseSpeed;
  if (b.phase > kFullTurn) b.phase = 0;
  surf_zunk->setTextureQuality(true);
  surf_zunk->blitAlphaRectFx(b.srcX1, b.srcY1, b.srcX2, b.srcY2, b.destX, b.destY, 0,
                             static_cast<float>(b.zoom + std::cos(static_cast<double>(b.phase)) / kWobble), b.blend, false,
                             false, 0, 0);
  surf_zunk->setTextureQuality(false);
  if (selectedButton == -1 && !lockMenu && KInput::getLeftButtonState()) {
    const int x = KInput::getMouseX(), y = KInput::getMouseY();
    if (b.destX <= x && x <= b.destX2 && b.destY <= y && y <= b.destY2) choose(static_cast<int32_t>(index));
  }
  return kNoChoice;
}

MenuChoice doMenu() {
  surf_zunk->blitAlphaRectFx(kMenuBackground.x1, kMenuBackground.y1, kMenuBackground.x2, kMenuBackground.y2, 0, 0, 0, 1,
                             1, false, false, 0, 0);
  // A button done leaves the others to run their frame as well.
  MenuChoice chosen = kNoChoice;
  for (long i = 0; i < 4; i++)
    if (const MenuChoice c = displayButton(i); c != kNoChoice) chosen = c;
  menuControls();
  return chosen;
}

void backControls() {
  if (selectedButton == -1 && !lockMenu && (backPressed() || confirmPressed())) choose(kChoseBack);
}

void drawVeil() {
  fadeback += kVeilStep;
  if (fadeback > kDeepestVeil) fadeback = kDeepestVeil;
  surf_zunk->drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, fadeback);
}
