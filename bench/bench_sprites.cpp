// Sprite throughput: N alpha-blended sprites a frame from one sheet, drawn
// with KGraphicGL::blitAlphaRect and, in the same run, with SDL's own
// accelerated renderer (SDL_RenderCopy, batching on), at the same nearest
// filtering: 1000, 5000 and 20000 round sprites of 32 by 32 (where the
// pixels cost) and 20000 of 8 by 8 (where the cost of each sprite shows).
// Both load the sheet from a PNG file as a program would. Rounds alternate
// the two, each frame is finished (glFinish / a read-back) so the time
// includes filling the pixels. A frame is measured twice: the time it
// takes, and the CPU the process (the rasteriser's threads with it) spends
// on it, which another program on a shared machine disturbs less. A
// round's figure is its median frame; the medians of the rounds are
// reported with their spread.
//   bench_sprites [frames] [rounds] [engine|renderer]
// The engine's context is the kind ZUNK_GL asks for; naming one side runs
// it alone (for a profiler).

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

#include "KGraphicGL.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "KWindowGL.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "platform/PictureCodec.h"

namespace {
using Clock = std::chrono::steady_clock;

const int kSheet = 256;
// The sheet's top half holds round sprites of 32 by 32, its bottom half of 8 by 8.
const int kSmallFrom = 128;

struct Case {
  int count, size;
};
const Case kCases[] = {{1000, 32}, {5000, 32}, {20000, 32}, {20000, 8}};
const int kCaseCount = sizeof kCases / sizeof kCases[0];

// The sheet as R, G, B, A rows, top first: opaque discs, clear corners.
std::vector<unsigned char> makeSheet() {
  std::vector<unsigned char> px(kSheet * kSheet * 4);
  for (int y = 0; y < kSheet; y++)
    for (int x = 0; x < kSheet; x++) {
      const int cell = y < kSmallFrom ? 32 : 8, half = cell / 2;
      const int cx = x % cell - half, cy = y % cell - half;
      unsigned char *p = &px[(y * kSheet + x) * 4];
      p[0] = static_cast<unsigned char>(x * 7);
      p[1] = static_cast<unsigned char>(y * 5);
      p[2] = 0x80;
      p[3] = cx * cx + cy * cy < half * half * 3 / 4 ? 255 : 0;
    }
  return px;
}

struct Spot {
  short x, y;
  float sx, sy;
};

std::vector<Spot> spots(const Case &c) {
  std::vector<Spot> s(c.count);
  std::srand(7);
  const int cells = c.size == 32 ? 8 : 32, rows = c.size == 32 ? kSmallFrom / 32 : (kSheet - kSmallFrom) / 8;
  const int top = c.size == 32 ? 0 : kSmallFrom;
  for (Spot &p : s) {
    p.x = static_cast<short>(std::rand() % (320 - c.size));
    p.y = static_cast<short>(std::rand() % (480 - c.size));
    p.sx = static_cast<float>((std::rand() % cells) * c.size);
    p.sy = static_cast<float>(top + (std::rand() % rows) * c.size);
  }
  return s;
}

// The time a frame takes and the CPU spent on it, in ms.
struct Stopwatch {
  Clock::time_point wall;
  timespec cpu;
  Stopwatch() : wall(Clock::now()) { clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu); }
  void read(double &wallMs, double &cpuMs) const {
    wallMs = std::chrono::duration<double, std::milli>(Clock::now() - wall).count();
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    cpuMs = (now.tv_sec - cpu.tv_sec) * 1e3 + (now.tv_nsec - cpu.tv_nsec) / 1e6;
  }
};

