#pragma once

// The play screen: the brick wall and its feeder line, the sling and the
// ball, destruction and bonuses, the score display, clouds and game over.

#include <cstdint>

/// What a cell holds (sBrick::color): nothing, one of five colours, or a hard
/// brick that takes three hits (5, then 6 and 7 after one and two).
const int32_t kNoBrick = -1;
const int32_t kHardBrick = 5;
const int32_t kLastHardBrick = 7;

/// The displayed score counts up one point every kScoreStepFrames frames.
const int32_t kScoreStepFrames = 4;
/// The game-over wobble's phases run from 0 up to a turn, then start again.
const float kWobbleTurn = 6.28f;

/// The bonus a brick carries (sBrick::bonus).
enum Bonus : int32_t {
  kNoBonus = 0,
  kBomb = 1,     ///< breaks the eight bricks around
  kHammer = 2,   ///< breaks the bricks below
  kClock = 3,    ///< holds the feeder line for 150 frames
  kTarget = 4,   ///< shows where the next three throws land
  kRowClear = 5, ///< clears the row
};
const int32_t kBonusKinds = 5;

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

struct sNumber {
  char character;
  int16_t x1, y1, x2, y2;
};

extern sBrick brickWall[8][9]; ///< [row][col], row 0 at the top
extern sBrick brickLine[9];
extern sCloud cloudTable[10];
extern const sNumber numberTable[10];

extern bool gameover;
extern float gameOverProgress;
extern bool scoreSent;
extern int32_t gScore;
extern int32_t gScoreAnim;
extern int32_t difficulty;
extern int32_t delayTimer;
extern int32_t defaultDelayTimer;
extern int32_t pauseLine;
extern int32_t gHelpTarget;
extern int32_t highlitedBrickX, highlitedBrickY;
extern bool tutorial;

extern float ballx, bally;
extern bool launched;
extern bool grabbedBall;
extern int32_t decaloX, decaloY;
extern float forceX, forceY;
extern float ballZoom;
extern float ballZoomSpeed;
extern float oldballX, oldballY;

void resetInGame();
/// One frame of play; 1 when the player leaves for the menu.
long doInGame();
void setDifficultyLevel();

void fillFirstLine();
bool spaceInLine();
bool isStillFalling();
void doLine();
void dropLine();
void drawLine();
void fallWorld();

void getForce(bool keepOld);
void calculateTaret();
void drawBall();
void drawChain(bool aiming);
void adjustBallPosition();
void destroyBall();
void drawDragMe();

void destroyBrickAt(long col, long row);
void destroyColoredBrickAt(long col, long row, long color);
void fastDestroyBrick(long col, long row);
long getBonus();
void applyBonus(long col, long row, long kind);

void displayValueAt(long x, long y, long value);
void displayLeftValueAt(long x, long y, long value);
void displayScore();
void initClouds();
void addCloud(long x, long y);
void drawCloud(sCloud *cloud);
void doClouds();
void drawGameOver();
void sendScore(long score);

/// The statics kept between frames (score timer, game-over wobble), for tests.
void resetInGameStatics();
/// The same statics, read and set: a new game keeps them from the last, so
/// a replay starts from the recorded game's.
void getInGameStatics(int32_t &scoreTimer, float wobble[4]);
void setInGameStatics(int32_t scoreTimer, const float wobble[4]);
