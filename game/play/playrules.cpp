#include "playrules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "layout.h"

using namespace layout;

namespace {
// Destinations are whole numbers, truncated toward zero, then 16 bits.
inline int16_t dest(float v) { return static_cast<int16_t>(static_cast<int>(v)); }
inline int16_t dest(long v) { return static_cast<int16_t>(v); }

// The menu zone leaves the game; after GAME OVER a press on the wall's
// height starts the next.
bool inMenuZone(int x, int y) { return x >= kMenuZone.x1 && x <= kMenuZone.x2 - 1 && y >= kMenuZone.y1 && y <= kMenuZone.y2 - 1; }
const int kRestartTop = 1, kRestartBottom = 293;
// The ball stays below this height while it is held.
const float kHighestHold = 120;
// What the landing point of the ball may hit: the wall and a band around it.
const float kHitLeft = 5, kHitRight = 475, kHitTop = 40, kHitBottom = 289;
// The ball's hit point, from its top-left corner.
const int kHitOffset = 16;
// A bonus lasts 300 to 599 frames; the clock holds the feeder 150 frames and
// ticks every 25; the target bonus guides 3 throws; a new game guides 5.
const int32_t kBonusFrames = 300, kClockFrames = 150, kClockTick = 25, kTargetThrows = 3, kGuidedThrows = 5;
// The feeder's pace: a brick every 80 frames at first, 4 frames less with
// every line dropped, never under 2.
const int32_t kFirstDelay = 80, kDelayStep = 4, kShortestDelay = 2;
// A sixth colour comes in once the score passes this.
const int32_t kSixColoursAfter = 129;
// A falling brick moves 4 pixels a frame and lands in the cell below past 30.
const int32_t kFallStep = 4, kFallIntoNext = 30;

bool inWall(long col, long row) { return col >= 0 && row >= 0 && col < kWallColumns && row < kWallRows; }

// The cell a point of the ball maps to, or false outside the landing band.
bool cellAt(float x, float y, long &col, long &row) {
  if (!(x >= kHitLeft && x <= kHitRight && y >= kHitTop && y <= kHitBottom)) return false;
  col = static_cast<int>(x + kHitOffset - kWallAt.x) / kBrickSize;
  row = static_cast<int>(y + kHitOffset - kWallAt.y) / kBrickSize;
  return true;
}

} // namespace

void PlayRules::sound(PlaySound s) { events.sounds.push_back(s); }

bool PlayRules::spaceInLine() const { return p.brickLine[kWallColumns - 1].color == kNoBrick; }

bool PlayRules::isStillFalling() const {
  for (int row = 0; row < kWallRows - 1; row++)
    for (int col = 0; col < kWallColumns; col++) {
      const sBrick &b = p.brickWall[row][col];
      if (b.color >= 0 && (b.fall > 0 || p.brickWall[row + 1][col].color == kNoBrick)) return true;
    }
  return false;
}

void PlayRules::doLine() {
  if (p.gameover) return;
  if (p.pauseLine > 0) {
    if (p.pauseLine % kClockTick == 0) sound(PlaySound::kClock);
    p.pauseLine--;
    return;
  }
  p.delayTimer--;
  if (p.delayTimer >= 0) return;
  p.delayTimer = p.defaultDelayTimer;
  const int color = random.draw() % p.difficulty;
  for (sBrick &b : p.brickLine)
    if (b.color == kNoBrick) {
      b.color = color;
      break;
    }
}

void PlayRules::dropLine() {
  for (int col = 0; col < kWallColumns; col++)
    if (p.brickWall[0][col].color >= 0) {
      p.gameover = true;
      return;
    }
  for (int col = 0; col < kWallColumns; col++) {
    sBrick &b = p.brickWall[0][col];
    b.color = p.brickLine[col].color;
    b.fall = kSlideIn;
    b.bonus = 0;
    b.bonusTime = 0;
    p.brickLine[col].color = kNoBrick;
  }
  sound(PlaySound::kLineDown);
  getBonus();
  p.defaultDelayTimer = p.defaultDelayTimer - kDelayStep > 1 ? p.defaultDelayTimer - kDelayStep : kShortestDelay;
}

// The feeder line as the frame shows it.
void PlayRules::showLine() {
  for (int i = 0; i < kWallColumns; i++) p.shown.line[i] = p.brickLine[i].color;
}

