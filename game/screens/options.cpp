#include "options.h"

#include <algorithm>
#include <cstdio>

#include "language.h"
#include "layout.h"
#include "settings.h"

using namespace layout;

namespace {
// A row's box on the screen: the options' rows and the keys' page's.
const int kRowHeight = 28, kKeysRowHeight = 22;
// The options darken the menu further than its veil: their rows cross its
// title. The focused row lit, and the slider's steps lit and unlit.
const float kOptionsShade = 0.7f;
const float kFocusLight = 0.18f;
const float kStepLit[3] = {1, 0.72f, 0.2f}, kStepUnlit = 0.3f;
// The first step's height and how much each next one gains.
const int kStepFirstHeight = 6, kStepGrowth = 14;
// The arrows either side of a value that steps.
const int kArrowLeftX = kOptionValueAt - 12, kArrowRightX = kOptionValueRight;

int rowY(int row) { return kOptionRowsY + kOptionRowStep * row; }
int actionRowY(int row) { return kActionRowsY + kActionRowStep * row; }

bool inside(int x, int y, int x1, int y1, int w, int h) { return x >= x1 && x < x1 + w && y >= y1 && y < y1 + h; }

// The row of the options' page at (x, y), or -1 (BACK is the menu's button).
int optionRowAt(int x, int y) {
  for (int row = 0; row < kRowKeys; row++)
    if (inside(x, y, 0, rowY(row), kScreenWidth, kRowHeight)) return row;
  if (inside(x, y, kKeysButtonAt.x, kKeysButtonAt.y, kKeysButton.w(), kKeysButton.h())) return kRowKeys;
  return -1;
}

int keysRowAt(int x, int y) {
  for (int row = 0; row < kRowReset; row++)
    if (inside(x, y, 0, actionRowY(row), kScreenWidth, kKeysRowHeight)) return row;
  if (inside(x, y, kResetButtonAt.x, kResetButtonAt.y, kResetButton.w(), kResetButton.h())) return kRowReset;
  return -1;
}

// The slider's level a click at x sets: left of the first step, off.
int levelAt(int x) { return std::clamp((x - kOptionValueAt) / (kSliderStepWidth + kSliderStepGap), 0, kSliderSteps); }

// A value changed by `step` (+1, -1), or by Return (`step` 0: the next one).
void changeRow(int row, int step, const OptionValues &values, OptionsEvents &events) {
  const int along = step ? step : 1;
  switch (row) {
  case kRowMusic: events.musicLevel = std::clamp(values.musicLevel + step, 0, kSliderSteps); break;
  case kRowEffects: events.soundsLevel = std::clamp(values.soundsLevel + step, 0, kSliderSteps); break;
  case kRowLanguage:
    // As the system, then each language, round again.
    events.language = true;
    events.languageIndex = (values.language + 1 + along + kLanguageCount + 1) % (kLanguageCount + 1) - 1;
    break;
  case kRowWindowSize: events.windowStep = along; break;
  case kRowFullScreen: events.fullScreen = true; break;
  case kRowCalm: events.calm = true; break;
  case kRowContrast: events.contrast = true; break;
  default: break;
  }
  events.menu.pressed = true;
}

// A click on a row of the options' page.
void clickRow(OptionsScreen &screen, int row, int x, const OptionValues &values, OptionsEvents &events) {
  screen.focus = row;
  if (row == kRowMusic || row == kRowEffects) {
    (row == kRowMusic ? events.musicLevel : events.soundsLevel) = levelAt(x);
    events.menu.pressed = true;
  } else if (row == kRowLanguage || row == kRowWindowSize) {
    changeRow(row, x < (kOptionValueAt + kOptionValueRight) / 2 ? -1 : 1, values, events);
  } else if (row == kRowKeys) {
    screen.keysPage = true;
    screen.focus = -1;
    events.menu.pressed = true;
  } else {
    changeRow(row, 0, values, events);
  }
}

void optionsPage(OptionsScreen &screen, Menu &menu, const Controls &controls, const OptionValues &values,
                 OptionsEvents &events) {
  if (controls.clickPressed()) {
    const int row = optionRowAt(controls.mouseX(), controls.mouseY());
    if (row >= 0) clickRow(screen, row, controls.mouseX(), values, events);
    screen.sliding = row == kRowMusic || row == kRowEffects ? row : -1;
  } else if (screen.sliding >= 0 && controls.mouseHeld()) {
    // Dragged along: the level under the pointer, quietly.
    const int level = levelAt(controls.mouseX());
    const bool music = screen.sliding == kRowMusic;
    if (level != (music ? values.musicLevel : values.soundsLevel)) (music ? events.musicLevel : events.soundsLevel) = level;
  }
  if (!controls.mouseHeld()) screen.sliding = -1;
  if (const int step = controls.focusStep())
    screen.focus = screen.focus < 0 ? (step > 0 ? 0 : kRowBack) : (screen.focus + step + kOptionRows) % kOptionRows;
  if (const int step = controls.sideStep(); step && screen.focus >= 0 && screen.focus < kRowKeys)
    changeRow(screen.focus, step, values, events);
  if (controls.confirmPressed() && screen.focus >= 0) {
    if (screen.focus == kRowBack) pressBack(menu, events.menu);
    else if (screen.focus == kRowKeys) clickRow(screen, kRowKeys, 0, values, events);
    else changeRow(screen.focus, 0, values, events);
  }
  if (controls.backPressed()) pressBack(menu, events.menu);
}

// The new key (or button) for the row waiting, once one is pressed: taken
// unless another action has it (said); Esc or a click leaves it as it was.
void takeKey(OptionsScreen &screen, const Controls &controls, const OptionValues &values, OptionsEvents &events) {
  const int row = screen.waiting;
  if (controls.keyPressed(K_VK_ESCAPE) || controls.clickPressed()) {
    screen.waiting = -1;
    return;
  }
  KeyMap keys = values.keys;
  int taken = -1;
  if (row < kRowFirstPad) {
    const EKeyboardLayout key = controls.firstKeyPressed();
    if (!assignableKey(key)) return;
    taken = keyTakenBy(keys, row, key);
    keys.keys[row] = key;
  } else {
    const int button = controls.firstPadButtonPressed();
    if (!assignablePadButton(button)) return;
    const int other = padButtonTakenBy(keys, row - kRowFirstPad, button);
    taken = other < 0 ? -1 : kRowFirstPad + other;
    keys.pad[row - kRowFirstPad] = button;
  }
  screen.waiting = -1;
  events.menu.pressed = true;
  if (taken >= 0) {
    screen.refusedBy = taken;
    return;
  }
  events.keys = true;
  events.newKeys = keys;
}

void activateKeysRow(OptionsScreen &screen, Menu &menu, int row, OptionsEvents &events) {
  screen.refusedBy = -1;
  if (row == kRowKeysBack) {
    pressBack(menu, events.menu);
  } else if (row == kRowReset) {
    events.keys = true;
    events.newKeys = KeyMap();
    events.menu.pressed = true;
  } else {
    screen.waiting = row;
    events.menu.pressed = true;
  }
}

void keysPage(OptionsScreen &screen, Menu &menu, const Controls &controls, const OptionValues &values,
              OptionsEvents &events) {
  if (screen.waiting >= 0) {
    takeKey(screen, controls, values, events);
    return;
  }
  if (controls.clickPressed()) {
    const int row = keysRowAt(controls.mouseX(), controls.mouseY());
    if (row >= 0) {
      screen.focus = row;
      activateKeysRow(screen, menu, row, events);
    }
  }
  if (const int step = controls.focusStep())
    screen.focus = screen.focus < 0 ? (step > 0 ? 0 : kRowKeysBack) : (screen.focus + step + kKeysRows) % kKeysRows;
  if (controls.confirmPressed() && screen.focus >= 0) activateKeysRow(screen, menu, screen.focus, events);
  // Back to the options' first page.
  if (controls.backPressed()) {
    screen.keysPage = false;
    screen.focus = kRowKeys;
    screen.refusedBy = -1;
  }
}

void blit(KGraphic &sheet, const Rect &r, int x, int y) {
  sheet.blitAlphaRect(r.x1, r.y1, r.x2, r.y2, static_cast<short>(x), static_cast<short>(y), false, false);
}

void light(KGraphic &sheet, int y, int height) {
  sheet.drawRect(2, static_cast<float>(y), kScreenWidth - 2, static_cast<float>(y + height), 1, 1, 1, kFocusLight);
}

void drawSlider(KGraphic &sheet, int level, int y) {
  // Off: a dash where the first step would be, lit while the slider is at 0.
  const Rect dash = glyph('-');
  sheet.blitAlphaRectFx(dash.x1, dash.y1, dash.x2, dash.y2, static_cast<short>(kOptionValueAt + 2),
                        static_cast<short>(y + (kRowHeight - kGlyphHeight) / 2), 0, 1, level == 0 ? 1 : kStepUnlit,
                        false, false, 0, 0);
  const int foot = y + kRowHeight - 4;
  for (int step = 1; step <= kSliderSteps; step++) {
    const int x = kOptionValueAt + (kSliderStepWidth + kSliderStepGap) * step;
    const int height = kStepFirstHeight + kStepGrowth * (step - 1) / (kSliderSteps - 1);
    const bool lit = step <= level;
    sheet.drawRect(static_cast<float>(x), static_cast<float>(foot - height), static_cast<float>(x + kSliderStepWidth - 1),
                   static_cast<float>(foot), lit ? kStepLit[0] : 1, lit ? kStepLit[1] : 1, lit ? kStepLit[2] : 1,
                   lit ? 1 : kStepUnlit);
  }
}

// A value between the arrows that step it: a picture, or a text of glyphs.
void drawStepped(KGraphic &sheet, const Rect *picture, const std::string &text, int y) {
  drawGlyphText(sheet, "<", kArrowLeftX, y + (kRowHeight - kGlyphHeight) / 2);
  drawGlyphText(sheet, ">", kArrowRightX, y + (kRowHeight - kGlyphHeight) / 2);
  if (picture) blit(sheet, *picture, kOptionValueAt, y + (kRowHeight - picture->h()) / 2);
  else
    drawGlyphText(sheet, text, kOptionValueAt + (kOptionValueWidth - glyphTextWidth(text)) / 2,
                  y + (kRowHeight - kGlyphHeight) / 2);
}

// "1.25x": the window's scale to a quarter.
std::string scaleText(double scale) {
  char text[16];
  const double quarters = static_cast<int>(scale * kScaleSteps + 0.5) / static_cast<double>(kScaleSteps);
  std::snprintf(text, sizeof text, "%gx", quarters);
  return text;
}

void drawOptionsPage(const OptionsScreen &screen, KGraphic &sheet) {
  const OptionValues &v = screen.shown;
  blit(sheet, kOptionsTitle, kOptionsTitleAt.x, kOptionsTitleAt.y);
  if (screen.focus >= 0 && screen.focus < kRowKeys) light(sheet, rowY(screen.focus), kRowHeight);
  if (screen.focus == kRowKeys) light(sheet, kKeysButtonAt.y - 2, kKeysButton.h() + 4);
  for (int row = 0; row < kOptionLabels; row++) {
    const int y = rowY(row);
    const Rect label = optionLabel(row);
    blit(sheet, label, kOptionLabelAt, y + (kRowHeight - label.h()) / 2);
    const auto word = [&](bool on) {
      const Rect w = optionWord(on ? kWordOn : kWordOff);
      blit(sheet, w, kOptionValueAt, y + (kRowHeight - w.h()) / 2);
    };
    switch (row) {
    case kRowMusic: drawSlider(sheet, v.musicLevel, y); break;
    case kRowEffects: drawSlider(sheet, v.soundsLevel, y); break;
    case kRowLanguage: {
      const Rect name = v.language < 0 ? optionWord(kWordSystem) : languageName(v.language);
      drawStepped(sheet, &name, "", y);
      break;
    }
    case kRowWindowSize: {
      const Rect whole = optionWord(kWordWhole);
      drawStepped(sheet, v.wholeScaling ? &whole : nullptr, scaleText(v.scale), y);
      break;
    }
    case kRowFullScreen: word(v.fullScreen); break;
    case kRowCalm: word(v.look.calm); break;
    case kRowContrast: word(v.look.contrast); break;
    default: break;
    }
  }
  blit(sheet, kKeysButton, kKeysButtonAt.x, kKeysButtonAt.y);
}

void drawKeysPage(const OptionsScreen &screen, KGraphic &sheet) {
  const KeyMap &keys = screen.shown.keys;
  blit(sheet, kKeysTitle, kOptionsTitleAt.x, kOptionsTitleAt.y);
  if (screen.focus >= 0 && screen.focus < kRowReset) light(sheet, actionRowY(screen.focus), kKeysRowHeight);
  if (screen.focus == kRowReset) light(sheet, kResetButtonAt.y - 2, kResetButton.h() + 4);
  for (int row = 0; row < kRowReset; row++) {
    const int y = actionRowY(row);
    blit(sheet, actionLabel(row), kActionLabelAt, y + (kKeysRowHeight - kActionRowHeight) / 2);
    const std::string name = screen.waiting == row ? "..."
                             : row < kRowFirstPad  ? keyName(keys.keys[row])
                                                   : padButtonName(keys.pad[row - kRowFirstPad]);
    // The screenshot is taken with Shift held.
    drawGlyphText(sheet, row == kActScreenshot && screen.waiting != row ? "Shift+" + name : name, kActionKeyAt,
                  y + (kKeysRowHeight - kGlyphHeight) / 2);
  }
  if (screen.waiting >= 0) {
    blit(sheet, keysWord(screen.waiting < kRowFirstPad ? kWordPressKey : kWordPressButton), kActionLabelAt, kKeysSaidY);
  } else if (screen.refusedBy >= 0) {
    // "Already used by:" ends where the label of the action that has it starts.
    const Rect taken = keysWord(kWordTaken);
    const int join = kScreenWidth / 2;
    blit(sheet, taken, join - taken.w(), kKeysSaidY);
    blit(sheet, actionLabel(screen.refusedBy), join + 4, kKeysSaidY);
  }
  blit(sheet, kResetButton, kResetButtonAt.x, kResetButtonAt.y);
}
} // namespace

