#pragma once

// What the two SDL_Renderer programs of bench/frame.sh draw: the game's menu
// frame (background, four wobbling buttons, the notice line) and its play
// frame (background, the feeder line, the wall's bottom rows, the sling and
// the resting ball, the score), from the game's own sprite sheet, and the
// cursor; both programs pace them as the game does.

#include <cmath>
#include <vector>

#include "layout.h"

namespace reference {
using namespace layout;

constexpr int kWidth = 320, kHeight = 480;
/// The game's frame cap: 80 frames a second in whole milliseconds, 12.
constexpr unsigned kFrameMs = 1000 / 80;

/// A rectangle of the sheet at (x, y) (its top-left corner unzoomed),
/// zoomed about its middle.
struct Sprite {
  Rect from;
  int x, y;
  float zoom;
};

/// Where a sprite lands: its top-left corner and size in pixels.
struct Placed {
  int x, y, w, h;
};
inline Placed place(const Sprite &s) {
  const int w = static_cast<int>(s.from.w() * s.zoom), h = static_cast<int>(s.from.h() * s.zoom);
  return {s.x + (s.from.w() - w) / 2, s.y + (s.from.h() - h) / 2, w, h};
}

/// Frame `frame` of the menu; the first sprite is the opaque background.
inline std::vector<Sprite> menuSprites(int frame) {
  std::vector<Sprite> s{{kMenuBackground, 0, 0, 1}};
  for (int b = 0; b < 4; b++)
    s.push_back({kButtons[b], kButtonX, kButtonY[b], 1 + static_cast<float>(std::cos(frame * 0.05 + b)) / 30});
  s.push_back({kNotice, kNoticeX, kHeight - 24, 1});
  return s;
}

/// The play frame; the first sprite is the opaque background.
inline std::vector<Sprite> playSprites() {
  std::vector<Sprite> s{{kPlayBackground, 0, 0, 1}};
  for (int col = 0; col < 9; col++) s.push_back({brick(col % 5), kWallAt.x + col * kBrickSize, kFeederY, 1});
  for (int row = 6; row < 8; row++)
    for (int col = 0; col < 9; col++)
      s.push_back({brick((col + row) % 5), kWallAt.x + col * kBrickSize, kWallAt.y + row * kBrickSize, 1});
  for (int link = 0; link < 4; link++) s.push_back({kLink, kAnchorX - 20 + link * 12, kAnchorY + 10, 1});
  s.push_back({kRestingBall, kBallRest.x, kBallRest.y, 1});
  s.push_back({kScoreLabel, kScoreLabelAt.x, kScoreLabelAt.y, 1});
  s.push_back({digit(0), kScoreAt.x, kScoreAt.y, 1});
  return s;
}

} // namespace reference
