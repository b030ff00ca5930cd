#include "Placement.h"

#include <algorithm>
#include <cmath>

namespace platform {

Placement placeGameIn(int width, int height, int gameWidth, int gameHeight, bool wholeOnly) {
  Placement p;
  p.width = p.pointsWidth = width;
  p.height = p.pointsHeight = height;
  p.gameWidth = gameWidth;
  p.gameHeight = gameHeight;
  if (gameWidth <= 0 || gameHeight <= 0) return p;
  // The game is drawn at the top of the buffer, at its own size.
  p.drawBottom = height - gameHeight;
  const int whole = std::max(1, std::min(width / gameWidth, height / gameHeight));
  if (wholeOnly || width < gameWidth || height < gameHeight) {
    p.scale = whole;
    p.shownWidth = gameWidth * whole;
    p.shownHeight = gameHeight * whole;
  } else {
    // The side that limits the factor is filled; the other is rounded to
    // the nearest pixel, which never exceeds the drawable.
    const long long across = static_cast<long long>(width) * gameHeight;
    const long long down = static_cast<long long>(height) * gameWidth;
    if (across <= down) {
      p.shownWidth = width;
      p.shownHeight = static_cast<int>((2 * across + gameWidth) / (2LL * gameWidth));
    } else {
      p.shownHeight = height;
      p.shownWidth = static_cast<int>((2 * down + gameHeight) / (2LL * gameHeight));
    }
    // A size that is a whole multiple is shown as one, pixel for pixel.
    const bool isWhole = p.shownWidth % gameWidth == 0 && p.shownWidth / gameWidth * gameHeight == p.shownHeight;
    p.scale = isWhole ? p.shownWidth / gameWidth : 0;
  }
  p.x = (width - p.shownWidth) / 2;
  p.y = (height - p.shownHeight) / 2;
  return p;
}

void gamePixelAt(const Placement &p, double x, double y, int &gameX, int &gameY) {
  // Nothing placed (no window): a point is a game pixel.
  gameX = static_cast<int>(std::floor(x));
  gameY = static_cast<int>(std::floor(y));
  if (p.shownWidth <= 0 || p.shownHeight <= 0) return;
  const double px = p.pointsWidth > 0 ? x * p.width / p.pointsWidth : x;
  const double py = p.pointsHeight > 0 ? y * p.height / p.pointsHeight : y;
  gameX = static_cast<int>(std::floor((px - p.x) * p.gameWidth / p.shownWidth));
  gameY = static_cast<int>(std::floor((py - p.y) * p.gameHeight / p.shownHeight));
}

void windowPointOf(const Placement &p, int gameX, int gameY, int &x, int &y) {
  x = gameX;
  y = gameY;
  if (p.shownWidth <= 0 || p.shownHeight <= 0 || p.width <= 0 || p.height <= 0) return;
  const double px = p.x + (gameX + 0.5) * p.shownWidth / p.gameWidth;
  const double py = p.y + (gameY + 0.5) * p.shownHeight / p.gameHeight;
  x = static_cast<int>(std::floor(px * p.pointsWidth / p.width));
  y = static_cast<int>(std::floor(py * p.pointsHeight / p.height));
}

} // namespace platform