void openOptions(OptionsScreen &screen) {
  const OptionValues shown = screen.shown;
  screen = OptionsScreen();
  screen.shown = shown;
}

OptionsEvents doOptions(OptionsScreen &screen, Menu &menu, const Controls &controls, const OptionValues &values) {
  OptionsEvents events;
  deepenVeil(menu);
  // BACK as on the help: it grows, then leaves (the keys' page for the first).
  displayButton(menu, kChoseBack, controls, events.menu);
  if (events.menu.choice == kChoseBack && screen.keysPage) {
    events.menu.choice = kNoChoice;
    screen.keysPage = false;
    screen.focus = kRowKeys;
  } else if (menu.selectedButton == -1) {
    if (screen.keysPage) keysPage(screen, menu, controls, values, events);
    else optionsPage(screen, menu, controls, values, events);
  }
  screen.shown = values;
  return events;
}

void drawOptions(const OptionsScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look) {
  drawMenuBackground(sheet);
  drawVeil(menu, sheet);
  sheet.drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, kOptionsShade);
  if (screen.keysPage) drawKeysPage(screen, sheet);
  else drawOptionsPage(screen, sheet);
  const int backRow = screen.keysPage ? kRowKeysBack : kRowBack;
  if (screen.focus == backRow)
    blit(sheet, kFocusArrow, kFocusArrowX, kButtonY[kChoseBack] + (kButtons[kChoseBack].h() - kFocusArrow.h()) / 2);
  drawButton(menu, kChoseBack, sheet, look);
}

bool waitingForKey(const OptionsScreen &screen) { return screen.keysPage && screen.waiting >= 0; }

void drawGlyphText(KGraphic &sheet, const std::string &text, int x, int y) {
  for (char ch : text) {
    if (ch < kGlyphFirst || ch > kGlyphLast) ch = '?';
    const Rect g = glyph(ch);
    blit(sheet, g, x, y);
    x += g.w();
  }
}

int glyphTextWidth(const std::string &text) { return static_cast<int>(text.size()) * kGlyphWidth; }
