#include "help.h"

#include "assets.h"
#include "credits.h"
#include "layout.h"

using namespace layout;

MenuChoice showHelp() {
  surf_zunk->blitAlphaRectFx(kMenuBackground.x1, kMenuBackground.y1, kMenuBackground.x2, kMenuBackground.y2, 0, 0, 0, 1,
                             1, false, false, 0, 0);
  drawVeil();
  surf_zunk->blitAlphaRect(kHelpPanel.x1, kHelpPanel.y1, kHelpPanel.x2, kHelpPanel.y2, kHelpPanelAt.x, kHelpPanelAt.y,
                           false, false);
  doCredits();
  const MenuChoice back = displayButton(kChoseBack);
  backControls();
  return back;
}
