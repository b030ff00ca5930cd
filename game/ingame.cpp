#include "ingame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "KInput.h"
#include "controls.h"
#include "layout.h"
#include "replay.h"
#include "zunk.h"

using namespace layout;

sBrick brickWall[8][9];
sBrick brickLine[9];
sCloud cloudTable[10];

namespace {
constexpr sNumber number(int d) {
  return {static_cast<char>('0' + d), static_cast<int16_t>(digit(d).x1), static_cast<int16_t>(digit(d).y1),
          static_cast<int16_t>(digit(d).x2), static_cast<int16_t>(digit(d).y2)};
}
} // namespace
const sNumber numberTable[10] = {number(0), number(1), number(2), number(3), number(4),
                                 number(5), number(6), number(7), number(8), number(9)};

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
bool tutorial = true;

float ballx = kBallRest.x, bally = kBallRest.y;
bool launched = false;
bool grabbedBall = false;
int32_t decaloX = 0, decaloY = 0;
float forceX = 0, forceY = 0;
float ballZoom = 0.3f;
float ballZoomSpeed = 0;
float oldballX = 0, oldballY = 0;

namespace {
int32_t scoretimer = 0;
float gozoom1 = 0, gorot1 = 0, gozoom2 = 1, gorot2 = 1;

// Destinations are whole numbers, truncated toward zero, then 16 bits.
inline short dest(float v) { return static_cast<short>(static_cast<int>(v)); }
inline short dest(long v) { return static_cast<short>(v); }

bool inWall(long col, long row) { return col >= 0 && row >= 0 && col <= 8 && row <= 7; }

void blitBrick(long col, long row) {
  const sBrick &b = brickWall[row][col];
  const Rect r = brick(b.color);
  surf_zunk->blitAlphaRect(r.x1, r.y1, r.x2, r.y2, dest(kWallAt.x + kBrickSize * col),
                           dest(kWallAt.y + kBrickSize * row + b.fall), false, false);
}

// The cell a point of the ball maps to, or false outside the landing band.
bool cellAt(float x, float y, long &col, long &row) {
  if (!(x >= 5 && x <= 475 && y >= 40 && y <= 289)) return false;
  col = static_cast<int>(x + 16 - 21) / 31;
  row = static_cast<int>(y + 16 - 45) / 31;
  return true;
}
} // namespace

void resetInGameStatics() {
  scoretimer = 0;
  gozoom1 = gorot1 = 0;
  gozoom2 = gorot2 = 1;
}

void getInGameStatics(int32_t &scoreTimer, float wobble[4]) {
  scoreTimer = scoretimer;
  wobble[0] = gozoom1;
  wobble[1] = gorot1;
  wobble[2] = gozoom2;
  wobble[3] = gorot2;
}

void setInGameStatics(int32_t scoreTimer, const float wobble[4]) {
  scoretimer = scoreTimer;
  gozoom1 = wobble[0];
  gorot1 = wobble[1];
  gozoom2 = wobble[2];
  gorot2 = wobble[3];
}

// ------------------------------------------------------------------ session

void resetInGame() {
  // A new game: the one before it is kept, and this one recorded from its
  // first random draw.
  startRecording();
  scoreSent = false;
  gameover = false;
  gameOverProgress = 0;
  pauseLine = 0;
  gScore = 0;
  gScoreAnim = 0;
  grabbedBall = false;
  for (auto &row : brickWall)
    for (sBrick &b : row) b = sBrick{0, 0, 0, 0};
  for (sBrick &b : brickLine) b = sBrick{0, 0, 0, 0};
  highlitedBrickX = highlitedBrickY = -1;
  gHelpTarget = 5;
  for (sBrick &b : brickLine) b.color = kNoBrick;
  for (auto &row : brickWall)
    for (sBrick &b : row) {
      b.color = kNoBrick;
      b.fall = 0;
    }
  initClouds();
  defaultDelayTimer = 80;
  delayTimer = 80;
  difficulty = 5;
  ballx = kBallRest.x;
  bally = kBallRest.y;
  decaloX = decaloY = 0;
  launched = false;
  ballZoom = 0.3f;
  fillFirstLine();
}

void setDifficultyLevel() { difficulty = gScore > 129 ? 6 : 5; }

