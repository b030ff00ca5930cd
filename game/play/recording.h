#pragma once

// A game's recording: what the player did in each frame of play and every
// random number the play drew, enough to play the very same game again,
// frame for frame, in this program or another copy of it; and the file it
// is kept in, read as a stranger's file.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "play.h"
#include "playinput.h"
#include "storage.h"

/// What a new game does not set up itself and a replay must start from:
/// the score display's pace, the game-over wobble, the last throw's force
/// and the band's free end, the keyboard's pull, the drag-me hint and the
/// input of the frame before the first.
struct PlayStart {
  int32_t scoreTimer = 0;
  float wobble[4] = {0, 0, 1, 1};
  float forceX = 0, forceY = 0, ballZoomSpeed = 0, oldballX = 0, oldballY = 0;
  Pull pull;
  bool tutorial = false;
  PlayInput before;
};
/// What `play` would hand on to a new game.
PlayStart startOf(const Play &play);
/// A game about to be set up (resetInGame) from `start`.
Play playFrom(const PlayStart &start);

/// Where rand() stands in its sequence: the C library's generator state
/// (glibc keeps rand()'s in random()'s state array, this size).
using RandomPosition = std::array<unsigned char, 128>;
/// rand()'s position now, and setting it: a game continued in another run
/// of the program draws what it would have drawn had it never stopped.
RandomPosition randomPosition();
/// Whether `position` is one rand() can be in (a damaged file's is not: the
/// C library would take it as it stands and run off its array).
bool possibleRandomPosition(const RandomPosition &position);
/// Puts rand() at `position`; one it cannot be in is ignored.
void setRandomPosition(const RandomPosition &position);

struct Recording {
  PlayStart start;
  std::vector<PlayInput> frames; ///< one per frame of play, paused frames included
  std::vector<uint32_t> draws;   ///< the play's random numbers, in order
  int32_t score = 0;             ///< the score after the last frame
  bool ended = false;            ///< the game reached GAME OVER
  uint32_t digest = 0;           ///< playDigest() after the last frame
  RandomPosition randomAfter{};  ///< rand()'s position after the last frame
};

/// The file format's version this program writes and reads.
const uint16_t kReplayVersion = 1;
/// The longest game a file may hold: six hours of play.
const uint32_t kMaxReplayFrames = 80 * 60 * 60 * 6;

/// The recording as a file's bytes (the layout is in HACKING.md).
std::string encodeRecording(const Recording &recording);
/// Reads a file's bytes; false, with the reason in `error`, when they are
/// not a recording this program can play (damaged, cut short, foreign, or
/// of a later version, or holding values no live game gives). Sizes are
/// checked against the bytes before anything is allocated.
bool decodeRecording(const std::string &bytes, Recording &recording, std::string &error);
/// Whether every value `recording` would give the play is one a live game
/// could have given it (random numbers rand() gives, a start the game
/// before could have left); false, with the reason, when not. Reading a
/// file checks this: no other recording reaches the play.
bool playableValues(const Recording &recording, std::string &error);
/// The same, from a file, written whole or not at all.
bool loadRecording(const std::string &path, Recording &recording, std::string &error);
bool saveRecording(const std::string &path, const Recording &recording, std::string &error, Cause *cause = nullptr);
/// Whether the file at `path` is a replay of a version later than this
/// program's: one it cannot play, and must not take for damaged.
bool fromLaterVersion(const std::string &path);
