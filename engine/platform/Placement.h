#pragma once

// Where the game area lies in the window, and which game pixel a point of
// the window shows: plain arithmetic, shared by the window (its size and
// presentation), the pointer (mouse and touch) and the tests.

namespace platform {

/// Where the game area lies in the window now.
struct Placement {
  int width = 0, height = 0;             ///< the window's drawable, in pixels
  int pointsWidth = 0, pointsHeight = 0; ///< the window in the desktop's units, which pointer positions use
  int gameWidth = 0, gameHeight = 0;     ///< the game area in game pixels
  int x = 0, y = 0;                      ///< the shown game area's top-left corner, in pixels, y downward
  int shownWidth = 0, shownHeight = 0;   ///< the shown game area's size in pixels
  int scale = 1;        ///< each game pixel shows as scale by scale pixels; 0 at a factor that is not whole
  int drawBottom = 0;   ///< where the game is drawn: its lowest row in the buffer, counted upwards
};

/// Places a game area of `gameWidth` by `gameHeight` pixels, centred, in a
/// drawable of `width` by `height` pixels (as large in points): as large as
/// its shape allows at any factor, its size rounded to whole pixels; with
/// `wholeOnly`, at the largest whole factor that fits. Never below the
/// game's own size.
Placement placeGameIn(int width, int height, int gameWidth, int gameHeight, bool wholeOnly);
/// The game pixel shown at (x, y) in the window's points (a mouse at point
/// p is at p + 0.5, the point's middle); left of or above the game area
/// gives negative numbers, beyond it numbers past its size. With nothing
/// placed (no window), the point's own pixel.
void gamePixelAt(const Placement &placement, double x, double y, int &gameX, int &gameY);
/// The window point that shows the middle of game pixel (gameX, gameY).
void windowPointOf(const Placement &placement, int gameX, int gameY, int &x, int &y);

} // namespace platform