void PlayRules::fallWorld() {
  for (int row = 0; row < kWallRows - 1; row++)
    for (int col = 0; col < kWallColumns; col++) {
      sBrick &b = p.brickWall[row][col];
      if (b.fall < 0) {
        b.fall++;
        if (b.fall > 0) b.fall = 0;
      }
      sBrick &below = p.brickWall[row + 1][col];
      if (below.color == kNoBrick && b.fall >= 0) {
        b.fall += kFallStep;
        if (b.fall > kFallIntoNext) {
          below.color = b.color;
          below.bonus = b.bonus;
          below.bonusTime = b.bonusTime;
          below.fall = 0;
          b.color = kNoBrick;
          b.fall = 0;
        }
      }
    }
  for (int col = 0; col < kWallColumns; col++)
    for (int row = 0; row < kWallRows; row++) {
      sBrick &b = p.brickWall[row][col];
      PlayScene::Cell &shown = p.shown.wall[row][col];
      shown = PlayScene::Cell{b.color, b.fall, kNoBonus};
      if (b.color < 0) continue;
      if (b.bonus > 0) {
        b.bonusTime--;
        if (b.bonusTime > 0) shown.icon = b.bonus;
        else b.bonus = 0;
      }
    }
  const int hx = p.highlitedBrickX, hy = p.highlitedBrickY;
  p.shown.lit = !p.launched && hx != -1 && hy != -1 && p.brickWall[hy][hx].color >= 0;
  p.shown.litColumn = hx;
  p.shown.litRow = hy;
}

// A brick has broken: its neighbours of `color` break with it (and theirs,
// in turn), then it scores its point.
void PlayRules::destroyNeighbours(long col, long row, long color) {
  destroyColoredBrickAt(col + 1, row, color);
  destroyColoredBrickAt(col - 1, row, color);
  destroyColoredBrickAt(col, row + 1, color);
  destroyColoredBrickAt(col, row - 1, color);
  if (!p.gameover) p.gScore++;
}

void PlayRules::destroyBrickAt(long col, long row) {
  if (!inWall(col, row)) return;
  sBrick &b = p.brickWall[row][col];
  if (b.color < 0) return;
  const int32_t k = b.color;
  static const PlaySound kBreaks[3] = {PlaySound::kBreak1, PlaySound::kBreak2, PlaySound::kBreak3};
  sound(kBreaks[random.draw() % 3]);
  b.color = kNoBrick;
  if (b.bonus > 0) applyBonus(col, row, b.bonus);
  b.bonus = 0;
  if (k >= kHardBrick) {
    if (k + 1 <= kLastHardBrick) {
      b.color = k + 1;
      if (!p.gameover) p.gScore++;
      return;
    }
    destroyNeighbours(col, row, kHardBrick);
    return;
  }
  destroyNeighbours(col, row, k);
}

void PlayRules::destroyColoredBrickAt(long col, long row, long color) {
  if (!inWall(col, row)) return;
  sBrick &b = p.brickWall[row][col];
  const bool match = (b.color >= 0 && b.color == color) || (b.color >= kHardBrick && color >= kHardBrick);
  if (!match) return;
  b.color = kNoBrick;
  b.bonus = 0;
  destroyNeighbours(col, row, color);
}

void PlayRules::fastDestroyBrick(long col, long row) {
  if (!inWall(col, row)) return;
  for (sBrick &b : p.brickWall[row]) {
    b.color = kNoBrick;
    b.bonus = 0;
  }
  p.gScore += kWallColumns;
}

long PlayRules::getBonus() {
  if (p.gScore < 3) return 0;
  const int cells = kWallColumns * kWallRows;
  long kind = random.draw() % kBonusKinds + 1;
  // The target bonus is drawn again two times in three.
  if (random.draw() % 3 != 2 && kind == kTarget) kind = random.draw() % kBonusKinds + 1;
  const int start = random.draw() % cells;
  for (int index = start; index < cells; index++) {
    sBrick &b = p.brickWall[index / kWallColumns][index % kWallColumns];
    if (b.color != kNoBrick && b.bonus == kNoBonus) {
      b.bonus = static_cast<int32_t>(kind);
      b.bonusTime = random.draw() % kBonusFrames + kBonusFrames;
      addCloud(kBrickSize * (index % kWallColumns) + 20, kBrickSize * (index / kWallColumns) + 43);
      return 1;
    }
  }
  return 1;
}

