#include "playview.h"

#include <cstdio>
#include <string>

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

// How much darker the field behind the wall is in stronger contrast, and the
// guide's dark edge.
const float kContrastField = 0.55f, kGuideEdgeBlend = 0.6f;
const int kGuideWidth = 18, kGuideEdgeWidth = 22;

Rect brickPicture(int color, const Look &look) { return look.contrast ? contrastBrick(color) : brick(color); }

// A brick of the wall; in calmer motion one sliding in fades in at its
// place and one falling stays in its cell until it lands in the next.
void brickAt(KGraphic &sheet, const PlayScene::Cell &cell, int col, int row, const Look &look) {
  const Rect picture = brickPicture(cell.color, look);
  const int x = kWallAt.x + kBrickSize * col, y = kWallAt.y + kBrickSize * row;
  if (!look.calm) blit(sheet, picture, x, static_cast<int16_t>(y + cell.fall));
  else if (cell.fall < 0) blitFx(sheet, picture, x, y, 0, 1, 1 - static_cast<float>(cell.fall) / kSlideIn);
  else blit(sheet, picture, x, y);
}

// A cloud's opacity in calmer motion: fading over its life instead of puffing.
float cloudFade(const sCloud &c) {
  const int life = (kLastCloudFrame + 1) * kCloudFrameTime;
  const int left = (kLastCloudFrame - c.frame) * kCloudFrameTime + c.delay;
  return static_cast<float>(left) / life;
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

namespace {
// The digits of `text`, and its dashes, from x to the right; how wide they
// are (drawn only with a sheet).
long digitsAt(KGraphic *sheet, long x, long y, const char *text) {
  const long from = x;
  for (const char *c = text; *c; c++) {
    if (*c == '-') {
      if (sheet) sheet->blitAlphaRect(kDigitDash.x1, kDigitDash.y1, kDigitDash.x2, kDigitDash.y2, static_cast<short>(x),
                                      static_cast<short>(y), false, false);
      x += kDigitDash.w();
      continue;
    }
    for (const sNumber &n : numberTable)
      if (n.character == *c) {
        if (sheet) sheet->blitAlphaRect(n.x1, n.y1, n.x2, n.y2, static_cast<short>(x), static_cast<short>(y), false, false);
        x += n.x2 - n.x1;
        break;
      }
  }
  return x - from;
}
} // namespace

long valueWidth(long value) { return digitsAt(nullptr, 0, 0, std::to_string(value).c_str()); }

void displayDayAt(KGraphic &sheet, long x, long y, Day day) { digitsAt(&sheet, x, y, dayText(day).c_str()); }

long dayWidth(Day day) { return digitsAt(nullptr, 0, 0, dayText(day).c_str()); }

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

void drawPlay(const Play &play, KGraphic &sheet, const Look &look) {
  const PlayScene &s = play.shown;
  blitFx(sheet, kPlayBackground, 0, 0, 0, 1, 1);
  if (look.contrast)
    sheet.drawRect(kWallWell.x1, kWallWell.y1, kWallWell.x2, kWallWell.y2, 0, 0, 0, kContrastField);
  for (int i = 0; i < kWallColumns; i++)
    if (s.line[i] >= 0) blit(sheet, brickPicture(s.line[i], look), kWallAt.x + kBrickSize * i, kFeederY);
  for (int col = 0; col < kWallColumns; col++)
    for (int row = 0; row < kWallRows; row++) {
      const PlayScene::Cell &cell = s.wall[row][col];
      if (cell.color < 0) continue;
      brickAt(sheet, cell, col, row, look);
      if (cell.icon <= 0) continue;
      const int fall = look.calm ? 0 : cell.fall;
      blitFx(sheet, look.contrast ? contrastIcon(cell.icon) : bonusIcon(cell.icon), kWallAt.x + kBrickSize * col,
             static_cast<int16_t>(kWallAt.y + kBrickSize * row + fall + kIconDrop), 0, 1,
             look.contrast ? 1 : kIconBlend);
    }
  // The brick the guide points at, drawn again without blending: lit.
  if (s.lit) {
    sheet.setAlphaMode(0);
    brickAt(sheet, s.wall[s.litRow][s.litColumn], s.litColumn, s.litRow, look);
    sheet.setAlphaMode(1);
  }
  blit(sheet, kTopFrame, 0, 0);
  // The play background once more over the top of the wall: a dropped line
  // slides in behind it.
  blitFx(sheet, kFeederStrip, 0, kFeederStrip.y1, 0, 1, 1);
  for (int i = 0; i < kClouds; i++) {
    if (!s.cloud[i]) continue;
    const sCloud &c = s.clouds[i];
    if (look.calm) blitFx(sheet, cloud(1), c.x, c.y, 0, 1, cloudFade(c));
    else blit(sheet, cloud(c.frame), c.x, c.y);
  }
  displayLeftValueAt(sheet, kScoreAt.x, kScoreAt.y, s.score);
  blit(sheet, kScoreLabel, kScoreLabelAt.x, kScoreLabelAt.y);
  if (s.guide) {
    if (look.contrast) {
      sheet.setLineWidth(kGuideEdgeWidth);
      sheet.drawLine(s.guideFromX, s.guideFromY, s.guideToX, s.guideToY, 0, 0, 0, kGuideEdgeBlend, 0);
    }
    sheet.setLineWidth(kGuideWidth);
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
    const Rect &ball = look.contrast ? kContrastFlyingBall : kFlyingBall;
    // The shadow: the flying ball in black, faint, drifting away as it rises.
    sheet.setBlitColor(0, 0, 0, 1);
    blitFx(sheet, ball, s.shadowX, s.shadowY, kBallAngle, s.ballZoom, kShadowBlend);
    sheet.setBlitColor(1, 1, 1, 1);
    blitFx(sheet, ball, s.ballX, s.ballY, kBallAngle, s.ballZoom, 1);
  } else {
    blitFx(sheet, look.contrast ? kContrastRestingBall : kRestingBall, s.ballX, s.ballY, kBallAngle, 1, 1);
  }
  if (s.dragMe) blit(sheet, kDragMe, s.dragMeX, s.dragMeY);
  if (s.gameOver) {
    sheet.setTextureQuality(true);
    if (look.calm) {
      // Still, where it comes to rest, fading in as it would have slid.
      const int topY = static_cast<int>(kGameOverTopSlide + kGameOverTopFrom);
      const int bottomY = static_cast<int>(kScreenHeight - kGameOverBottomSlide);
      blitFx(sheet, kGameOverTop, kGameOverX, topY, 0, 1, s.gameOverProgress);
      blitFx(sheet, kGameOverBottom, kGameOverX, bottomY, 0, 1, s.gameOverProgress);
    } else {
      blitFx(sheet, kGameOverTop, kGameOverX, s.gameOverTopY, s.gameOverAngle[0], s.gameOverZoom[0], 1);
      blitFx(sheet, kGameOverBottom, kGameOverX, s.gameOverBottomY, s.gameOverAngle[1], s.gameOverZoom[1], 1);
    }
    sheet.setTextureQuality(false);
  }
  if (s.veiled) {
    sheet.drawRect(0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, kPauseVeil);
    blit(sheet, kPausePanel, kPausePanelAt.x, kPausePanelAt.y);
  }
}
