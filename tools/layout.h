#pragma once

// Where every picture of the sprite sheet lies: the one place to move one.
// Rectangles are (x1, y1)-(x2, y2), the second corner exclusive.

struct Rect {
  int x1, y1, x2, y2;
  int w() const { return x2 - x1; }
  int h() const { return y2 - y1; }
};

namespace layout {
const int kSheetWidth = 1024, kSheetHeight = 1024;

const Rect kTitle{0, 0, 320, 480};
const Rect kMenuBackground{320, 0, 640, 480};
const Rect kPlayBackground{640, 0, 960, 480};
const Rect kButtons[5] = {{780, 524, 1023, 570}, {780, 575, 1023, 630}, {780, 633, 1023, 686},
                          {780, 706, 1023, 756}, {780, 762, 1023, 815}};
const char *const kButtonLabels[5] = {"PLAY", "HIGH SCORES", "HELP", "QUIT", "BACK"};
const Rect kNotice{22, 795, 227, 815};
const Rect kHelpPanel{474, 677, 786, 1012};
const int kCreditX1 = 789, kCreditX2 = 1020;
const int kCreditRows[7][2] = {{877, 893}, {893, 912}, {912, 929}, {929, 948}, {948, 966}, {966, 984}, {984, 1001}};
const Rect kLeaderDot{7, 868, 13, 875};
const Rect kTopFrame{0, 715, 320, 767};
inline Rect brick(int k) { return {31 * k, 621, 31 * k + 31, 652}; }
inline Rect bonusIcon(int b) { return {31 * b - 30, 667, 31 * b, 699}; }
const Rect kRestingBall{443, 522, 475, 556};
const Rect kFlyingBall{10, 496, 92, 577};
const Rect kLink{7, 596, 18, 607};
const Rect kDragMe{19, 963, 125, 1002};
const Rect kScoreLabel{23, 859, 70, 877};
const int kDigitX[10][2] = {{72, 82},   {86, 94},   {98, 107},  {110, 119}, {122, 132},
                            {135, 145}, {147, 157}, {161, 169}, {172, 182}, {185, 194}};
const int kDigitY1 = 859, kDigitY2 = 877;
inline Rect cloud(int f) { return {32 * f + 49, 900, 32 * f + 80, 934}; }
const Rect kGameOverTop{233, 822, 474, 916};
const Rect kGameOverBottom{233, 916, 474, 1011};

// Places on the play background.
const Rect kWallWell{21, 45, 300, 293};
const int kAnchorX = 155, kAnchorY = 310;
const Rect kMenuZone{226, 449, 320, 480};
} // namespace layout
