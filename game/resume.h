#pragma once

// A game left before its end (the window closed, Ctrl+Q, the menu zone) is
// kept, and the next PLAY offers to CONTINUE it or start a NEW GAME.
// CONTINUE rebuilds the game by replaying its recording without drawing and
// plays on from the frame it was left at, paused until the player resumes.

/// Keeps the game being played as the one to continue, unless it has ended
/// (then none is kept). Called as the play is left.
void keepUnfinishedGame();
/// The game left unfinished is forgotten (it has ended, or a new one starts).
void forgetUnfinishedGame();
/// Whether PLAY offers CONTINUE: a game was left unfinished, and its
/// recording replays to the state it was left in (one that does not is
/// forgotten). Checking replays the game without drawing: the play's state
/// is the kept game's afterwards.
bool unfinishedGameOnOffer();
/// One frame of the choice: CONTINUE above, NEW GAME below, by a click, by
/// Up, Down and Return, or by the gamepad; Escape or B go back to the menu.
void doResumeChoice();
/// Rebuilds the kept game and goes on with it, paused; false when it cannot
/// be read (a new game starts then).
bool continueUnfinishedGame();
/// A new game in place of the kept one, which is forgotten.
void startNewGame();
