// What a game sent costs: the size of a daily game's file and of its link,
// and how long the receiver takes to replay it out of sight before it shows
// it, for games of 2 and of 15 minutes played by a scripted player who
// drags the ball as a hand does (a curved, shaky path, a throw every two
// seconds or so) at the largest group of one colour on the wall.
//   bench_sent [rounds]
// No game lasts 15 minutes of play: the feeder quickens with every line it
// drops, and the scripted player's games end after some 2 minutes 15. A
// game of 15 minutes is then one paused once for the rest (a minute into
// it); and what 15 minutes of throwing would take (the most input 15
// minutes can hold) is the 2 minutes' figure per minute of play.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "calendar.h"
#include "layout.h"
#include "livegame.h"
#include "playrules.h"
#include "replayer.h"
#include "sentgame.h"

namespace {
using layout::kBallRest;
const int kFramesAMinute = 80 * 60;
const Day kDay = 20261209;

struct Pull {
  int dx, dy;
};

// Where a pull of the resting ball lands: the guide's own sums.
bool landing(int dx, int dy, int &col, int &row) {
  Play p;
  p.ballx = static_cast<float>(kBallRest.x + dx);
  p.bally = static_cast<float>(kBallRest.y + dy);
  p.gHelpTarget = 1;
  PlayInput none;
  PlayEvents events;
  struct NoNumbers : RandomSource {
    int draw() override { return 0; }
  } numbers;
  PlayRules(p, none, numbers, events).calculateTaret();
  col = p.highlitedBrickX;
  row = p.highlitedBrickY;
  return col >= 0 && row >= 0;
}

// The pull that lands nearest each cell's middle.
struct Aims {
  Pull pull[kWallRows][kWallColumns];
  bool found[kWallRows][kWallColumns] = {};
  Aims() {
    for (int dy = -60; dy <= 170; dy++)
      for (int dx = -130; dx <= 130; dx++) {
        int col, row;
        if (!landing(dx, dy, col, row) || found[row][col]) continue;
        found[row][col] = true;
        pull[row][col] = {dx, dy};
      }
  }
};

int groupAt(const Play &p, int col, int row, std::vector<bool> &seen) {
  const int c = p.brickWall[row][col].color;
  std::vector<std::pair<int, int>> todo{{col, row}};
  int size = 0;
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    if (x < 0 || y < 0 || x >= kWallColumns || y >= kWallRows || seen[y * kWallColumns + x] ||
        p.brickWall[y][x].color != c)
      continue;
    seen[y * kWallColumns + x] = true;
    size++;
    todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
  }
  return size;
}

// The cell of the largest group of one colour (a bonus counts double).
bool bestTarget(const Play &p, const Aims &aims, int &col, int &row) {
  std::vector<bool> seen(kWallColumns * kWallRows, false);
  int best = 0;
  for (int y = 0; y < kWallRows; y++)
    for (int x = 0; x < kWallColumns; x++) {
      if (p.brickWall[y][x].color < 0 || !aims.found[y][x]) continue;
      std::vector<bool> mine(kWallColumns * kWallRows, false);
      const int size = groupAt(p, x, y, mine) * (p.brickWall[y][x].bonus ? 2 : 1);
      if (size > best) best = size, col = x, row = y;
    }
  return best > 0;
}

// A game of at most `minutes` by the scripted player (GAME OVER may end it
// before), paused `pausedMinutes` after a minute of play.
Recording play(int minutes, double pausedMinutes, unsigned seed) {
  static const Aims aims;
  std::mt19937 chance(seed);
  auto between = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(chance); };
  LiveGame live;
  PlayInput in;
  in.mouseX = 200;
  in.mouseY = 400;
  live.newDailyGame(in, kDay);
  const int frames = minutes * kFramesAMinute;
  int f = 0;
  bool paused = false;
  auto frame = [&](int x, int y, bool held) {
    in.mouseX = static_cast<int16_t>(x);
    in.mouseY = static_cast<int16_t>(y);
    in.held = held ? kHeldMouse : 0u;
    live.playFrame(in);
    f++;
  };
  auto pause = [&](int count) {
    in.held = kHeldP;
    live.playFrame(in);
    in.held = 0;
    for (int i = 2; i < count; i++) live.playFrame(in);
    in.held = kHeldP;
    live.playFrame(in);
    in.held = 0;
    f += count;
  };
  while (f < frames && !live.game().gameover) {
    const Play &p = live.game();
    int col = 0, row = 0;
    // Between throws the hand wanders back towards the ball.
    const int idle = between(40, 100);
    for (int i = 0; i < idle && f < frames; i++) frame(in.mouseX + between(-3, 3), in.mouseY + between(-3, 3), false);
    if (pausedMinutes > 0 && !paused && f >= kFramesAMinute && !p.launched) {
      pause(std::min(static_cast<int>(pausedMinutes * kFramesAMinute), frames - f));
      paused = true;
      continue;
    }
    if (p.launched || p.gameover || !bestTarget(p, aims, col, row)) continue;
    const Pull pull = aims.pull[row][col];
    const int x0 = kBallRest.x + 18 + between(-6, 6), y0 = kBallRest.y + 19 + between(-6, 6);
    const int steps = between(20, 40);
    for (int i = 0; i <= steps && f < frames; i++) {
      const double t = double(i) / steps, s = t * t * (3 - 2 * t);
      const int shake = i == 0 || i == steps ? 0 : 1;
      frame(x0 + static_cast<int>(std::lround(pull.dx * s)) + between(-shake, shake),
            y0 + static_cast<int>(std::lround(pull.dy * s)) + between(-shake, shake), true);
    }
    if (f < frames) frame(in.mouseX, in.mouseY, false);
  }
  return live.recording();
}

double medianMs(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Prints the figures of `game`; gives the sent file's size.
size_t measure(const char *name, const Recording &game, int rounds) {
  const std::string exact = encodeRecording(game), sent = sentFileBytes(game);
  const std::string link = sentLink("https://zunk.example/", sent);
  std::vector<double> times;
  Verdict verdict = Verdict::kDamaged;
  for (int r = 0; r < rounds; r++) {
    const auto start = std::chrono::steady_clock::now();
    verdict = receiveGame(sent).verdict;
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("%-28s %6zu frames, score %3d: file %5zu bytes (frame for frame %5zu), link %5zu bytes; "
              "%s in %5.1f ms (median of %d)\n",
              name, game.frames.size(), game.score, sent.size(), exact.size(), link.size(),
              verdict == Verdict::kVerified ? "verified" : "REFUSED", medianMs(times), rounds);
  return sent.size();
}
} // namespace

int main(int argc, char **argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  std::printf("A daily game sent (the wall of %s), as the scripted player plays it:\n", dayText(kDay).c_str());
  const size_t twoMinutes = measure("2 minutes of play", play(2, 0, 1), rounds);
  measure("to GAME OVER", play(15, 0, 2), rounds);
  measure("15 minutes, 12.7 paused", play(15, 12.7, 3), rounds);
  // The file's header (100 bytes) once, the rest as many times as minutes.
  const size_t kHeader = 100, fifteen = kHeader + (twoMinutes - kHeader) * 15 / 2;
  std::printf("%-28s %6d frames, as 2 minutes' play: file ~%5zu bytes, link ~%5zu bytes\n", "15 minutes of throwing",
              15 * kFramesAMinute, fifteen, sentLink("https://zunk.example/", std::string(fifteen, 'x')).size());
  return 0;
}
