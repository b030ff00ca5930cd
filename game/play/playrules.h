#pragma once

// The rules of one frame of play, one at a time, over one game. stepPlay
// runs them in the frame's order (doInGame); a test may run one alone. Each
// that shows something sets it in the game's scene (Play::shown) as it
// stands at that moment of the frame.

#include "playinput.h"
#include "playstate.h"

/// Puts a fresh game in place: everything but what a new game keeps from the
/// one before. Draws nine random numbers, the wall's bottom row.
void resetInGame(Play &play, RandomSource &random);

class PlayRules {
public:
  PlayRules(Play &play, const PlayInput &input, RandomSource &random, PlayEvents &events)
      : p(play), input(input), keys{input, play.before}, random(random), events(events) {}

  /// One frame of the game, the rules in their order.
  void doInGame();
  /// 6 colours once the score passes 129, else 5.
  void setDifficultyLevel();

  // ---- the wall and the feeder line
  /// Whether the feeder line has room: its last cell is empty.
  bool spaceInLine() const;
  /// Whether a brick of rows 0 to 6 falls, or has nothing below it.
  bool isStillFalling() const;
  /// The feeder's pace: a brick joins the line when the delay runs out
  /// (none while the clock holds it, which ticks every 25 frames).
  void doLine();
  /// A full line drops into the top row, or, with the top row taken, the
  /// game is over; a drop may place a bonus and quickens the pace.
  void dropLine();
  /// One step of falling, then the wall as shown (a bonus that runs out
  /// goes as it is shown) and the brick the guide lit the frame before.
  void fallWorld();

  // ---- destruction and bonuses
  /// A hit on a cell: the brick and its connected bricks of its colour go,
  /// a point each, its bonus acts; a hard brick cracks, and goes on its
  /// third hit with the hard bricks next to it.
  void destroyBrickAt(long col, long row);
  /// The spreading step of a hit.
  void destroyColoredBrickAt(long col, long row, long color);
  /// Empties row `row`: nine points, even after GAME OVER.
  void fastDestroyBrick(long col, long row);
  /// From three points on, a bonus on a random brick (with a cloud); 0
  /// below three points, else 1.
  long getBonus();
  /// What bonus `kind` does, released from the brick at (col, row).
  void applyBonus(long col, long row, long kind);

  // ---- clouds, score, game over
  /// A cloud at (x, y), if one of the ten is free.
  void addCloud(long x, long y);
  /// Every cloud shown, then moved on by a frame.
  void doClouds();
  /// The displayed score counts up towards the score; at GAME OVER it is
  /// the score, offered once to the high-score table.
  void displayScore();
  /// GAME OVER's halves slide in over 20 frames, and wobble.
  void drawGameOver();

  // ---- the ball
  /// The throw's force from the ball's place (the band's free end kept
  /// there too, unless `keepOld`).
  void getForce(bool keepOld);
  /// The aiming guide: where the ball would land now, and the brick there.
  void calculateTaret();
  /// The ball's flight and landing, or the ball held, grabbed and thrown.
  void drawBall();
  /// The held ball follows the sling's point, no higher than y 120.
  void adjustBallPosition();
  /// The landing: the cell under the ball is hit, the ball back at rest.
  void destroyBall();

private:
  void sound(PlaySound s);
  void showLine();
  void destroyNeighbours(long col, long row, long color);
  void band(bool aiming);
  int pointerX() const;
  int pointerY() const;
  bool pointerDown() const;
  void updatePull(bool ballFree);

  Play &p;
  const PlayInput &input;
  Presses keys;
  RandomSource &random;
  PlayEvents &events;
};
