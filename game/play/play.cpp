#include "play.h"

#include <cstring>
#include <sstream>

PlayEvents stepPlay(Play &p, const PlayInput &input, RandomSource &random) {
  PlayEvents events;
  const Presses keys{input, p.before};
  p.shown.veiled = p.paused;
  if (p.paused) {
    // Nothing of the play runs: nothing moves and no number is drawn.
    if (keys.leave()) {
      p.paused = false;
      events.resumed = events.leave = true;
    } else if (keys.pause() || keys.click()) {
      p.paused = false;
      events.resumed = true;
    }
  } else {
    PlayRules(p, input, random, events).doInGame();
    if (!events.leave && !events.restart && keys.pause()) {
      p.paused = true;
      events.paused = true;
    }
  }
  p.before = input;
  return events;
}

void pausePlay(Play &play) { play.paused = true; }

void continuedAt(Play &play, const PlayInput &input) {
  pausePlay(play);
  play.before = input;
}

namespace {
// Every field of the game's state, in one order, to whatever reads it: the
// digest and the description go through the same list.
template <class Visit> void visitState(const Play &p, Visit &&visit) {
  // Whole numbers and flags go to visit.whole, reals to visit.real, and
  // what the digest leaves out to visit.more.
  for (const auto &row : p.brickWall)
    for (const sBrick &b : row) {
      visit.whole("color", b.color);
      visit.whole("fall", b.fall);
      visit.whole("bonus", b.bonus);
      visit.whole("bonusTime", b.bonusTime);
    }
  for (const sBrick &b : p.brickLine) {
    visit.whole("line", b.color);
    visit.whole("lineFall", b.fall);
  }
  // A cloud that is not shown keeps old numbers that mean nothing.
  for (const sCloud &c : p.cloudTable) {
    visit.whole("cloud", c.active);
    if (!c.active) continue;
    visit.whole("x", c.x);
    visit.whole("y", c.y);
    visit.whole("delay", c.delay);
    visit.whole("frame", c.frame);
  }
  visit.whole("gScore", p.gScore);
  visit.whole("gScoreAnim", p.gScoreAnim);
  visit.whole("delayTimer", p.delayTimer);
  visit.whole("defaultDelayTimer", p.defaultDelayTimer);
  visit.whole("pauseLine", p.pauseLine);
  visit.whole("gHelpTarget", p.gHelpTarget);
  visit.whole("launched", p.launched);
  visit.whole("grabbedBall", p.grabbedBall);
  visit.whole("gameover", p.gameover);
  visit.real("ballx", p.ballx);
  visit.real("bally", p.bally);
  visit.real("ballZoom", p.ballZoom);
  visit.real("ballZoomSpeed", p.ballZoomSpeed);
  visit.real("forceX", p.forceX);
  visit.real("forceY", p.forceY);
  visit.real("gameOverProgress", p.gameOverProgress);
  // What the digest never covered (a replay file holds it): the rest of
  // what moves with the play. Not the pull or the pause: how the player
  // plays, not what the game is.
  visit.more("tutorial", p.tutorial);
  visit.more("scoretimer", p.scoretimer);
  for (float phase : {p.gozoom1, p.gorot1, p.gozoom2, p.gorot2}) visit.more("wobble", phase);
  visit.more("oldballX", p.oldballX);
  visit.more("oldballY", p.oldballY);
}


// FNV-1a over the fields, each as the number it holds (a real as its bits).
struct Digest {
  uint32_t h = 2166136261u;
  void whole(const char *, int64_t v) {
    for (int i = 0; i < 8; i++, v >>= 8) h = (h ^ static_cast<uint8_t>(v)) * 16777619u;
  }
  void real(const char *name, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    whole(name, bits);
  }
  void more(const char *, double) {}
};

struct Describe {
  std::ostringstream out;
  void whole(const char *name, int64_t v) { out << name << '=' << v << ' '; }
  void real(const char *name, float f) { out << name << '=' << f << ' '; }
  void more(const char *name, double v) { out << name << '=' << v << ' '; }
};
} // namespace

uint32_t playDigest(const Play &p) {
  Digest digest;
  visitState(p, digest);
  return digest.h;
}

std::string describePlay(const Play &p) {
  Describe describe;
  visitState(p, describe);
  return describe.out.str();
}