long doInGame() {
  setDifficultyLevel();
  if (spaceInLine() && !isStillFalling()) doLine();
  drawLine();
  fallWorld();
  surf_zunk->blitAlphaRect(kTopFrame.x1, kTopFrame.y1, kTopFrame.x2, kTopFrame.y2, 0, 0, false, false);
  surf_zunk->blitAlphaRectFx(kFeederStrip.x1, kFeederStrip.y1, kFeederStrip.x2, kFeederStrip.y2, 0, kFeederStrip.y1, 0, 1,
                             1, false, false, 0, 0);
  doClouds();
  displayScore();
  calculateTaret();
  drawBall();
  if (tutorial) {
    if (ballx != kBallRest.x || bally != kBallRest.y) tutorial = false;
    drawDragMe();
  }
  if (brickLine[8].color != kNoBrick && !isStillFalling()) dropLine();
  if (gameover) drawGameOver();
  if (mouseHeld()) {
    const int x = mouseX(), y = mouseY();
    if (x >= 226 && x <= 319 && y >= 449 && y <= 479) return 1;
    if (y >= 1 && y <= 293 && gameover && gameOverProgress >= 1) resetInGame();
  }
  // From the keyboard or the gamepad, the next game starts as a click does.
  if (gameover && gameOverProgress >= 1 && (confirmPressed() || keyPressed(K_VK_SPACE))) resetInGame();
  return 0;
}

// ------------------------------------------------------------------ wall

void fillFirstLine() {
  for (int col = 0; col < 9; col++) {
    sBrick &b = brickWall[7][col];
    b.color = drawRandom() % difficulty;
    b.fall = 0;
    b.bonus = 0;
  }
}

bool spaceInLine() { return brickLine[8].color == kNoBrick; }

bool isStillFalling() {
  for (int row = 0; row < 7; row++)
    for (int col = 0; col < 9; col++) {
      const sBrick &b = brickWall[row][col];
      if (b.color >= 0 && (b.fall > 0 || brickWall[row + 1][col].color == kNoBrick)) return true;
    }
  return false;
}

void doLine() {
  if (gameover) return;
  if (pauseLine > 0) {
    if (pauseLine % 25 == 0) playSound(snd_tictac);
    pauseLine--;
    return;
  }
  delayTimer--;
  if (delayTimer >= 0) return;
  delayTimer = defaultDelayTimer;
  int color = drawRandom() % difficulty;
  for (sBrick &b : brickLine)
    if (b.color == kNoBrick) {
      b.color = color;
      break;
    }
}

void dropLine() {
  for (int col = 0; col < 9; col++)
    if (brickWall[0][col].color >= 0) {
      gameover = true;
      return;
    }
  for (int col = 0; col < 9; col++) {
    sBrick &b = brickWall[0][col];
    b.color = brickLine[col].color;
    b.fall = -43;
    b.bonus = 0;
    b.bonusTime = 0;
    brickLine[col].color = kNoBrick;
  }
  playSound(snd_downline);
  getBonus();
  defaultDelayTimer = defaultDelayTimer - 4 > 1 ? defaultDelayTimer - 4 : 2;
}

void drawLine() {
  for (int i = 0; i < 9; i++) {
    if (brickLine[i].color < 0) continue;
    const Rect r = brick(brickLine[i].color);
    surf_zunk->blitAlphaRect(r.x1, r.y1, r.x2, r.y2, dest(kWallAt.x + kBrickSize * static_cast<long>(i)), kFeederY, false, false);
  }
}

void fallWorld() {
  for (int row = 0; row < 7; row++)
    for (int col = 0; col < 9; col++) {
      sBrick &b = brickWall[row][col];
      if (b.fall < 0) {
        b.fall++;
        if (b.fall > 0) b.fall = 0;
      }
      sBrick &below = brickWall[row + 1][col];
      if (below.color == kNoBrick && b.fall >= 0) {
        b.fall += 4;
        if (b.fall > 30) {
          below.color = b.color;
          below.bonus = b.bonus;
          below.bonusTime = b.bonusTime;
          below.fall = 0;
          b.color = kNoBrick;
          b.fall = 0;
        }
      }
    }
  for (int col = 0; col < 9; col++)
    for (int row = 0; row < 8; row++) {
      sBrick &b = brickWall[row][col];
      if (b.color < 0) continue;
      blitBrick(col, row);
      if (b.bonus > 0) {
        b.bonusTime--;
        if (b.bonusTime > 0) {
          const Rect r = bonusIcon(b.bonus);
          surf_zunk->blitAlphaRectFx(r.x1, r.y1, r.x2, r.y2, dest(kWallAt.x + kBrickSize * static_cast<long>(col)),
                                     dest(kWallAt.y + kBrickSize * static_cast<long>(row) + b.fall + 1), 0, 1, 0.9f, false,
                                     false, 0, 0);
        } else {
          b.bonus = 0;
        }
      }
    }
  if (!launched && highlitedBrickX != -1 && highlitedBrickY != -1 &&
      brickWall[highlitedBrickY][highlitedBrickX].color >= 0) {
    surf_zunk->setAlphaMode(0);
    blitBrick(highlitedBrickX, highlitedBrickY);
    surf_zunk->setAlphaMode(1);
  }
}