void PlayRules::applyBonus(long col, long row, long kind) {
  switch (kind) {
  case kBomb:
    sound(PlaySound::kBomb);
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
    sound(PlaySound::kHammer);
    for (long r = row + 1; r < kWallRows; r++) destroyBrickAt(col, r);
    break;
  case kClock: p.pauseLine = kClockFrames; break;
  case kTarget: p.gHelpTarget = kTargetThrows; break;
  case kRowClear: fastDestroyBrick(col, row); break;
  default: break;
  }
}

void PlayRules::addCloud(long x, long y) {
  for (sCloud &c : p.cloudTable)
    if (!c.active) {
      c.frame = 0;
      c.active = true;
      c.delay = kCloudFrameTime;
      c.x = static_cast<int32_t>(x);
      c.y = static_cast<int32_t>(y);
      return;
    }
}

void PlayRules::doClouds() {
  for (int i = 0; i < kClouds; i++) {
    sCloud &c = p.cloudTable[i];
    p.shown.cloud[i] = c.active && c.frame <= kLastCloudFrame;
    p.shown.clouds[i] = c;
    if (!c.active) continue;
    c.delay--;
    if (c.delay <= 0) {
      c.delay = kCloudFrameTime;
      c.frame++;
      if (c.frame > kLastCloudFrame) c.active = false;
    }
  }
}

void PlayRules::displayScore() {
  p.scoretimer++;
  if (p.gameover) {
    p.gScoreAnim = p.gScore;
    if (!p.scoreSent) {
      p.scoreSent = true;
      events.scoreOffered = true;
      events.score = p.gScore;
    }
  }
  if (p.scoretimer >= kScoreStepFrames) {
    p.scoretimer = 0;
    if (p.gScoreAnim < p.gScore) p.gScoreAnim++;
  }
  p.shown.score = p.gScoreAnim;
}

void PlayRules::drawGameOver() {
  auto advance = [](float &phase, float step) {
    phase += step;
    if (phase > kWobbleTurn) phase = 0;
  };
  advance(p.gozoom1, 0.05f);
  advance(p.gozoom2, 0.043f);
  advance(p.gorot2, 0.023f);
  advance(p.gorot1, 0.035f);
  PlayScene &s = p.shown;
  s.gameOverZoom[0] = 1 + static_cast<float>(std::cos(static_cast<double>(p.gozoom1)) * 0.02);
  s.gameOverZoom[1] = 1 + static_cast<float>(std::cos(static_cast<double>(p.gozoom2)) * 0.02);
  s.gameOverAngle[0] = static_cast<float>(std::cos(static_cast<double>(p.gorot1)) * 4);
  s.gameOverAngle[1] = static_cast<float>(std::cos(static_cast<double>(p.gorot2)) * 4);
  // It slides in: the top half down from above the screen, the bottom half
  // up from below it.
  p.gameOverProgress += kGameOverSlideStep;
  if (p.gameOverProgress >= 1) p.gameOverProgress = 1;
  s.gameOverTopY = dest(p.gameOverProgress * kGameOverTopSlide + kGameOverTopFrom);
  s.gameOverBottomY = dest(kScreenHeight - kGameOverBottomSlide * p.gameOverProgress);
  s.gameOverProgress = p.gameOverProgress;
  s.gameOver = true;
}

void PlayRules::getForce(bool keepOld) {
  p.forceX = ((p.ballx + 13) - kAnchorX) / kBandLinks / kForceDivisor;
  p.forceY = ((p.bally + 17) - kAnchorY) / kBandLinks / kForceDivisor;
  if (!keepOld) {
    p.oldballX = p.ballx;
    p.oldballY = p.bally;
  }
}

void PlayRules::calculateTaret() {
  p.shown.guide = false;
  if (p.gHelpTarget < 1) {
    p.highlitedBrickX = p.highlitedBrickY = -1;
    return;
  }
  if (p.launched) return;
  float tx = p.ballx, ty = p.bally;
  getForce(false);
  float z = kRestZoom, s = kLaunchZoomSpeed;
  do {
    z += s;
    s -= kZoomSlowdown;
    tx -= p.forceX;
    ty -= p.forceY;
  } while (!(z < kRestZoom));
  p.shown.guide = true;
  p.shown.guideFromX = p.ballx + 18;
  p.shown.guideFromY = p.bally + 16;
  p.shown.guideToX = tx + 18;
  p.shown.guideToY = ty + 16;
  p.highlitedBrickX = p.highlitedBrickY = -1;
  long col, row;
  if (cellAt(tx, ty, col, row)) {
    p.highlitedBrickX = col >= 0 && col < kWallColumns ? static_cast<int32_t>(col) : -1;
    p.highlitedBrickY = row >= 0 && row < kWallRows ? static_cast<int32_t>(row) : -1;
  }
}

