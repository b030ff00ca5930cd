#pragma once

// A game received (a file opened or dropped on the window, a link) that did
// not prove itself: REFUSED over the veiled menu with the reason (damaged,
// of a later version, a score its game does not reach), and BACK. One that
// did is watched under REPLAY, marked verified (watch.h).

#include "KGraphic.h"
#include "controls.h"
#include "menu.h"
#include "sentgame.h"

struct RefusedScreen {
  Verdict verdict = Verdict::kDamaged;
};
/// Shows why a game was refused.
void offerRefusal(RefusedScreen &screen, Verdict verdict);
/// One frame: BACK, by a click, Return, Escape or the pad.
MenuEvents doRefusal(RefusedScreen &screen, Menu &menu, const Controls &controls);
void drawRefusal(const RefusedScreen &screen, const Menu &menu, KGraphic &sheet, const Look &look = {});
