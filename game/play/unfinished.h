#pragma once

// A game left before its end (the window closed, Ctrl+Q, the menu zone, a
// page hidden) is kept, and the next PLAY offers to continue it. Continuing
// rebuilds the game by replaying its recording in a game of its own, out of
// sight, and goes on from the frame it was left at, paused until the player
// resumes.

#include <string>

/// Keeps the live game as the one to continue, unless it has ended or not
/// begun (then none is kept). Called as the live game is left; false, with
/// the reason in `message`, when it could not be kept.
bool keepUnfinishedGame(std::string &message);
/// The game left unfinished is forgotten (it has ended, or a new one starts).
void forgetUnfinishedGame();
/// Whether PLAY offers to continue: a game was left unfinished, and its
/// recording replays to the state it was left in (one that does not is
/// forgotten, and `message` says why). Nothing but the check's own game is
/// touched.
bool unfinishedGameOnOffer(std::string &message);
/// The game offered becomes the live one, paused where it was left, and
/// rand() stands where it stood; false when there is none (it is forgotten).
bool continueUnfinishedGame();
