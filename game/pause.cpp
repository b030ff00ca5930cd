#include "pause.h"

#include "controls.h"
#include "layout.h"
#include "zunk.h"

using namespace layout;

bool paused = false;
KGraphic *surf_paused = nullptr;

namespace {
const float kVeil = 0.5f; // how dark the veil over the frozen play is

void stopEffects() {
  KSound *effects[] = {snd_downline, snd_break[0], snd_break[1], snd_break[2], snd_bomb,
                       snd_hammer,   snd_tictac,   snd_throw,    snd_menu};
  for (KSound *s : effects)
    if (s) s->stopSample();
}
} // namespace

void pauseGame() {
  if (surf_paused) surf_paused->grabBackBuffer(nullptr);
  paused = true;
  stopEffects();
  applySettings();
}

void resumeGame() {
  paused = false;
  applySettings();
}

bool doPause() {
  if (surf_paused) surf_paused->blitAlphaRect(0, 0, 320, 480, 0, 0, false, false);
  surf_zunk->drawRect(0, 0, 320, 480, 0, 0, 0, kVeil);
  surf_zunk->blitAlphaRect(kPausePanel.x1, kPausePanel.y1, kPausePanel.x2, kPausePanel.y2, kPausePanelAt.x,
                           kPausePanelAt.y, false, false);
  if (leavePressed()) {
    resumeGame();
    return true;
  }
  if (pausePressed() || clickPressed()) resumeGame();
  return false;
}
