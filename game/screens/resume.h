#pragma once

// The choice PLAY offers when a game was left unfinished: CONTINUE above,
// NEW GAME below, by a click, by Up, Down and Return, or by the gamepad;
// Escape or B go back to the menu.

enum ResumeChoice { kNotChosen, kChoseContinue, kChoseNewGame, kChoseMenu };

/// Puts the focus on CONTINUE, as the choice is offered.
void offerResumeChoice();
/// One frame of the choice, drawn; what was chosen, if anything.
ResumeChoice doResumeChoice();
