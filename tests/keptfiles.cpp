// The game's own saving and records code, driven from the test scripts:
//   keptfiles save PATH COUNT      replaces PATH with forty bytes COUNT times
//                                   (as the table is saved); prints the
//                                   failures, status 1 if any
//   keptfiles read PATH STOPFILE   reads PATH until STOPFILE exists; prints
//                                   the reads and those that found the file
//                                   missing, short or empty, status 1 if any
//   keptfiles nearly-over PATH SEED FRAMES
//                                   writes a game left FRAMES frames before
//                                   its GAME OVER (a game of aimed throws,
//                                   which scores), to continue: prints the
//                                   score it was left with
//   keptfiles table PATH           prints the table kept at PATH, one a line

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "livegame.h"
#include "recording.h"
#include "storage.h"

namespace {
const size_t kTableBytes = 40;

int save(const std::string &path, long count) {
  long failed = 0;
  std::string error;
  for (long i = 0; i < count; i++) {
    std::string bytes(kTableBytes, '\0');
    for (size_t b = 0; b < 4; b++) bytes[b] = static_cast<char>(i >> (8 * b));
    bytes[4] = static_cast<char>(getpid());
    if (!replaceFile(path, bytes, error)) {
      if (failed++ == 0) std::fprintf(stderr, "keptfiles: %s: %s\n", path.c_str(), error.c_str());
    }
  }
  std::printf("saved %ld, failed %ld\n", count - failed, failed);
  return failed ? 1 : 0;
}

int read(const std::string &path, const std::string &stop) {
  long reads = 0, missing = 0, shortOnes = 0;
  std::string bytes, error;
  struct stat st;
  while (stat(stop.c_str(), &st) != 0) {
    reads++;
    if (!readFile(path, 4096, bytes, error)) missing++;
    else if (bytes.size() != kTableBytes) shortOnes++;
  }
  std::printf("reads %ld, missing %ld, short or empty %ld\n", reads, missing, shortOnes);
  return missing || shortOnes ? 1 : 0;
}

// A frame of aimed throws, as a player who keeps throwing at the wall.
PlayInput aimed(long frame, bool launched) {
  static int phase = 0;
  PlayInput in;
  in.mouseX = 150;
  in.mouseY = 325;
  if (launched) return in;
  if (phase == 0) in.held = kHeldMouse;
  else if (phase < 4) {
    in.mouseX = static_cast<int16_t>(140 + (frame * 7) % 60);
    in.mouseY = static_cast<int16_t>(330 + (frame * 13) % 90);
    in.held = kHeldMouse;
  }
  phase = (phase + 1) % 6;
  return in;
}

// Plays a game from `seed`, aimed throws for its first `throwing` frames
// (all: -1), none after: to its end when `frames` is 0, else that many
// frames, in `live`. The frames it ran.
long play(LiveGame &live, unsigned seed, long throwing, long frames) {
  std::srand(seed);
  live = LiveGame();
  live.newGame(PlayInput());
  long f = 0;
  for (; (frames == 0 || f < frames) && !live.game().gameover; f++)
    live.playFrame(throwing < 0 || f < throwing ? aimed(f, live.game().launched) : PlayInput());
  return f;
}

// The game is left `before` frames before its end, its throws stopped
// before that: continued with no throw, it ends within seconds. The score
// printed is the score it was left with.
int nearlyOver(const std::string &path, unsigned seed, long before) {
  LiveGame live;
  const long all = play(live, seed, -1, 0);
  if (all <= 2 * before) return 1;
  const long throwing = all - 2 * before;
  const long idleEnd = play(live, seed, throwing, 0);
  play(live, seed, throwing, idleEnd - before);
  std::string error;
  if (!saveRecording(path, live.recording(), error)) {
    std::fprintf(stderr, "keptfiles: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::printf("%d\n", static_cast<int>(live.game().gScore));
  return 0;
}

int table(const std::string &path) {
  std::string bytes, error;
  if (!readFileStart(path, kTableBytes, bytes, error)) {
    std::fprintf(stderr, "keptfiles: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
    std::printf("%d\n", static_cast<int>(readLE32(reinterpret_cast<const unsigned char *>(bytes.data()) + i)));
  return 0;
}
} // namespace

int main(int argc, char **argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "save" && argc == 4) return save(argv[2], std::atol(argv[3]));
  if (what == "read" && argc == 4) return read(argv[2], argv[3]);
  if (what == "nearly-over" && argc == 5)
    return nearlyOver(argv[2], static_cast<unsigned>(std::atoi(argv[3])), std::atol(argv[4]));
  if (what == "table" && argc == 3) return table(argv[2]);
  std::fprintf(stderr, "usage: keptfiles save PATH COUNT | read PATH STOPFILE | nearly-over PATH SEED FRAMES | table PATH\n");
  return 2;
}