// ------------------------------------------------------------------ ball

void getForce(bool keepOld) {
  forceX = ((ballx + 13) - kAnchorX) / 6 / 2.3f;
  forceY = ((bally + 17) - kAnchorY) / 6 / 2.3f;
  if (!keepOld) {
    oldballX = ballx;
    oldballY = bally;
  }
}

void calculateTaret() {
  if (gHelpTarget < 1) {
    highlitedBrickX = highlitedBrickY = -1;
    return;
  }
  if (launched) return;
  float tx = ballx, ty = bally;
  getForce(false);
  float z = 0.3f, s = 0.18f;
  do {
    z += s;
    s -= 0.009f;
    tx -= forceX;
    ty -= forceY;
  } while (!(z < 0.3f));
  surf_zunk->setLineWidth(18);
  surf_zunk->drawLine(ballx + 18, bally + 16, tx + 18, ty + 16, 1, 1, 1, 0.5f, 0);
  surf_zunk->setLineWidth(1);
  highlitedBrickX = highlitedBrickY = -1;
  long col, row;
  if (cellAt(tx, ty, col, row)) {
    highlitedBrickX = col >= 0 && col <= 8 ? static_cast<int32_t>(col) : -1;
    highlitedBrickY = row >= 0 && row <= 7 ? static_cast<int32_t>(row) : -1;
  }
}

void drawChain(bool aiming) {
  float dx, dy;
  if (aiming) {
    dx = ((ballx + 13) - kAnchorX) / 6;
    dy = ((bally + 17) - kAnchorY) / 6;
  } else {
    dx = ((oldballX + 13) - kAnchorX) * 0.0625f;
    dy = ((oldballY + 17) - kAnchorY) * 0.0625f;
    oldballX -= dx;
    oldballY -= dy;
  }
  float px = kAnchorX, py = kAnchorY;
  for (int i = 0; i < 6; i++) {
    surf_zunk->blitAlphaRect(kLink.x1, kLink.y1, kLink.x2, kLink.y2, dest(px), dest(py), false, false);
    px += dx;
    py += dy;
  }
}

void adjustBallPosition() {
  if (!pointerDown()) return;
  ballx = static_cast<float>(pointerX() + decaloX);
  bally = static_cast<float>(pointerY() + decaloY);
  if (bally < 120) bally = 120;
}

void destroyBall() {
  if (gHelpTarget > 0) gHelpTarget--;
  decaloX = decaloY = 0;
  launched = false;
  ballZoom = 0.3f;
  grabbedBall = false;
  long col, row;
  if (cellAt(ballx, bally, col, row)) destroyBrickAt(col, row);
  ballx = kBallRest.x;
  bally = kBallRest.y;
}

void drawBall() {
  if (launched) {
    drawChain(false);
    ballx -= forceX;
    bally -= forceY;
    ballZoom = ballZoom + ballZoomSpeed;
    ballZoomSpeed -= 0.009f;
    if (ballZoom < 0.3f) {
      ballZoom = 0.3f;
      forceX = forceY = 0;
      destroyBall();
    }
    surf_zunk->setBlitColor(0, 0, 0, 1);
    const Rect &f = kFlyingBall;
    surf_zunk->blitAlphaRectFx(f.x1, f.y1, f.x2, f.y2, dest(ballx - 22 - 18 * ballZoom), dest(bally - 26 + 17 * ballZoom), 1,
                               ballZoom, 0.25f, false, false, 0, 0);
    surf_zunk->setBlitColor(1, 1, 1, 1);
    surf_zunk->blitAlphaRectFx(f.x1, f.y1, f.x2, f.y2, dest(ballx - 22), dest(bally - 26), 1, ballZoom, 1, false, false, 0,
                               0);
  } else {
    drawChain(true);
    const Rect &r = kRestingBall;
    surf_zunk->blitAlphaRectFx(r.x1, r.y1, r.x2, r.y2, dest(ballx), dest(bally), 1, 1, 1, false, false, 0, 0);
  }
  if (launched || gameover) return;
  updatePull(ballx, bally, !grabbedBall);
  const int x = pointerX(), y = pointerY();
  const bool down = pointerDown();
  if (!down) {
    if (grabbedBall) {
      // The throw records the release position, so the band always retracts
      // from where the ball was let go, guided throw or not.
      getForce(false);
      launched = true;
      ballZoom = 0.3f;
      ballZoomSpeed = 0.18f;
      playSound(snd_throw);
    }
    grabbedBall = false;
    decaloX = decaloY = 0;
    return;
  }
  if (grabbedBall) {
    adjustBallPosition();
    return;
  }
  if (ballx < x && x < ballx + 36 && bally < y && y < bally + 38) {
    grabbedBall = true;
    decaloX = static_cast<int32_t>(ballx - x);
    decaloY = static_cast<int32_t>(bally - y);
  }
}

