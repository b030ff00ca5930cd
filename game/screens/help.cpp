#include "help.h"

#include "layout.h"

using namespace layout;

MenuEvents showHelp(Menu &menu, Credits &credits, const Controls &controls) {
  MenuEvents events;
  deepenVeil(menu);
  doCredits(credits);
  displayButton(menu, kChoseBack, controls, events);
  backControls(menu, controls, events);
  return events;
}

void drawHelp(const Menu &menu, const Credits &credits, bool pageKeys, KGraphic &sheet, const Look &look) {
  drawMenuBackground(sheet);
  drawVeil(menu, sheet);
  sheet.blitAlphaRect(kHelpPanel.x1, kHelpPanel.y1, kHelpPanel.x2, kHelpPanel.y2, kHelpPanelAt.x, kHelpPanelAt.y, false,
                      false);
  if (pageKeys)
    sheet.blitAlphaRect(kHelpPageKeys.x1, kHelpPageKeys.y1, kHelpPageKeys.x2, kHelpPageKeys.y2, kHelpPanelAt.x,
                        kHelpPanelAt.y + kHelpPageKeysTop, false, false);
  drawCredits(credits, sheet);
  drawButton(menu, kChoseBack, sheet, look);
}
