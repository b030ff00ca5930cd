#pragma once

// One game of Zunk as one value (Play), and what a frame of it asks for
// and tells (the random numbers it draws, the sounds and events it gives).
// play.h runs it, playview.h draws it.

#include <cstdint>
#include <vector>

#include "playinput.h"

/// What a cell holds (sBrick::color): nothing, one of five colours, or a hard
/// brick that takes three hits (5, then 6 and 7 after one and two).
const int32_t kNoBrick = -1;
const int32_t kHardBrick = 5;
const int32_t kLastHardBrick = 7;

/// The wall's size in bricks, and how many clouds can puff at once.
const int kWallColumns = 9, kWallRows = 8;
const int kClouds = 10;

/// The bonus a brick carries (sBrick::bonus).
enum Bonus : int32_t {
  kNoBonus = 0,
  kBomb = 1,     ///< breaks the eight bricks around
  kHammer = 2,   ///< breaks the bricks below, in its column
  kClock = 3,    ///< holds the feeder line for 150 frames
  kTarget = 4,   ///< shows where the next three throws land
  kRowClear = 5, ///< clears the row
};
const int32_t kBonusKinds = 5;

/// The displayed score counts up one point every kScoreStepFrames frames.
const int32_t kScoreStepFrames = 4;
/// The game-over wobble's phases run from 0 up to a turn, then start again.
const float kWobbleTurn = 6.28f;

/// The ball's flight: it starts at kRestZoom growing by kLaunchZoomSpeed a
/// frame, slowing by kZoomSlowdown each frame, and lands when it is back
/// below kRestZoom (41 frames). Each frame it moves by the pull of the band
/// (ball to anchor) divided by kBandLinks and by kForceDivisor. The aiming
/// guide flies the same numbers.
const float kRestZoom = 0.3f, kLaunchZoomSpeed = 0.18f, kZoomSlowdown = 0.009f;
const int kBandLinks = 6;
const float kForceDivisor = 2.3f;
/// In flight the band's free end creeps back by this share of its length a
/// frame.
const float kBandRetract = 0.0625f;

/// A dropped line slides into the top row from this far above it.
const int32_t kSlideIn = -43;
/// A cloud shows each of its pictures for kCloudFrameTime frames, up to
/// picture kLastCloudFrame.
const int32_t kCloudFrameTime = 6, kLastCloudFrame = 3;
/// GAME OVER's halves slide in over 20 frames (kGameOverSlideStep of the
/// way a frame): the top one down from kGameOverTopFrom by
/// kGameOverTopSlide, the bottom one up from the screen's foot by
/// kGameOverBottomSlide.
const float kGameOverSlideStep = 0.05f, kGameOverTopFrom = -120, kGameOverTopSlide = 200,
            kGameOverBottomSlide = 320;

/// One cell of the wall or of the feeder line.
struct sBrick {
  int32_t color;     ///< -1 empty, 0..4 colours, 5 hard, 6 and 7 hard after one and two hits
  int32_t fall;      ///< drawn displacement in pixels: < 0 sliding in, > 0 falling
  int32_t bonus;     ///< 0 none, 1 bomb, 2 hammer, 3 clock, 4 target, 5 row clear
  int32_t bonusTime; ///< frames left before the bonus expires
};

/// A puff of cloud announcing a bonus.
struct sCloud {
  bool active;
  int32_t x, y;
  int32_t delay;
  int32_t frame;
};

/// The keyboard's or gamepad's pull on the ball: Space or A grabs it, the
/// arrows, the D-pad or the stick move the point it follows.
struct Pull {
  bool active = false;
  int x = 0, y = 0;         ///< the point the ball follows
  int grabX = 0, grabY = 0; ///< where it was grabbed: the stick pulls from there
  int heldFrames = 0;       ///< how long an arrow has been held
};
/// How the pull moves: a held arrow goes kPullStartStep pixels a frame,
/// one more every kPullSpeedUpFrames frames, up to kPullTopStep; the stick
/// at full deflection pulls kStickPull pixels from the grab point.
const int kPullStartStep = 1;
const int kPullSpeedUpFrames = 16;
const int kPullTopStep = 4;
const int kStickPull = 150;
/// How long an arrow must be held for the top step.
const int kPullTopFrames = (kPullTopStep - kPullStartStep) * kPullSpeedUpFrames;
/// Where a pull takes the ball, from its top-left corner (inside the ball).
const int kGrabOffsetX = 18, kGrabOffsetY = 19;

