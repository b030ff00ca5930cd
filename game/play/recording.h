#pragma once

// A game's recording: what the player did in each frame of play and every
// random number the play drew, enough to play the very same game again,
// frame for frame, in this program or another copy of it; and the file it
// is kept in, read as a stranger's file.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "calendar.h"
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

/// What a recording holds: an ordinary game, whose random numbers came
/// from rand() and are kept with it, or a daily wall's, whose numbers the
/// day makes again (none are kept).
enum class GameMode : uint8_t { kOrdinary = 0, kDaily = 1 };

struct Recording {
  GameMode mode = GameMode::kOrdinary;
  Day day = kNoDay;       ///< a daily wall's day
  uint32_t drawsMade = 0; ///< a daily game's: the numbers it drew from its day's generator
  PlayStart start;
  std::vector<PlayInput> frames; ///< one per frame of play, paused frames included
  std::vector<uint32_t> draws;   ///< an ordinary game's random numbers, in order
  int32_t score = 0;             ///< the score after the last frame
  bool ended = false;            ///< the game reached GAME OVER
  uint32_t digest = 0;           ///< playDigest() after the last frame
  RandomPosition randomAfter{};  ///< an ordinary game's: rand()'s position after the last frame
};
/// Whether `recording` is a daily wall's.
inline bool dailyGame(const Recording &recording) { return recording.mode == GameMode::kDaily; }
/// How many random numbers the game of `recording` drew.
inline size_t drawsOf(const Recording &recording) {
  return dailyGame(recording) ? recording.drawsMade : recording.draws.size();
}

/// The file format's version this program writes, and the latest it reads
/// (it reads every one before it too).
const uint16_t kReplayVersion = 2;
/// The longest game a file may hold: six hours of play.
const uint32_t kMaxReplayFrames = 80 * 60 * 60 * 6;
/// A file larger than this is not a recording of ours: six hours of play
/// with the pointer moving every frame and a draw every few frames stay
/// well below.
const size_t kMaxReplayFileSize = 32u << 20;

/// The recording as a file's bytes (the layout is in HACKING.md): the
/// input as it is, frame for frame, packed (runs of frames alike, straight
/// moves of the pointer), deflated when that makes it smaller.
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
/// The same, of a file's bytes.
bool laterVersionBytes(const std::string &bytes);
