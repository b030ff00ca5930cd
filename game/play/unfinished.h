#pragma once

// A game left before its end (the window closed, Ctrl+Q, the menu zone, a
// signal to end, the display lost, a page hidden) is kept, and the next
// PLAY offers to continue it. Continuing rebuilds the game by replaying its
// recording in a game of its own, out of sight, and goes on from the frame
// it was left at, paused until the player resumes.
//
// Every game left is kept in a file of its own in the records' folder
// ("unfinished.zunkreplay", then "unfinished-2.zunkreplay", ...): two copies
// of the game on one folder each keep theirs, and neither overwrites the
// other's. PLAY offers the one left last that no other copy has claimed: a
// game offered or continued is claimed (an advisory lock on its file, held
// until it is left again, has ended or the program ends), so that one game
// is never continued twice at once.

#include <string>

#include "keepnotice.h"

/// Keeps the live game as one to continue, unless it has ended or not
/// begun: into the file it was continued from, or a new one. Called as the live
/// game is left, and as a host that may end the program without notice
/// hides it; false, with `failure`, when it could not be kept.
bool keepUnfinishedGame(KeepFailure &failure);
/// The game this program offered or continued is forgotten (it has ended,
/// or NEW GAME was chosen); another copy's games are never touched.
void forgetUnfinishedGame();
/// The live game has ended: the file it was continued from is forgotten
/// once its end (its score, its replay) is kept, `endKept`; until then
/// (a full disk) the file stays, claimed, so that the game is not lost.
void liveGameEnded(bool endKept);
/// The ends not kept until now are kept: their games' files are forgotten.
void endedGamesKept();
/// This program no longer plays the game it continued or was offered (it
/// was left for the menu): another copy may now be offered it.
void releaseUnfinishedGame();
/// Whether PLAY offers to continue: a game left unfinished that no other
/// copy of the game has claimed, whose recording replays to the state it
/// was left in (a damaged one is forgotten, one of a later version kept;
/// `message` says so). It is claimed for this program. Nothing but the
/// check's own game is touched.
bool unfinishedGameOnOffer(std::string &message);
/// The game offered becomes the live one, paused where it was left, and
/// rand() stands where it stood; false when there is none (it is forgotten).
bool continueUnfinishedGame();