/// What the frame just played shows, each thing as it stood at the moment
/// of the frame it is drawn at (the feeder line before it drops, the wall
/// before the ball lands, a cloud before it moves on...).
struct PlayScene {
  /// A frame of the pause: the play as it stood, under a veil and the
  /// PAUSED panel.
  bool veiled = false;
  struct Cell {
    int32_t color = kNoBrick;
    int32_t fall = 0;
    int32_t icon = kNoBonus; ///< the bonus icon drawn on it
  };
  int32_t line[kWallColumns];
  Cell wall[kWallRows][kWallColumns];
  /// The target brick drawn lit (when the ball rests and the guide is on).
  bool lit = false;
  int32_t litColumn = 0, litRow = 0;
  bool cloud[kClouds] = {};
  sCloud clouds[kClouds] = {};
  int32_t score = 0;
  /// The aiming guide, from the ball to where it will land.
  bool guide = false;
  float guideFromX = 0, guideFromY = 0, guideToX = 0, guideToY = 0;
  /// The band: kBandLinks links from the anchor, each this far from the last.
  float bandStepX = 0, bandStepY = 0;
  /// The ball: in flight (with its shadow), or resting or held.
  bool flying = false;
  int16_t ballX = 0, ballY = 0, shadowX = 0, shadowY = 0;
  float ballZoom = 0;
  bool dragMe = false;
  int16_t dragMeX = 0, dragMeY = 0;
  /// GAME OVER's halves: where they have slid to and their wobble.
  bool gameOver = false;
  int16_t gameOverTopY = 0, gameOverBottomY = 0;
  float gameOverAngle[2] = {}, gameOverZoom[2] = {};
  /// How far they have come, 0 to 1 (where they rest).
  float gameOverProgress = 0;
};

/// A game. The first part is what a new game keeps from the one before; the
/// rest is what resetInGame sets up.
struct Play {
  // ---- kept from game to game
  /// The drag-me hint is still to be shown (until the ball first moves).
  bool tutorial = true;
  /// The score display's frame count, and the game-over wobble's phases.
  int32_t scoretimer = 0;
  float gozoom1 = 0, gorot1 = 0, gozoom2 = 1, gorot2 = 1;
  /// The last throw's force and zoom speed, and the band's free end.
  float forceX = 0, forceY = 0, ballZoomSpeed = 0, oldballX = 0, oldballY = 0;
  Pull pull;
  /// The input of the frame before: what is pressed is what was up then.
  PlayInput before;

  // ---- the game
  /// Paused: the frames go by and nothing moves. A new game never is.
  bool paused = false;
  sBrick brickWall[kWallRows][kWallColumns] = {}; ///< [row][col], row 0 at the top
  sBrick brickLine[kWallColumns] = {};
  sCloud cloudTable[kClouds] = {};
  bool gameover = false;
  float gameOverProgress = 0;
  bool scoreSent = false;
  int32_t gScore = 0;
  int32_t gScoreAnim = 0;
  int32_t difficulty = 5;
  int32_t delayTimer = 80;
  int32_t defaultDelayTimer = 80;
  int32_t pauseLine = 0;
  int32_t gHelpTarget = 5;
  int32_t highlitedBrickX = -1, highlitedBrickY = -1;
  float ballx = 0, bally = 0;
  bool launched = false;
  bool grabbedBall = false;
  int32_t decaloX = 0, decaloY = 0;
  float ballZoom = kRestZoom;

  /// What the last frame played shows.
  PlayScene shown;
};

/// Where a game's random numbers come from: rand() for a live game (kept in
/// its recording), the recording for a replay.
class RandomSource {
public:
  virtual ~RandomSource() = default;
  /// The next number, 0 to RAND_MAX.
  virtual int draw() = 0;
};

/// The sounds a frame of play asks for.
enum class PlaySound : uint8_t { kThrow, kBreak1, kBreak2, kBreak3, kBomb, kHammer, kClock, kLineDown };

/// What a frame of play did that the program around it acts on.
struct PlayEvents {
  std::vector<PlaySound> sounds; ///< in the order they were asked for
  /// The game has ended: its score, offered to the high-score table once.
  bool scoreOffered = false;
  int32_t score = 0;
  /// The player asked to leave (the menu zone; Backspace or B while paused).
  bool leave = false;
  /// A press on the wall after GAME OVER: a new game follows this one.
  bool restart = false;
  /// The pause began after this frame, or ended before it.
  bool paused = false, resumed = false;
};