// The band's links: from the anchor to the ball while it rests or is
// held; in flight, its free end creeping back.
void PlayRules::band(bool aiming) {
  if (aiming) {
    p.shown.bandStepX = ((p.ballx + 13) - kAnchorX) / kBandLinks;
    p.shown.bandStepY = ((p.bally + 17) - kAnchorY) / kBandLinks;
    return;
  }
  const float dx = ((p.oldballX + 13) - kAnchorX) * kBandRetract;
  const float dy = ((p.oldballY + 17) - kAnchorY) * kBandRetract;
  p.oldballX -= dx;
  p.oldballY -= dy;
  p.shown.bandStepX = dx;
  p.shown.bandStepY = dy;
}

// The sling's point this frame: the keyboard's or gamepad's pull while
// there is one, the mouse otherwise.
int PlayRules::pointerX() const { return p.pull.active ? p.pull.x : input.mouseX; }

int PlayRules::pointerY() const { return p.pull.active ? p.pull.y : input.mouseY; }

bool PlayRules::pointerDown() const { return (p.pull.active && keys.grabHeld()) || keys.held(kHeldMouse); }

void PlayRules::updatePull(bool ballFree) {
  Pull &pull = p.pull;
  if (!pull.active) {
    if (!keys.grabPressed() || !ballFree) return;
    pull.active = true;
    pull.x = pull.grabX = static_cast<int>(p.ballx) + kGrabOffsetX;
    pull.y = pull.grabY = static_cast<int>(p.bally) + kGrabOffsetY;
    pull.heldFrames = 0;
    return;
  }
  if (!keys.grabHeld()) {
    pull.active = false; // the ball sees the point let go, and flies
    return;
  }
  const int dx = keys.held(kHeldRight | kHeldPadRight) - keys.held(kHeldLeft | kHeldPadLeft);
  const int dy = keys.held(kHeldDown | kHeldPadDown) - keys.held(kHeldUp | kHeldPadUp);
  if (dx || dy) {
    const int step = std::min(kPullStartStep + pull.heldFrames / kPullSpeedUpFrames, kPullTopStep);
    // Held longer than it takes to reach the top step, it counts no further.
    if (pull.heldFrames < kPullTopFrames) pull.heldFrames++;
    pull.x += dx * step;
    pull.y += dy * step;
  } else {
    pull.heldFrames = 0;
  }
  // Like a real sling, the stick's deflection is the pull.
  const int kStickDeadZone = 8000, kStickTravel = 32768;
  if (std::abs(input.stickX) > kStickDeadZone || std::abs(input.stickY) > kStickDeadZone) {
    pull.x = pull.grabX + input.stickX * kStickPull / kStickTravel;
    pull.y = pull.grabY + input.stickY * kStickPull / kStickTravel;
  }
  pull.x = std::clamp(pull.x, 0, kScreenWidth - 1);
  pull.y = std::clamp(pull.y, 0, kScreenHeight - 1);
}

void PlayRules::adjustBallPosition() {
  if (!pointerDown()) return;
  p.ballx = static_cast<float>(pointerX() + p.decaloX);
  p.bally = static_cast<float>(pointerY() + p.decaloY);
  if (p.bally < kHighestHold) p.bally = kHighestHold;
}

void PlayRules::destroyBall() {
  if (p.gHelpTarget > 0) p.gHelpTarget--;
  p.decaloX = p.decaloY = 0;
  p.launched = false;
  p.ballZoom = kRestZoom;
  p.grabbedBall = false;
  long col, row;
  if (cellAt(p.ballx, p.bally, col, row)) destroyBrickAt(col, row);
  p.ballx = kBallRest.x;
  p.bally = kBallRest.y;
}

