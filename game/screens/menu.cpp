#include "menu.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "layout.h"

using namespace layout;

namespace {
// A picture of the sheet as a button at its place on the menu.
constexpr int16_t i16(int v) { return static_cast<int16_t>(v); }
constexpr sButton button(int32_t id, const Rect &picture, int y) {
  return {id, i16(picture.x1), i16(picture.y1), i16(picture.x2), i16(picture.y2), i16(kButtonX), i16(y), 0, 0, 1, 0, 1,
          0};
}
// Button k of the sheet's five; the id of BACK is QUIT's.
constexpr sButton button(int32_t id, int k) { return button(id, kButtons[k], kButtonY[k]); }
// The buttons each given a random phase, in the order they always were.
const int kRandomPhases = 5;

// The veil deepens by this much a frame, up to kDeepestVeil.
const float kVeilStep = 0.02f, kDeepestVeil = 0.5f;
// A button's wobble, and how a chosen one grows and fades.
const float kPhaseSpeed = 0.05f, kFullTurn = 6.28f, kWobble = 30;
const float kChosenGrowth = 0.2f, kChosenFade = 0.025f, kOthersFade = 0.03f, kChosenDone = 2;
// A random phase: 0 to 6.27, in hundredths.
const int kPhaseSteps = 628;

bool clickedAt(const Controls &controls, const Rect &picture, Place at) {
  const int x = controls.mouseX(), y = controls.mouseY();
  return controls.clickPressed() && x >= at.x && x < at.x + picture.w() && y >= at.y && y < at.y + picture.h();
}

void drawAt(KGraphic &sheet, const Rect &picture, Place at) {
  sheet.blitAlphaRect(picture.x1, picture.y1, picture.x2, picture.y2, static_cast<short>(at.x), static_cast<short>(at.y),
                      false, false);
}

// Chooses a button as a click on it does.
void choose(Menu &menu, int32_t index, MenuEvents &events) {
  events.pressed = true;
  menu.selectedButton = index;
}

// The focus goes round OPTIONS and the five buttons, top to bottom.
const int32_t kFocusOrder[] = {kFocusOptions, kChosePlay, kChoseScores, kChoseHelp, kChoseDaily, kChoseQuit};
const int kFocusPlaces = static_cast<int>(std::size(kFocusOrder));

int32_t nextFocus(int32_t focus, int step) {
  int at = -1;
  for (int i = 0; i < kFocusPlaces; i++)
    if (kFocusOrder[i] == focus) at = i;
  if (at < 0) return step > 0 ? kChosePlay : kChoseQuit;
  return kFocusOrder[(at + step + kFocusPlaces) % kFocusPlaces];
}

// The switches, OPTIONS, and the focus the arrows, Tab and the D-pad move
// between OPTIONS and the five buttons; Return or A chooses the focused
// one, or PLAY.
void menuControls(Menu &menu, const Controls &controls, bool musicOn, bool soundsOn, MenuEvents &events) {
  menu.shown.musicOn = musicOn;
  menu.shown.soundsOn = soundsOn;
  menu.shown.focusArrow = -1;
  if (menu.selectedButton != -1 || menu.lockMenu) return;
  events.switchMusic = clickedAt(controls, musicOn ? kMusicOn : kMusicOff, kMusicIconAt);
  events.switchSounds = clickedAt(controls, soundsOn ? kSoundsOn : kSoundsOff, kSoundsIconAt);
  int32_t &focus = menu.menuFocus;
  if (const int step = controls.focusStep()) focus = nextFocus(focus, step);
  const bool options = clickedAt(controls, kOptionsButton, kOptionsButtonAt);
  if (options || (controls.confirmPressed() && focus == kFocusOptions)) {
    events.pressed = true;
    events.choice = kChoseOptions;
    return;
  }
  if (controls.confirmPressed()) {
    choose(menu, focus < 0 ? 0 : focus, events);
    return;
  }
  menu.shown.focusArrow = focus;
}
} // namespace

const sButton kFirstButtons[kMenuButtons] = {button(0, 0), button(1, 1), button(2, 2), button(3, 3), button(3, 4),
                                             button(kChoseDaily, kDailyButton, kDailyButtonY)};

Menu::Menu() { std::copy(std::begin(kFirstButtons), std::end(kFirstButtons), buttons); }

void putButtonsBack(Menu &menu) {
  std::copy(std::begin(kFirstButtons), std::end(kFirstButtons), menu.buttons);
  resetButtons(menu);
}

void resetButtons(Menu &menu) {
  menu.fadeback = 0;
  for (int i = 0; i < kMenuButtons; i++) {
    sButton &b = menu.buttons[i];
    b.phaseSpeed = kPhaseSpeed;
    b.destX2 = static_cast<int16_t>(b.destX + (b.srcX2 - b.srcX1));
    b.destY2 = static_cast<int16_t>(b.destY + (b.srcY2 - b.srcY1));
    if (i < kRandomPhases) b.phase = static_cast<float>(std::rand() % kPhaseSteps) / 100;
  }
  // A button added later draws no number of rand()'s: the menu and the
  // games after it draw what they always drew.
  const float against = menu.buttons[kChoseHelp].phase + kFullTurn / 2;
  menu.buttons[kChoseDaily].phase = against > kFullTurn ? against - kFullTurn : against;
}

