// Sprite throughput: N alpha-blended 32 by 32 sprites from one sheet per
// frame, drawn with KGraphicGL::blitAlphaRect and, in the same run, with
// SDL's own accelerated renderer (SDL_RenderCopy, batching on), at the same
// nearest filtering. Each frame is finished (glFinish / a read-back) so the
// time includes filling the pixels.
//   bench_sprites [frames]

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "KGraphicGL.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "KWindowGL.h"

namespace {
using Clock = std::chrono::steady_clock;

std::vector<uint32_t> makeSheet() {
  std::vector<uint32_t> px(256 * 256);
  for (int y = 0; y < 256; y++)
    for (int x = 0; x < 256; x++) {
      int cx = x % 32 - 16, cy = y % 32 - 16;
      uint32_t a = cx * cx + cy * cy < 200 ? 0xFFu : 0u; // round sprites, clear corners
      px[y * 256 + x] = (a << 24) | ((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | 0x80;
    }
  return px;
}

struct Spot {
  short x, y;
  float sx, sy;
};

std::vector<Spot> spots(int n) {
  std::vector<Spot> s(n);
  std::srand(7);
  for (Spot &p : s) {
    p.x = static_cast<short>(std::rand() % (320 - 32));
    p.y = static_cast<short>(std::rand() % (480 - 32));
    p.sx = static_cast<float>((std::rand() % 8) * 32);
    p.sy = static_cast<float>((std::rand() % 8) * 32);
  }
  return s;
}

double engineFrame(KWindow *window, KGraphicGL &sheet, const std::vector<Spot> &s) {
  auto t0 = Clock::now();
  window->setWorldView(0, 0, 0, 1, true);
  for (const Spot &p : s) sheet.blitAlphaRect(p.sx, p.sy, p.sx + 32, p.sy + 32, p.x, p.y, false, false);
  glFinish();
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double rendererFrame(SDL_Renderer *r, SDL_Texture *t, const std::vector<Spot> &s) {
  auto t0 = Clock::now();
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  for (const Spot &p : s) {
    SDL_Rect src{static_cast<int>(p.sx), static_cast<int>(p.sy), 32, 32};
    SDL_Rect dst{p.x, p.y, 32, 32};
    SDL_RenderCopy(r, t, &src, &dst);
  }
  SDL_RenderFlush(r);
  uint32_t pixel;
  SDL_Rect one{0, 0, 1, 1};
  SDL_RenderReadPixels(r, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4); // waits for the drawing
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 30;
  const int counts[] = {1000, 5000, 20000};
  std::vector<uint32_t> sheetPixels = makeSheet();
  double engineMs[3], rendererMs[3];

  {
    KMiscTools::initMiscTools();
    KWindow *window = KVexo::createKWindow(K_OPENGL, false);
    if (!window->createGameWindow(320, 480, -1, true, "bench")) return 1;
    KGraphicGL sheet;
    sheet.makePictureFromArray(sheetPixels.data(), 256, 256, true, false);
    sheet.setTextureQuality(false);
    for (int i = 0; i < 3; i++) {
      auto s = spots(counts[i]);
      std::vector<double> t;
      for (int f = 0; f < frames + 3; f++) {
        double ms = engineFrame(window, sheet, s);
        if (f >= 3) t.push_back(ms);
        window->flipBackBuffer(false, false);
      }
      engineMs[i] = median(t);
    }
    delete window;
  }
  {
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_Window *w = SDL_CreateWindow("bench", 0, 0, 320, 480, SDL_WINDOW_OPENGL);
    SDL_Renderer *r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (!r) {
      std::fprintf(stderr, "no SDL renderer: %s\n", SDL_GetError());
      return 1;
    }
    SDL_Texture *t = SDL_CreateTexture(r, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, 256, 256);
    SDL_UpdateTexture(t, nullptr, sheetPixels.data(), 256 * 4);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    for (int i = 0; i < 3; i++) {
      auto s = spots(counts[i]);
      std::vector<double> tm;
      for (int f = 0; f < frames + 3; f++) {
        double ms = rendererFrame(r, t, s);
        if (f >= 3) tm.push_back(ms);
        SDL_RenderPresent(r);
      }
      rendererMs[i] = median(tm);
    }
    SDL_DestroyRenderer(r);
    SDL_DestroyWindow(w);
  }
  std::printf("%-8s %14s %16s %8s\n", "sprites", "engine ms", "SDL_Renderer ms", "ratio");
  for (int i = 0; i < 3; i++)
    std::printf("%-8d %14.2f %16.2f %8.2f\n", counts[i], engineMs[i], rendererMs[i], rendererMs[i] / engineMs[i]);
  std::printf("(ratio above 1: the engine is faster)\n");
  return 0;
}
