#include "playview.h"

#include <cstdio>

#include "layout.h"

using namespace layout;

namespace {
constexpr sNumber number(int d) {
  return {static_cast<char>('0' + d), static_cast<int16_t>(digit(d).x1), static_cast<int16_t>(digit(d).y1),
          static_cast<int16_t>(digit(d).x2), static_cast<int16_t>(digit(d).y2)};
}

// How dark the veil over a paused game is.
const float kPauseVeil = 0.5f;
// A bonus icon is drawn a little see-through, a pixel below its brick's top.
const float kIconBlend = 0.9f;
const int kIconDrop = 1;
// The ball pictures are turned by a degree.
const float kBallAngle = 1;
const float kShadowBlend = 0.25f;

void blit(KGraphic &sheet, const Rect &r, int x, int y) {
  sheet.blitAlphaRect(r.x1, r.y1, r.x2, r.y2, static_cast<short>(x), static_cast<short>(y), false, false);
}

void blitFx(KGraphic &sheet, const Rect &r, int x, int y, float angle, float zoom, float blend) {
  sheet.blitAlphaRectFx(r.x1, r.y1, r.x2, r.y2, static_cast<short>(x), static_cast<short>(y), angle, zoom, blend, false,
                        false, 0, 0);
}

void brickAt(KGraphic &sheet, const PlayScene::Cell &cell, int col, int row) {
  blit(sheet, brick(cell.color), kWallAt.x + kBrickSize * col, static_cast<int16_t>(kWallAt.y + kBrickSize * row + cell.fall));
}
} // namespace

const sNumber numberTable[10] = {number(0), number(1), number(2), number(3), number(4),
                                 number(5), number(6), number(7), number(8), number(9)};

void displayLeftValueAt(KGraphic &sheet, long x, long y, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  for (const char *c = text; *c; c++)
    for (const sNumber &n : numberTable)
      if (n.character == *c) {
        sheet.blitAlphaRect(n.x1, n.y1, n.x2, n.y2, static_cast<short>(x), static_cast<short>(y), false, false);
        x += n.x2 - n.x1;
        break;
      }
}

void displayValueAt(KGraphic &sheet, long x, long y, long value) {
  char text[32];
  const int len = std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  for (int i = len - 1; i >= 0; i--)
    for (const sNumber &n : numberTable)
      if (n.character == text[i]) {
        sheet.blitAlphaRect(n.x1, n.y1, n.x2, n.y2, static_cast<short>(x), static_cast<short>(y), false, false);
        x -= n.x2 - n.x1;
        break;
      }
}

void drawPlay(const Play &play, KGraphic &sheet) {
  const PlayScene &s = play.shown;
  blitFx(sheet, kPlayBackground, 0, 0, 0, 1, 1);
  for (int i = 0; i < kWallColumns; i++)
    if (s.line[i] >= 0) blit(sheet, brick(s.line[i]), kWallAt.x + kBrickSize * i, kFeederY);
  for (int col = 0; col < kWallColumns; col++)
    for (int row = 0; row < kWallRows; row++) {
      const PlayScene::Cell &cell = s.wall[row][col];
      if (cell.color < 0) continue;
      brickAt(sheet, cell, col, row);
      if (cell.icon > 0)
        blitFx(sheet, bonusIcon(cell.icon), kWallAt.x + kBrickSize * col,
               static_cast<int16_t>(kWallAt.y + kBrickSize * row + cell.fall + kIconDrop), 0, 1, kIconBlend);
    }
  // The brick the guide points at, drawn again without blending: lit.
  if (s.lit) {
    sheet.setAlphaMode(0);
    brickAt(sheet, s.wall[s.litRow][s.litColumn], s.litColumn, s.litRow);
    sheet.setAlphaMode(1);
  }
  blit(sheet, kTopFrame, 0, 0);
  // The play background once more over the top of the wall: a dropped line
  // slides in behind it.
  blitFx(sheet, kFeederStrip, 0, kFeederStrip.y1, 0, 1, 1);
  for (int i = 0; i < kClouds; i++)
    if (s.cloud[i]) blit(sheet, cloud(s.clouds[i].frame), s.clouds[i].x, s.clouds[i].y);
  displayLeftValueAt(sheet, kScoreAt.x, kScoreAt.y, s.score);
  blit(sheet, kScoreLabel, kScoreLabelAt.x, kScoreLabelAt.y);
  if (s.guide) {
    sheet.setLineWidth(18);
    sheet.drawLine(s.guideFromX, s.guideFromY, s.guideToX, s.guideToY, 1, 1, 1, 0.5f, 0);
    sheet.setLineWidth(1);
  }
  float px = kAnchorX, py = kAnchorY;
  for (int i = 0; i < kBandLinks; i++) {
    blit(sheet, kLink, static_cast<int16_t>(static_cast<int>(px)), static_cast<int16_t>(static_cast<int>(py)));
    px += s.bandStepX;
    py += s.bandStepY;
  }
  if (s.flying) {
    // The shadow: the flying ball in black, faint, drifting away as it rises.
    sheet.setBlitColor(0, 0, 0, 1);
    blitFx(sheet, kFlyingBall, s.shadowX, s.shadowY, kBallAngle, s.ballZoom, kShadowBlend);
    sheet.setBlitColor(1, 1, 1, 1);
    blitFx(sheet, kFlyingBall, s.ballX, s.ballY, kBallAngle, s.ballZoom, 1);
  } else {
    blitFx(sheet, kRestingBall, s.ballX, s.ballY, kBallAngle, 1, 1);
  }
  if (s.dragMe) blit(sheet, kDragMe, s.dragMeX, s.dragMeY);
  if (s.gameOver) {
    sheet.setTextureQuality(true);
    blitFx(sheet, kGameOverTop, kGameOverX, s.gameOverTopY, s.gameOverAngle[0], s.gameOverZoom[0], 1);
    blitFx(sheet, kGameOverBottom, kGameOverX, s.gameOverBottomY, s.gameOverAngle[1], s.gameOverZoom[1], 1);
    sheet.setTextureQuality(false);
  }
  if (s.veiled) {
    sheet.drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, kPauseVeil);
    blit(sheet, kPausePanel, kPausePanelAt.x, kPausePanelAt.y);
  }
}