void displayButton(Menu &menu, long index, const Controls &controls, MenuEvents &events) {
  sButton &b = menu.buttons[index];
  MenuScene::Button &shown = menu.shown.buttons[index];
  if (menu.selectedButton == -1) {
    b.zoom = 1;
    b.blend = 1;
  } else if (b.zoom > kChosenDone) {
    // QUIT stays chosen while the program ends.
    if (index != kChoseQuit) menu.selectedButton = -1;
    resetButtons(menu);
    shown.drawn = false;
    events.choice = static_cast<MenuChoice>(index);
    return;
  }
  if (index == menu.selectedButton) {
    b.zoom += kChosenGrowth;
    b.blend -= kChosenFade;
  } else if (menu.selectedButton != -1) {
    b.blend -= kOthersFade;
  }
  if (b.blend < 0) b.blend = 0;
  b.phase += b.phaseSpeed;
  if (b.phase > kFullTurn) b.phase = 0;
  shown = {true, static_cast<float>(b.zoom + std::cos(static_cast<double>(b.phase)) / kWobble), b.zoom, b.blend};
  if (menu.selectedButton == -1 && !menu.lockMenu && controls.mouseHeld()) {
    const int x = controls.mouseX(), y = controls.mouseY();
    if (b.destX <= x && x <= b.destX2 && b.destY <= y && y <= b.destY2) choose(menu, static_cast<int32_t>(index), events);
  }
}

void drawButton(const Menu &menu, long index, KGraphic &sheet, const Look &look) {
  const sButton &b = menu.buttons[index];
  const MenuScene::Button &shown = menu.shown.buttons[index];
  if (!shown.drawn) return;
  sheet.setTextureQuality(true);
  // Calmer motion: the phases turn as ever, only the wobble is not shown.
  const float zoom = look.calm ? shown.stillZoom : shown.zoom;
  sheet.blitAlphaRectFx(b.srcX1, b.srcY1, b.srcX2, b.srcY2, b.destX, b.destY, 0, zoom, shown.blend, false, false, 0, 0);
  sheet.setTextureQuality(false);
}

MenuEvents doMenu(Menu &menu, const Controls &controls, bool musicOn, bool soundsOn) {
  // A button done leaves the others to run their frame as well.
  MenuEvents events;
  for (long i = 0; i < 4; i++) displayButton(menu, i, controls, events);
  displayButton(menu, kChoseDaily, controls, events);
  menuControls(menu, controls, musicOn, soundsOn, events);
  return events;
}

void drawMenu(const Menu &menu, KGraphic &sheet, const Look &look) {
  drawMenuBackground(sheet);
  for (long i = 0; i < 4; i++) drawButton(menu, i, sheet, look);
  drawButton(menu, kChoseDaily, sheet, look);
  const MenuScene &shown = menu.shown;
  drawAt(sheet, kOptionsButton, kOptionsButtonAt);
  drawAt(sheet, shown.musicOn ? kMusicOn : kMusicOff, kMusicIconAt);
  drawAt(sheet, shown.soundsOn ? kSoundsOn : kSoundsOff, kSoundsIconAt);
  if (shown.focusArrow == kFocusOptions) {
    drawAt(sheet, kFocusArrow, {kFocusArrowX, kOptionsButtonAt.y + (kOptionsButton.h() - kFocusArrow.h()) / 2});
  } else if (shown.focusArrow >= 0) {
    const sButton &b = menu.buttons[shown.focusArrow];
    drawAt(sheet, kFocusArrow, {kFocusArrowX, b.destY + (b.srcY2 - b.srcY1 - kFocusArrow.h()) / 2});
  }
}

void drawMenuBackground(KGraphic &sheet) {
  sheet.blitAlphaRectFx(kMenuBackground.x1, kMenuBackground.y1, kMenuBackground.x2, kMenuBackground.y2, 0, 0, 0, 1, 1,
                        false, false, 0, 0);
}

void backControls(Menu &menu, const Controls &controls, MenuEvents &events, bool returnToo) {
  if (controls.backPressed() || (returnToo && controls.confirmPressed())) pressBack(menu, events);
}

void pressBack(Menu &menu, MenuEvents &events) {
  if (menu.selectedButton == -1 && !menu.lockMenu) choose(menu, kChoseBack, events);
}

void deepenVeil(Menu &menu) {
  menu.fadeback += kVeilStep;
  if (menu.fadeback > kDeepestVeil) menu.fadeback = kDeepestVeil;
  menu.shown.veil = menu.fadeback;
}

void drawVeil(const Menu &menu, KGraphic &sheet) {
  sheet.drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, menu.shown.veil);
}