void PlayRules::drawBall() {
  PlayScene &s = p.shown;
  if (p.launched) {
    band(false);
    p.ballx -= p.forceX;
    p.bally -= p.forceY;
    p.ballZoom = p.ballZoom + p.ballZoomSpeed;
    p.ballZoomSpeed -= kZoomSlowdown;
    if (p.ballZoom < kRestZoom) {
      p.ballZoom = kRestZoom;
      p.forceX = p.forceY = 0;
      destroyBall();
    }
    s.flying = true;
    s.ballZoom = p.ballZoom;
    s.shadowX = dest(p.ballx - 22 - 18 * p.ballZoom);
    s.shadowY = dest(p.bally - 26 + 17 * p.ballZoom);
    s.ballX = dest(p.ballx - 22);
    s.ballY = dest(p.bally - 26);
  } else {
    band(true);
    s.flying = false;
    s.ballX = dest(p.ballx);
    s.ballY = dest(p.bally);
  }
  if (p.launched || p.gameover) return;
  updatePull(!p.grabbedBall);
  const int x = pointerX(), y = pointerY();
  if (!pointerDown()) {
    if (p.grabbedBall) {
      // The throw records the release position, so the band always retracts
      // from where the ball was let go, guided throw or not.
      getForce(false);
      p.launched = true;
      p.ballZoom = kRestZoom;
      p.ballZoomSpeed = kLaunchZoomSpeed;
      sound(PlaySound::kThrow);
    }
    p.grabbedBall = false;
    p.decaloX = p.decaloY = 0;
    return;
  }
  if (p.grabbedBall) {
    adjustBallPosition();
    return;
  }
  if (p.ballx < x && x < p.ballx + 36 && p.bally < y && y < p.bally + 38) {
    p.grabbedBall = true;
    p.decaloX = static_cast<int32_t>(p.ballx - x);
    p.decaloY = static_cast<int32_t>(p.bally - y);
  }
}

void PlayRules::setDifficultyLevel() { p.difficulty = p.gScore > kSixColoursAfter ? 6 : 5; }

void PlayRules::doInGame() {
  setDifficultyLevel();
  if (spaceInLine() && !isStillFalling()) doLine();
  showLine();
  fallWorld();
  doClouds();
  displayScore();
  calculateTaret();
  drawBall();
  p.shown.dragMe = p.tutorial;
  if (p.tutorial) {
    if (p.ballx != kBallRest.x || p.bally != kBallRest.y) p.tutorial = false;
    p.shown.dragMeX = dest(p.ballx + 28);
    p.shown.dragMeY = dest(p.bally - 8);
  }
  if (p.brickLine[kWallColumns - 1].color != kNoBrick && !isStillFalling()) dropLine();
  p.shown.gameOver = false;
  if (p.gameover) drawGameOver();
  if (keys.held(kHeldMouse)) {
    const int x = input.mouseX, y = input.mouseY;
    if (inMenuZone(x, y)) {
      events.leave = true;
      return;
    }
    if (y >= kRestartTop && y <= kRestartBottom && p.gameover && p.gameOverProgress >= 1) events.restart = true;
  }
  // From the keyboard or the gamepad, the next game starts as a click does.
  if (p.gameover && p.gameOverProgress >= 1 && (keys.confirm() || keys.pressed(kHeldSpace))) events.restart = true;
}

void resetInGame(Play &p, RandomSource &random) {
  p.paused = false;
  p.scoreSent = false;
  p.gameover = false;
  p.gameOverProgress = 0;
  p.pauseLine = 0;
  p.gScore = 0;
  p.gScoreAnim = 0;
  p.grabbedBall = false;
  for (auto &row : p.brickWall)
    for (sBrick &b : row) b = sBrick{kNoBrick, 0, 0, 0};
  for (sBrick &b : p.brickLine) b = sBrick{kNoBrick, 0, 0, 0};
  p.highlitedBrickX = p.highlitedBrickY = -1;
  p.gHelpTarget = kGuidedThrows;
  for (sCloud &c : p.cloudTable) c.active = false;
  p.defaultDelayTimer = kFirstDelay;
  p.delayTimer = kFirstDelay;
  p.difficulty = 5;
  p.ballx = kBallRest.x;
  p.bally = kBallRest.y;
  p.decaloX = p.decaloY = 0;
  p.launched = false;
  p.ballZoom = kRestZoom;
  // The bottom row: nine random bricks, left to right.
  for (int col = 0; col < kWallColumns; col++) {
    sBrick &b = p.brickWall[kWallRows - 1][col];
    b.color = random.draw() % p.difficulty;
    b.fall = 0;
    b.bonus = 0;
  }
}