void drawDragMe() {
  surf_zunk->blitAlphaRect(kDragMe.x1, kDragMe.y1, kDragMe.x2, kDragMe.y2, dest(ballx + 28), dest(bally - 8), false, false);
}

// ------------------------------------------------------------------ destruction

namespace {
// A brick has broken: its neighbours of `color` break with it (and theirs, in
// turn), then it scores its point.
void destroyNeighbours(long col, long row, long color) {
  destroyColoredBrickAt(col + 1, row, color);
  destroyColoredBrickAt(col - 1, row, color);
  destroyColoredBrickAt(col, row + 1, color);
  destroyColoredBrickAt(col, row - 1, color);
  if (!gameover) gScore++;
}
} // namespace

void destroyBrickAt(long col, long row) {
  if (!inWall(col, row)) return;
  sBrick &b = brickWall[row][col];
  if (b.color < 0) return;
  const int32_t k = b.color;
  playSound(snd_break[drawRandom() % 3]);
  b.color = kNoBrick;
  if (b.bonus > 0) applyBonus(col, row, b.bonus);
  b.bonus = 0;
  if (k >= kHardBrick) {
    if (k + 1 <= kLastHardBrick) {
      b.color = k + 1;
      if (!gameover) gScore++;
      return;
    }
    destroyNeighbours(col, row, kHardBrick);
    return;
  }
  destroyNeighbours(col, row, k);
}

void destroyColoredBrickAt(long col, long row, long color) {
  if (!inWall(col, row)) return;
  sBrick &b = brickWall[row][col];
  const bool match = (b.color >= 0 && b.color == color) || (b.color >= kHardBrick && color >= kHardBrick);
  if (!match) return;
  b.color = kNoBrick;
  b.bonus = 0;
  destroyNeighbours(col, row, color);
}

void fastDestroyBrick(long col, long row) {
  if (!inWall(col, row)) return;
  for (sBrick &b : brickWall[row]) {
    b.color = kNoBrick;
    b.bonus = 0;
  }
  gScore += 9;
}

long getBonus() {
  if (gScore < 3) return 0;
  long kind = drawRandom() % kBonusKinds + 1;
  // The target bonus is drawn again two times in three.
  if (drawRandom() % 3 != 2 && kind == kTarget) kind = drawRandom() % kBonusKinds + 1;
  const int start = drawRandom() % 72;
  for (int index = start; index < 72; index++) {
    sBrick &b = brickWall[index / 9][index % 9];
    if (b.color != kNoBrick && b.bonus == kNoBonus) {
      b.bonus = static_cast<int32_t>(kind);
      b.bonusTime = drawRandom() % 300 + 300;
      addCloud(31 * (index % 9) + 20, 31 * (index / 9) + 43);
      return 1;
    }
  }
  return 1;
}

void applyBonus(long col, long row, long kind) {
  switch (kind) {
  case kBomb:
    playSound(snd_bomb);
    destroyBrickAt(col - 1, row);
    destroyBrickAt(col + 1, row);
    destroyBrickAt(col, row - 1);
    destroyBrickAt(col - 1, row - 1);
    destroyBrickAt(col + 1, row - 1);
    destroyBrickAt(col + 1, row + 1);
    destroyBrickAt(col - 1, row + 1);
    destroyBrickAt(col, row + 1);
    break;
  case kHammer:
    playSound(snd_hammer);
    for (long r = row + 1; r <= 7; r++) destroyBrickAt(col, r);
    break;
  case kClock: pauseLine = 150; break;
  case kTarget: gHelpTarget = 3; break;
  case kRowClear: fastDestroyBrick(col, row); break;
  default: break;
  }
}

