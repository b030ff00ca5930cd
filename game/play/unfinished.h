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

#include <memory>
#include <string>
#include <vector>

#include "keepnotice.h"
#include "livegame.h"
#include "replayer.h"

/// The games left unfinished as this program holds them, the shell's: the
/// game the last offer checked, rebuilt (what CONTINUE goes on with); the
/// file of the game it offered, continues or kept last ("" for none) and
/// the lock on it that claims it; and the files of games continued here
/// that have ended, their end not kept yet (a full disk), still claimed
/// until it is. Its claims go with it.
struct UnfinishedGames {
  struct Claim {
    std::string name;
    int fd = -1;
  };
  std::unique_ptr<Replay> offered;
  Claim claimed;
  std::vector<Claim> endedGames;

  UnfinishedGames() = default;
  UnfinishedGames(UnfinishedGames &&other) noexcept;
  UnfinishedGames &operator=(UnfinishedGames &&other) noexcept;
  ~UnfinishedGames();
};

/// Keeps `game` (the live game's recording) as one to continue, unless it
/// has ended or not begun: into the file it was continued from, or a new
/// one. Called as the live game is left, and as a host that may end the
/// program without notice hides it; false, with `failure`, when it could
/// not be kept.
bool keepUnfinishedGame(UnfinishedGames &games, const Recording &game, KeepFailure &failure);
/// The game this program offered or continued is forgotten (it has ended,
/// or NEW GAME was chosen); another copy's games are never touched.
void forgetUnfinishedGame(UnfinishedGames &games);
/// The live game has ended: the file it was continued from is forgotten
/// once its end (its score, its replay) is kept, `endKept`; until then
/// (a full disk) the file stays, claimed, so that the game is not lost.
void liveGameEnded(UnfinishedGames &games, bool endKept);
/// The ends not kept until now are kept: their games' files are forgotten.
void endedGamesKept(UnfinishedGames &games);
/// This program no longer plays the game it continued or was offered (it
/// was left for the menu): another copy may now be offered it.
void releaseUnfinishedGame(UnfinishedGames &games);
/// Whether PLAY offers to continue: a game left unfinished that no other
/// copy of the game has claimed, whose recording replays to the state it
/// was left in (a damaged one is forgotten, one of a later version kept;
/// `message` says so). It is claimed for this program. Nothing but the
/// check's own game is touched.
bool unfinishedGameOnOffer(UnfinishedGames &games, std::string &message);
/// The game offered becomes `live`, paused where it was left, and rand()
/// stands where it stood; false when there is none (it is forgotten).
bool continueUnfinishedGame(UnfinishedGames &games, LiveGame &live);

/// The games left unfinished that this version can continue, the one left
/// last first, at most `most`: read in a records transaction; a file that
/// is not one is passed over, and said in `note`.
std::vector<Recording> unfinishedGamesKept(size_t most, std::string &note);
/// Games left unfinished elsewhere (an export's) are kept here to
/// continue, each in a file of its own, but those kept here already (the
/// same game): one records transaction. `added` says how many; false, with
/// `failure`, when one could not be kept.
bool adoptUnfinishedGames(const std::vector<Recording> &games, int &added, KeepFailure &failure);
