#include "flashreel.h"

#include <GL/gl.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "KInput.h"
#include "KMiscTools.h"
#include "assets.h"
#include "layout.h"
#include "livegame.h"
#include "menu.h"
#include "platform/Platform.h"
#include "platform/SoundChannel.h"
#include "playview.h"
#include "replayer.h"
#include "zunk.h"

using namespace layout;

namespace flashes {

std::vector<std::string> effectNames() {
  return {"title fading in", "title doors",          "menu buttons",    "help",
          "high scores",     "CONTINUE or NEW GAME", "screen changes",  "bonus clouds",
          "row clear",       "highlighted brick",    "GAME OVER",       "pause veil",
          "ball and band",   "aiming guide",         "bricks breaking", "bricks falling",
          "feeder line",     "bonus icons",          "score counting",  "drag-me hint"};
}

namespace {
const uint64_t kFrameMicroseconds = 12500; // 80 frames a second
// GAME OVER's halves rock by up to 4 degrees and pulse by 2%: their corners
// move this far beyond their rectangles.
const int kRockingMargin = 14;
// A brick that lands moves a few pixels past where it was drawn before.
const int kLandingMargin = 8;
// The frames a recorded game shows GAME OVER for, once it has slid in.
const int kGameOverWatched = 160;

// What the window showed at the last swap, top row first, R, G, B, A.
std::vector<unsigned char> shown;
int shownWidth = 0, shownHeight = 0;
uint64_t clock = 0;
platform::ScriptedInput input;

void keepShown(int width, int height) {
  shown.resize(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, shown.data());
  // OpenGL gives the bottom row first.
  const size_t row = static_cast<size_t>(width) * 4;
  std::vector<unsigned char> line(row);
  for (int y = 0; y < height / 2; y++) {
    unsigned char *a = &shown[y * row], *b = &shown[(height - 1 - y) * row];
    std::memcpy(line.data(), a, row);
    std::memcpy(a, b, row);
    std::memcpy(b, line.data(), row);
  }
  shownWidth = width;
  shownHeight = height;
}

Area whole(int effect) { return {effect, 0, 0, kScreenWidth, kScreenHeight}; }

Area cellArea(int effect, int col, int row, int fall, int below = 0) {
  const int x = kWallAt.x + kBrickSize * col, y = kWallAt.y + kBrickSize * row + fall;
  return {effect, x, y, x + kBrickSize, y + kBrickSize + below};
}

// A picture of `w` by `h` drawn at (x, y), zoomed about its middle.
Area zoomed(int effect, float x, float y, int w, int h, float zoom, int margin) {
  const float cx = x + w / 2.f, cy = y + h / 2.f, hw = w * zoom / 2 + margin, hh = h * zoom / 2 + margin;
  return {effect, static_cast<int>(std::floor(cx - hw)), static_cast<int>(std::floor(cy - hh)),
          static_cast<int>(std::ceil(cx + hw)), static_cast<int>(std::ceil(cy + hh))};
}

// Whether the brick at (col, row) of `p` carried `kind` and a frame later
// its bonus is gone, released by a hit (not run out).
bool bonusGone(const Play &before, const Play &after, int col, int row, int kind) {
  const sBrick &b = before.brickWall[row][col];
  return b.color >= 0 && b.bonus == kind && b.bonusTime > 1 && after.brickWall[row][col].bonus != kind;
}

// Follows a game frame by frame and says where its effects drew.
class PlayWatcher {
public:
  // The frame played from `before` to `after` (after.shown is drawn).
  // `events` are the frame's, when known.
  std::vector<Area> areas(const Play &before, const Play &after, const PlayEvents *events, PlayFacts &facts) {
    std::vector<Area> out;
    const PlayScene &was = before.shown, &s = after.shown;
    facts.frames++;
    if (s.veiled) {
      facts.pausedFrames++;
      out.push_back(whole(kPauseVeil));
    }
    // A row cleared shows in the frame after the landing that cleared it.
    for (int row : clearedRows_)
      out.push_back(
          {kRowEmptied, kWallWell.x1, kWallAt.y + kBrickSize * row, kWallWell.x2, kWallAt.y + kBrickSize * (row + 1)});
    clearedRows_.clear();
    released(before, after, events, facts);
    for (int i = 0; i < ::kClouds; i++) {
      if (!s.cloud[i]) continue;
      const Rect c = cloud(s.clouds[i].frame);
      out.push_back({kCloudPuffs, s.clouds[i].x, s.clouds[i].y, s.clouds[i].x + c.w(), s.clouds[i].y + c.h()});
      if (!was.cloud[i] || was.clouds[i].frame > s.clouds[i].frame) facts.clouds++;
    }
    if (s.lit) {
      facts.litFrames++;
      out.push_back(cellArea(kLitBrick, s.litColumn, s.litRow, s.wall[s.litRow][s.litColumn].fall));
    }
    if (s.gameOver) {
      facts.gameOverFrames++;
      out.push_back(zoomed(kGameOver, kGameOverX, s.gameOverTopY, kGameOverTop.w(), kGameOverTop.h(), s.gameOverZoom[0],
                           kRockingMargin));
      out.push_back(zoomed(kGameOver, kGameOverX, s.gameOverBottomY, kGameOverBottom.w(), kGameOverBottom.h(),
                           s.gameOverZoom[1], kRockingMargin));
    }
    if (s.flying) {
      out.push_back(zoomed(kBall, s.ballX, s.ballY, kFlyingBall.w(), kFlyingBall.h(), s.ballZoom, 2));
      out.push_back(zoomed(kBall, s.shadowX, s.shadowY, kFlyingBall.w(), kFlyingBall.h(), s.ballZoom, 2));
    } else {
      out.push_back({kBall, s.ballX - 2, s.ballY - 2, s.ballX + kRestingBall.w() + 2, s.ballY + kRestingBall.h() + 2});
    }
    const float endX = kAnchorX + s.bandStepX * (kBandLinks - 1), endY = kAnchorY + s.bandStepY * (kBandLinks - 1);
    out.push_back({kBall, static_cast<int>(std::min<float>(kAnchorX, endX)) - 1,
                   static_cast<int>(std::min<float>(kAnchorY, endY)) - 1,
                   static_cast<int>(std::max<float>(kAnchorX, endX)) + kLink.w() + 1,
                   static_cast<int>(std::max<float>(kAnchorY, endY)) + kLink.h() + 1});
    if (s.guide) {
      const int half = 10; // the line is 18 pixels wide
      out.push_back({kGuide, static_cast<int>(std::min(s.guideFromX, s.guideToX)) - half,
                     static_cast<int>(std::min(s.guideFromY, s.guideToY)) - half,
                     static_cast<int>(std::max(s.guideFromX, s.guideToX)) + half,
                     static_cast<int>(std::max(s.guideFromY, s.guideToY)) + half});
    }
    for (int row = 0; row < kWallRows; row++)
      for (int col = 0; col < kWallColumns; col++) {
        const PlayScene::Cell &a = was.wall[row][col], &b = s.wall[row][col];
        // A brick at rest that is gone or changed: broken, or cracked.
        if (a.color >= 0 && a.fall == 0 && b.color != a.color) out.push_back(cellArea(kBreaking, col, row, 0));
        // A brick falling or sliding in, or one that has just come (empty
        // cells keep a fall of their own, never drawn).
        if (b.color >= 0 && (b.fall != 0 || a.fall != 0 || a.color < 0))
          out.push_back(cellArea(kFalling, col, row, b.fall, kLandingMargin));
        if (a.icon != b.icon) out.push_back(cellArea(kBonusIcons, col, row, b.fall));
      }
    for (int i = 0; i < kWallColumns; i++)
      if (was.line[i] != s.line[i]) out.push_back(cellArea(kFeeder, i, 0, kFeederY - kWallAt.y));
    if (s.score != was.score) out.push_back({kScoreCount, kScoreAt.x, kScoreAt.y, kScoreAt.x + 80, kScoreAt.y + 20});
    if (s.dragMe) out.push_back({kDragHint, s.dragMeX, s.dragMeY, s.dragMeX + kDragMe.w(), s.dragMeY + kDragMe.h()});
    facts.score = after.gScore;
    return out;
  }

private:
  // The bonuses this frame released, told by what each does: the bomb and
  // the hammer by their sounds (without them, by a landing that took the
  // bonus away).
  void released(const Play &before, const Play &after, const PlayEvents *events, PlayFacts &facts) {
    if (events)
      for (PlaySound sound : events->sounds) {
        if (sound == PlaySound::kBomb) facts.bonuses[kBomb]++;
        if (sound == PlaySound::kHammer) facts.bonuses[kHammer]++;
      }
    const bool landed = before.launched && !after.launched;
    for (int row = 0; row < kWallRows; row++)
      for (int col = 0; col < kWallColumns; col++) {
        if (!events && landed)
          for (int kind : {kBomb, kHammer})
            if (bonusGone(before, after, col, row, kind)) facts.bonuses[kind]++;
        if (bonusGone(before, after, col, row, kClock) && after.pauseLine == 150) facts.bonuses[kClock]++;
        if (bonusGone(before, after, col, row, kTarget) && after.gHelpTarget == 3) facts.bonuses[kTarget]++;
        if (bonusGone(before, after, col, row, ::kRowClear)) {
          // The whole row is empty, but for a hard brick hit and cracked.
          bool empty = true;
          for (int c = 0; c < kWallColumns; c++)
            if (after.brickWall[row][c].color >= 0 && !(c == col && after.brickWall[row][c].color > kHardBrick))
              empty = false;
          if (empty) {
            facts.bonuses[::kRowClear]++;
            facts.rowClears++;
            clearedRows_.push_back(row);
          }
        }
      }
  }
  std::vector<int> clearedRows_;
};

// The screen a shell frame drew, as an effect.
int screenEffect(const Shell &shell, int32_t screen) {
  switch (screen) {
  case kTitleScreen: return kTitleFade;
  case kMenuScreen: return shell.menu.lockMenu ? kDoors : kMenu;
  case kHelpScreen: return kHelp;
  case kScoresScreen: return kScores;
  case kResumeScreen: return kResumeOffer;
  default: return kScreenChange;
  }
}

void setKey(EKeyboardLayout key, bool down) { input.keys[KInput::KeyboardLayout[key].code] = down; }

// Where the flight from a ball released at (x, y) lands, as the rules fly
// it; the cell it hits, or false.
bool landingCell(float x, float y, int &col, int &row, float &tx, float &ty) {
  const float fx = ((x + 13) - kAnchorX) / kBandLinks / 2.3f, fy = ((y + 17) - kAnchorY) / kBandLinks / 2.3f;
  float z = 0.3f, s = 0.18f;
  tx = x;
  ty = y;
  do {
    z += s;
    s -= 0.009f;
    tx -= fx;
    ty -= fy;
  } while (!(z < 0.3f));
  if (!(tx >= 5 && tx <= 475 && ty >= 40 && ty <= 289)) return false;
  col = static_cast<int>(tx + 16 - kWallAt.x) / kBrickSize;
  row = static_cast<int>(ty + 16 - kWallAt.y) / kBrickSize;
  return col >= 0 && col < kWallColumns && row >= 0 && row < kWallRows;
}

// Where to let the ball go for it to land in the middle of (col, row).
bool releaseFor(int col, int row, int &x, int &y) {
  // The flight carries the ball about k times its pull from the anchor.
  const float k = 41.f / kBandLinks / 2.3f;
  const float aimX = kWallAt.x + kBrickSize * col + 15.5f - 16, aimY = kWallAt.y + kBrickSize * row + 15.5f - 16;
  const int guessX = static_cast<int>(std::lround((aimX - k * (kAnchorX - 13)) / (1 - k)));
  const int guessY = static_cast<int>(std::lround((aimY - k * (kAnchorY - 17)) / (1 - k)));
  float best = 1e9f;
  for (int dy = -4; dy <= 4; dy++)
    for (int dx = -4; dx <= 4; dx++) {
      int c, r;
      float tx, ty;
      const int bx = guessX + dx, by = std::max(120, guessY + dy);
      if (!landingCell(static_cast<float>(bx), static_cast<float>(by), c, r, tx, ty) || c != col || r != row) continue;
      const float off = std::hypot(tx - aimX, ty - aimY);
      if (off < best) best = off, x = bx, y = by;
    }
  return best < 1e9f;
}

// The bricks joined to (col, row) by colour.
int groupSize(const Play &g, int col, int row, std::vector<char> &seen) {
  const int color = g.brickWall[row][col].color;
  int n = 0;
  std::vector<std::pair<int, int>> todo{{col, row}};
  while (!todo.empty()) {
    auto [c, r] = todo.back();
    todo.pop_back();
    if (c < 0 || r < 0 || c >= kWallColumns || r >= kWallRows || seen[r * kWallColumns + c]) continue;
    if (g.brickWall[r][c].color != color) continue;
    seen[r * kWallColumns + c] = 1;
    n++;
    todo.insert(todo.end(), {{c + 1, r}, {c - 1, r}, {c, r + 1}, {c, r - 1}});
  }
  return n;
}
// The shell's frames as they go by: the screen of the last, and the live
// game's effects.
struct ShellWatch {
  int32_t lastScreen = -1;
  PlayWatcher watcher;
  PlayFacts facts;
} seen;
} // namespace

Stage::Stage(const std::string &dataFolder) {
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  platform::setMessageHook([](const char *, const char *) {});
  char tmpl[] = "/tmp/zunkflashesXXXXXX";
  if (!mkdtemp(tmpl)) {
    error_ = "no folder for the game's files";
    return;
  }
  folder_ = tmpl;
  seen = ShellWatch();
  // The game reads its data through links and keeps its files beside them.
  mkdir((folder_ + "/data").c_str(), 0755);
  DIR *dir = opendir(dataFolder.c_str());
  if (!dir) {
    error_ = dataFolder + ": no such folder";
    return;
  }
  while (dirent *e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    const std::string from = dataFolder + "/" + e->d_name, to = folder_ + "/data/" + e->d_name;
    if (symlink(from.c_str(), to.c_str()) != 0) error_ = "cannot link " + to;
  }
  closedir(dir);
  if (!error_.empty()) return;
  setenv("XDG_DATA_HOME", (folder_ + "/user").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
  setenv("LC_ALL", "C", 1); // the English sheet
  KMiscTools::initMiscTools();
  KMiscTools::setFileSource(true);
  std::snprintf(KMiscTools::currentAppPath, 260, "%s", folder_.c_str());
  std::snprintf(KMiscTools::_resourcePath, 260, "%s", "data");
  // The pointer rests in the corner, out of the way.
  input.mouseX = kScreenWidth - 1;
  input.mouseY = kScreenHeight - 1;
  platform::setScriptedInput(&input);
  platform::setPresentHook(keepShown);
  platform::setWindowScale(1);
  std::srand(1);
  if (!initzunk(shell_)) {
    error_ = "the game could not start: no window, or no pictures in " + dataFolder;
    return;
  }
  clock = platform::microseconds();
  platform::setScriptedClock(&clock);
  ready_ = true;
}

Stage::~Stage() {
  if (ready_) freeZunk(shell_);
  platform::setWindowScale(0);
  platform::setPresentHook(nullptr);
  platform::setScriptedClock(nullptr);
  platform::setScriptedInput(nullptr);
  if (!folder_.empty()) {
    const std::string cmd = "rm -rf '" + folder_ + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", folder_.c_str());
  }
}

void Stage::shellFrame(const FrameSink *sink) {
  int32_t &lastScreen = seen.lastScreen;
  const int32_t screen = shell_.screen;
  const Play before = shell_.live.game();
  clock += kFrameMicroseconds;
  doZunk(shell_);
  std::vector<Area> areas;
  if (screen != lastScreen || shell_.screen != screen) {
    areas.push_back(whole(kScreenChange));
  } else if (screen == kPlayScreen) {
    areas = seen.watcher.areas(before, shell_.live.game(), nullptr, seen.facts);
  } else {
    areas.push_back(whole(screenEffect(shell_, screen)));
  }
  lastScreen = screen;
  showFrame(shell_, false);
  if (sink) (*sink)(shown.data(), shownWidth, shownHeight, areas);
}

void Stage::playScreens(const FrameSink &sink) {
  auto frames = [&](int n) {
    for (int i = 0; i < n; i++) shellFrame(&sink);
  };
  auto until = [&](auto done) {
    for (int i = 0; i < 3000 && !done(); i++) shellFrame(&sink);
  };
  auto tap = [&](EKeyboardLayout key) {
    setKey(key, true);
    shellFrame(&sink);
    setKey(key, false);
    shellFrame(&sink);
  };
  until([this] { return shell_.screen == kMenuScreen; }); // the title
  until([this] { return !shell_.menu.lockMenu; }); // the doors
  frames(240);
  tap(K_VK_TAB); // the focus on PLAY, HIGH SCORES, HELP
  tap(K_VK_TAB);
  tap(K_VK_TAB);
  tap(K_VK_RETURN);
  until([this] { return shell_.screen == kHelpScreen; });
  frames(400);
  tap(K_VK_ESCAPE);
  until([this] { return shell_.screen == kMenuScreen; });
  frames(80);
  tap(K_VK_UP);
  tap(K_VK_RETURN);
  until([this] { return shell_.screen == kScoresScreen; });
  frames(200);
  tap(K_VK_ESCAPE);
  until([this] { return shell_.screen == kMenuScreen; });
  frames(80);
  tap(K_VK_UP);
  tap(K_VK_RETURN);
  until([this] { return shell_.screen == kPlayScreen; });
  frames(240);
  tap(K_VK_P);
  frames(120);
  tap(K_VK_P);
  frames(120);
  tap(K_VK_P);
  tap(K_VK_BACK); // left, kept to continue
  until([this] { return shell_.screen == kMenuScreen; });
  frames(80);
  tap(K_VK_RETURN);
  until([this] { return shell_.screen == kResumeScreen; });
  frames(120);
  tap(K_VK_RETURN); // CONTINUE: the game as it was left, paused
  frames(120);
  tap(K_VK_P);
  frames(160);
}

bool Stage::playRecording(const Recording &recording, const FrameSink &sink, PlayFacts &facts) {
  Replay replay(recording);
  PlayWatcher watcher;
  PlayEvents events;
  Play before = replay.game();
  while (replay.step(&events)) {
    const std::vector<Area> areas = watcher.areas(before, replay.game(), &events, facts);
    before = replay.game();
    events = PlayEvents();
    clock += kFrameMicroseconds;
    shell_.assets.gamewindow->setClearColor(0, 0, 0, 1);
    shell_.assets.gamewindow->setWorldView(0, 0, 0, 1, true);
    drawPlay(replay.game(), *shell_.assets.surf_zunk);
    showFrame(shell_, false);
    sink(shown.data(), shownWidth, shownHeight, areas);
  }
  return replay.same();
}

Recording Stage::recordGame(unsigned seed, int mostFrames, PlayFacts *shownFacts) {
  std::srand(seed);
  std::mt19937 player(seed); // the player's own choices: not the game's rand()
  resetSession(shell_);
  auto frame = [&] { shellFrame(nullptr); };
  for (int i = 0; i < 3000 && !(shell_.screen == kMenuScreen && !shell_.menu.lockMenu); i++) frame();
  setKey(K_VK_RETURN, true);
  frame();
  setKey(K_VK_RETURN, false);
  for (int i = 0; i < 100 && shell_.screen != kPlayScreen; i++) frame();

  enum { kResting, kGrabbing, kDragging, kFlying, kPausing } phase = kResting;
  PlayFacts facts;
  PlayWatcher watcher;
  int wait = 40, step = 0, pausedFor = 0, played = 0;
  bool pausedOnce = false;
  // A quick player: a throw about every 60 frames.
  const int kDragFrames = 12, kHold = 2;
  float fromX = 0, fromY = 0, toX = 0, toY = 0;
  auto allReleased = [&] {
    for (int k = 1; k <= kBonusKinds; k++)
      if (!facts.bonuses[k]) return false;
    return true;
  };
  for (int gameOverFor = 0; gameOverFor < kGameOverWatched && played < mostFrames + 40000; played++) {
    const Play &g = shell_.live.game();
    if (g.gameover && g.gameOverProgress >= 1) gameOverFor++;
    const bool stopping = g.gameover || allReleased() || played >= mostFrames;
    switch (phase) {
    case kResting: {
      input.leftButton = false;
      if (g.launched || g.grabbedBall || --wait > 0 || stopping) break;
      if (!pausedOnce && played > 1500) {
        pausedOnce = true;
        setKey(K_VK_P, true);
        phase = kPausing;
        break;
      }
      // A bonus of a kind not yet seen, else any bonus, else the largest group.
      int bestCol = -1, bestRow = -1, bestScore = -1;
      std::vector<char> seen(kWallColumns * kWallRows, 0);
      for (int row = 0; row < kWallRows; row++)
        for (int col = 0; col < kWallColumns; col++) {
          const sBrick &b = g.brickWall[row][col];
          if (b.color < 0 || b.fall != 0) continue;
          int score = 0;
          if (b.bonus > 0 && b.bonusTime > 60) score = facts.bonuses[b.bonus] ? 1000 : 2000;
          std::vector<char> mine(seen);
          score += groupSize(g, col, row, mine);
          if (score > bestScore) bestScore = score, bestCol = col, bestRow = row;
        }
      int x = 0, y = 0;
      if (bestCol < 0 || !releaseFor(bestCol, bestRow, x, y)) break;
      fromX = g.ballx + 16;
      fromY = g.bally + 17;
      toX = static_cast<float>(x + 16);
      toY = static_cast<float>(y + 17);
      input.mouseX = static_cast<int>(fromX);
      input.mouseY = static_cast<int>(fromY);
      input.leftButton = true;
      phase = kGrabbing;
      break;
    }
    case kGrabbing:
      if (g.grabbedBall) {
        phase = kDragging;
        step = 0;
      } else {
        input.leftButton = false;
        phase = kResting;
        wait = 5;
      }
      break;
    case kDragging: {
      step++;
      const float t = std::min(1.f, static_cast<float>(step) / kDragFrames);
      input.mouseX = static_cast<int>(std::lround(fromX + (toX - fromX) * t));
      input.mouseY = static_cast<int>(std::lround(fromY + (toY - fromY) * t));
      if (step >= kDragFrames + kHold) {
        input.leftButton = false;
        phase = kFlying;
      }
      break;
    }
    case kFlying:
      if (!g.launched && !g.grabbedBall) {
        phase = kResting;
        wait = 2 + static_cast<int>(player() % 10);
      }
      break;
    case kPausing:
      setKey(K_VK_P, false);
      if (++pausedFor == 160) setKey(K_VK_P, true);
      if (pausedFor > 160 && !g.paused) {
        setKey(K_VK_P, false);
        phase = kResting;
        wait = 20;
      }
      break;
    }
    const Play before = shell_.live.game();
    frame();
    watcher.areas(before, shell_.live.game(), nullptr, facts);
  }
  input.leftButton = false;
  if (shownFacts) *shownFacts = facts;
  return shell_.live.recording();
}

} // namespace flashes