// ------------------------------------------------------------------ score, clouds, game over

void displayLeftValueAt(long x, long y, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  for (const char *c = text; *c; c++)
    for (const sNumber &n : numberTable)
      if (n.character == *c) {
        surf_zunk->blitAlphaRect(n.x1, n.y1, n.x2, n.y2, dest(x), dest(y), false, false);
        x += n.x2 - n.x1;
        break;
      }
}

void displayValueAt(long x, long y, long value) {
  char text[32];
  int len = std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  for (int i = len - 1; i >= 0; i--)
    for (const sNumber &n : numberTable)
      if (n.character == text[i]) {
        surf_zunk->blitAlphaRect(n.x1, n.y1, n.x2, n.y2, dest(x), dest(y), false, false);
        x -= n.x2 - n.x1;
        break;
      }
}

void sendScore(long score) {
  if (scoreSent) return;
  scoreSent = true;
  int i = 0;
  while (i < 10 && !(score > topScores[i])) i++;
  if (i == 10) return;
  for (int j = 8; j >= i; j--) topScores[j + 1] = topScores[j];
  topScores[i] = static_cast<int32_t>(score);
}

void displayScore() {
  scoretimer++;
  if (gameover) {
    gScoreAnim = gScore;
    sendScore(gScore);
  }
  if (scoretimer >= kScoreStepFrames) {
    scoretimer = 0;
    if (gScoreAnim < gScore) gScoreAnim++;
  }
  displayLeftValueAt(kScoreAt.x, kScoreAt.y, gScoreAnim);
  surf_zunk->blitAlphaRect(kScoreLabel.x1, kScoreLabel.y1, kScoreLabel.x2, kScoreLabel.y2, kScoreLabelAt.x, kScoreLabelAt.y,
                           false, false);
}

void initClouds() {
  for (sCloud &c : cloudTable) c.active = false;
}

void addCloud(long x, long y) {
  for (sCloud &c : cloudTable)
    if (!c.active) {
      c.frame = 0;
      c.active = true;
      c.delay = 6;
      c.x = static_cast<int32_t>(x);
      c.y = static_cast<int32_t>(y);
      return;
    }
}

void drawCloud(sCloud *cloud) {
  if (cloud->frame <= 3) {
    const Rect r = layout::cloud(cloud->frame);
    surf_zunk->blitAlphaRect(r.x1, r.y1, r.x2, r.y2, dest(static_cast<long>(cloud->x)), dest(static_cast<long>(cloud->y)),
                             false, false);
  }
  cloud->delay--;
  if (cloud->delay <= 0) {
    cloud->delay = 6;
    cloud->frame++;
    if (cloud->frame > 3) cloud->active = false;
  }
}

void doClouds() {
  for (sCloud &c : cloudTable)
    if (c.active) drawCloud(&c);
}

void drawGameOver() {
  auto advance = [](float &phase, float step) {
    phase += step;
    if (phase > kWobbleTurn) phase = 0;
  };
  advance(gozoom1, 0.05f);
  advance(gozoom2, 0.043f);
  advance(gorot2, 0.023f);
  advance(gorot1, 0.035f);
  const float zoom1 = static_cast<float>(std::cos(static_cast<double>(gozoom1)) * 0.02);
  const float zoom2 = static_cast<float>(std::cos(static_cast<double>(gozoom2)) * 0.02);
  const float angle1 = static_cast<float>(std::cos(static_cast<double>(gorot1)) * 4);
  const float angle2 = static_cast<float>(std::cos(static_cast<double>(gorot2)) * 4);
  gameOverProgress += 0.05f;
  if (gameOverProgress >= 1) gameOverProgress = 1;
  const float p = gameOverProgress;
  surf_zunk->setTextureQuality(true);
  const Rect &top = kGameOverTop, &bottom = kGameOverBottom;
  surf_zunk->blitAlphaRectFx(top.x1, top.y1, top.x2, top.y2, kGameOverX, dest(p * 200 - 120), angle1, 1 + zoom1, 1, false,
                             false, 0, 0);
  surf_zunk->blitAlphaRectFx(bottom.x1, bottom.y1, bottom.x2, bottom.y2, kGameOverX, dest(480 - 320 * p), angle2, 1 + zoom2,
                             1, false, false, 0, 0);
  surf_zunk->setTextureQuality(false);
}
