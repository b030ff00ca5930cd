#pragma once

// The game's screens and its play shown by the real engine, frame by
// frame, as the player sees them, each frame with the places where each of
// the game's effects drew in it: what the flash meter (flashmeter.h) reads.
// The game runs in its own shell, as the program runs it, on a clock that
// moves one frame time a frame and with scripted keys; a recorded game is
// drawn as the live game is (drawPlay), frame by frame from its replay.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "flashmeter.h"
#include "recording.h"
#include "zunk.h"

namespace flashes {

/// What a frame can show that changes the picture.
enum Effect : int {
  kTitleFade,    ///< the title fading in, the notice rising
  kDoors,        ///< the title's halves sliding apart over the menu
  kMenu,         ///< the buttons' wobble, a chosen button growing and fading
  kHelp,         ///< the veil darkening, the credit lines fading
  kScores,       ///< the high-score screen's veil
  kResumeOffer,  ///< CONTINUE or NEW GAME
  kScreenChange, ///< one screen cut to the next
  kCloudPuffs,   ///< the puff that announces a bonus
  kRowEmptied,   ///< a row emptied at once
  kLitBrick,     ///< the brick the guide points at, drawn lit
  kGameOver,     ///< GAME OVER sliding in and rocking
  kPauseVeil,    ///< the veil and panel of a paused game
  kBall,         ///< the ball in flight or held, its shadow, the band
  kGuide,        ///< the aiming line
  kBreaking,     ///< bricks broken or cracked
  kFalling,      ///< bricks falling, a dropped line sliding in
  kFeeder,       ///< bricks entering the feeder line, the line leaving it
  kBonusIcons,   ///< a bonus's icon put on a brick, or gone
  kScoreCount,   ///< the score counting up
  kDragHint,     ///< the drag-me hint
  kEffects
};
/// The effects' names, in Effect's order.
std::vector<std::string> effectNames();

/// A frame shown: its pixels (top row first, R, G, B, A) and where each
/// effect drew.
using FrameSink = std::function<void(const unsigned char *rgba, int width, int height, const std::vector<Area> &)>;

/// What a recorded game showed, beyond the pixels.
struct PlayFacts {
  int frames = 0;
  int bonuses[6] = {}; ///< bonuses released, by kind (Bonus)
  int rowClears = 0;
  int clouds = 0;    ///< clouds started
  int litFrames = 0; ///< frames with a lit brick
  int pausedFrames = 0;
  int gameOverFrames = 0;
  int score = 0;
};

/// The game's shell, its window and its data: one at a time, since the
/// engine's window is one. The game reads `dataFolder` and keeps its files in a folder of
/// its own, removed at the end; SDL's video driver is whatever the
/// environment names (the offscreen one needs no display).
class Stage {
public:
  explicit Stage(const std::string &dataFolder);
  ~Stage();
  Stage(const Stage &) = delete;
  Stage &operator=(const Stage &) = delete;
  /// False, with the reason in error(), when the game could not start.
  bool ready() const { return ready_; }
  const std::string &error() const { return error_; }

  /// The screens as a player first meets them, driven by keys: the title
  /// fading in, the doors, the menu, HELP and BACK, HIGH SCORES and BACK,
  /// PLAY, a pause and the play on, the game left (kept) for the menu, PLAY
  /// again offering to continue it, and the game continued.
  void playScreens(const FrameSink &sink);
  /// The recorded game frame by frame, drawn as the live game is; what it
  /// showed in `facts`. False when the recording does not replay to its
  /// end as recorded.
  bool playRecording(const Recording &recording, const FrameSink &sink, PlayFacts &facts);
  /// A game played through the program's shell by a scripted player with
  /// the mouse, from the title on: it aims at bonuses of every kind, pauses
  /// once, and once every kind has been released (or `mostFrames` have
  /// gone) lets the wall fill up to GAME OVER, which it watches for two
  /// seconds. rand() is seeded with `seed`. The game's recording, and in
  /// `facts` what it showed (a bomb or a hammer told by its brick hit).
  Recording recordGame(unsigned seed, int mostFrames, PlayFacts *facts = nullptr);

private:
  // One frame of the shell, shown; its pixels and effects to `sink`.
  void shellFrame(const FrameSink *sink);
  Shell shell_;
  bool ready_ = false;
  std::string error_;
  std::string folder_;
};

} // namespace flashes