// A side's figures: a round's median frame, wall and CPU, for each case.
struct Round {
  double wall[kCaseCount], cpu[kCaseCount];
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One round of the engine: the median frame of each case, in ms.
bool engineRound(const std::string &sheetPath, int frames, Round &round, double (&calls)[kCaseCount],
                 std::string &version) {
  KWindow *window = KVexo::createKWindow(K_OPENGL, false);
  if (!window->createGameWindow(320, 480, -1, true, "bench")) return false;
  window->setMaxFrameRate(0);
  version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  KGraphicGL sheet;
  if (!sheet.loadPicture(sheetPath.c_str(), true, true)) return false;
  sheet.setTextureQuality(false);
  for (int i = 0; i < kCaseCount; i++) {
    const Case &c = kCases[i];
    const std::vector<Spot> s = spots(c);
    std::vector<double> wall, cpu;
    const uint64_t before = batch::counts().drawCalls;
    for (int f = 0; f < frames + 3; f++) {
      const Stopwatch watch;
      window->setWorldView(0, 0, 0, 1, true);
      for (const Spot &p : s) sheet.blitAlphaRect(p.sx, p.sy, p.sx + c.size, p.sy + c.size, p.x, p.y, false, false);
      batch::flush();
      glFinish();
      double w, u;
      watch.read(w, u);
      if (f >= 3) wall.push_back(w), cpu.push_back(u);
      window->flipBackBuffer(false, false);
    }
    round.wall[i] = median(wall);
    round.cpu[i] = median(cpu);
    calls[i] = static_cast<double>(batch::counts().drawCalls - before) / (frames + 3);
  }
  delete window;
  return true;
}

// One round of SDL's renderer.
bool rendererRound(const std::string &sheetPath, int frames, Round &round) {
  SDL_Window *w = SDL_CreateWindow("bench", 0, 0, 320, 480, SDL_WINDOW_OPENGL);
  SDL_Renderer *r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED) : nullptr;
  SDL_Texture *t = r ? IMG_LoadTexture(r, sheetPath.c_str()) : nullptr;
  if (!t) {
    std::fprintf(stderr, "no SDL renderer: %s\n", SDL_GetError());
    return false;
  }
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  for (int i = 0; i < kCaseCount; i++) {
    const Case &c = kCases[i];
    const std::vector<Spot> s = spots(c);
    std::vector<double> wall, cpu;
    for (int f = 0; f < frames + 3; f++) {
      const Stopwatch watch;
      SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
      SDL_RenderClear(r);
      for (const Spot &p : s) {
        const SDL_Rect src{static_cast<int>(p.sx), static_cast<int>(p.sy), c.size, c.size};
        const SDL_Rect dst{p.x, p.y, c.size, c.size};
        SDL_RenderCopy(r, t, &src, &dst);
      }
      SDL_RenderFlush(r);
      uint32_t pixel;
      const SDL_Rect one{0, 0, 1, 1};
      SDL_RenderReadPixels(r, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4); // waits for the drawing
      double w, u;
      watch.read(w, u);
      if (f >= 3) wall.push_back(w), cpu.push_back(u);
      SDL_RenderPresent(r);
    }
    round.wall[i] = median(wall);
    round.cpu[i] = median(cpu);
  }
  SDL_DestroyTexture(t);
  SDL_DestroyRenderer(r);
  SDL_DestroyWindow(w);
  return true;
}

// "median [min-max]" of one case over the rounds.
std::string spread(const std::vector<double> &v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f [%.2f-%.2f]", median(v), *std::min_element(v.begin(), v.end()),
                *std::max_element(v.begin(), v.end()));
  return text;
}
} // namespace

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 30;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string only = argc > 3 ? argv[3] : "";
  char folder[] = "/tmp/zunkspritesXXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string sheetPath = std::string(folder) + "/sheet.png";
  const std::vector<unsigned char> sheet = makeSheet();
  if (!platform::encodePicture(sheetPath.c_str(), platform::PictureFormat::PNG, kSheet, kSheet, sheet.data(), platform::PixelOrder::TopDownRGBA)) return 1;
  KMiscTools::initMiscTools();
  SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  std::vector<double> engineWall[kCaseCount], engineCpu[kCaseCount], rendererWall[kCaseCount], rendererCpu[kCaseCount];
  double calls[kCaseCount] = {};
  std::string version;
  for (int round = 0; round < rounds; round++) {
    Round e{}, s{};
    if (only != "renderer" && !engineRound(sheetPath, frames, e, calls, version)) return 1;
    if (only != "engine" && !rendererRound(sheetPath, frames, s)) return 1;
    for (int i = 0; i < kCaseCount; i++) {
      engineWall[i].push_back(e.wall[i]);
      engineCpu[i].push_back(e.cpu[i]);
      rendererWall[i].push_back(s.wall[i]);
      rendererCpu[i].push_back(s.cpu[i]);
    }
  }
  unlink(sheetPath.c_str());
  rmdir(folder);
  std::printf("engine on %s; median [min-max] of %d rounds of %d frames, ms a frame\n", version.c_str(), rounds,
              frames);
  std::printf("%-14s %22s %22s %6s %22s %22s %6s %6s\n", "sprites", "engine time", "SDL_Renderer time", "ratio",
              "engine CPU", "SDL_Renderer CPU", "ratio", "calls");
  for (int i = 0; i < kCaseCount; i++) {
    char label[32];
    std::snprintf(label, sizeof label, "%d of %dx%d", kCases[i].count, kCases[i].size, kCases[i].size);
    std::printf("%-14s %22s %22s %6.2f %22s %22s %6.2f %6.0f\n", label, spread(engineWall[i]).c_str(),
                spread(rendererWall[i]).c_str(), median(rendererWall[i]) / median(engineWall[i]),
                spread(engineCpu[i]).c_str(), spread(rendererCpu[i]).c_str(),
                median(rendererCpu[i]) / median(engineCpu[i]), calls[i]);
  }
  std::printf("(ratios of medians, SDL_Renderer over engine: above 1, the engine is faster)\n");
  return 0;
}
