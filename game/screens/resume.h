#pragma once

// The choice PLAY offers when a game was left unfinished: CONTINUE above,
// NEW GAME below, by a click, by Up, Down and Return, or by the gamepad;
// Escape or B go back to the menu.

#include "KGraphic.h"
#include "controls.h"

enum ResumeChoice { kNotChosen, kChoseContinue, kChoseNewGame, kChoseMenu };

/// The focus: 0 on CONTINUE, 1 on NEW GAME.
struct ResumeScreen {
  int focus = 0;
};

/// Puts the focus on CONTINUE, as the choice is offered.
void offerResumeChoice(ResumeScreen &screen);
/// One frame of the choice; what was chosen, if anything.
ResumeChoice doResumeChoice(ResumeScreen &screen, const Controls &controls);
void drawResumeChoice(const ResumeScreen &screen, KGraphic &sheet);
