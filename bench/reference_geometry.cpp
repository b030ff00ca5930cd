// A second way a developer would use SDL's renderer for the same frames
// (reference_scene.h): the opaque background copied without blending, then
// every other sprite of the frame in one SDL_RenderGeometry call (its
// corners worked out here), the cursor in a second. bench/frame.sh runs it
// beside the game and reference_frame.
//   reference_geometry <data folder>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <string>
#include <vector>

#include "reference_scene.h"

namespace {
using namespace reference;

// Two triangles a sprite, appended to `v`.
void add(std::vector<SDL_Vertex> &v, const Sprite &s, float sheetW, float sheetH) {
  const Placed p = place(s);
  const float x1 = static_cast<float>(p.x), y1 = static_cast<float>(p.y);
  const float x2 = x1 + static_cast<float>(p.w), y2 = y1 + static_cast<float>(p.h);
  const float u1 = s.from.x1 / sheetW, v1 = s.from.y1 / sheetH, u2 = s.from.x2 / sheetW, v2 = s.from.y2 / sheetH;
  const SDL_Color white{255, 255, 255, 255};
  const SDL_Vertex tl{{x1, y1}, white, {u1, v1}}, tr{{x2, y1}, white, {u2, v1}};
  const SDL_Vertex bl{{x1, y2}, white, {u1, v2}}, br{{x2, y2}, white, {u2, v2}};
  v.insert(v.end(), {tl, bl, tr, tr, bl, br});
}

int textureWidth(SDL_Texture *t) {
  int w = 0;
  SDL_QueryTexture(t, nullptr, nullptr, &w, nullptr);
  return w;
}
int textureHeight(SDL_Texture *t) {
  int h = 0;
  SDL_QueryTexture(t, nullptr, nullptr, nullptr, &h);
  return h;
}
} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reference_geometry <data folder>\n");
    return 2;
  }
  const std::string data = argv[1];
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window *window =
      SDL_CreateWindow("Zunk reference geometry", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight, 0);
  SDL_Renderer *r = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
  SDL_Texture *sheet = r ? IMG_LoadTexture(r, (data + "/zunk.png").c_str()) : nullptr;
  SDL_Texture *cursor = r ? IMG_LoadTexture(r, (data + "/curseur.png").c_str()) : nullptr;
  if (!sheet || !cursor) {
    std::fprintf(stderr, "reference_geometry: %s\n", SDL_GetError());
    return 1;
  }
  SDL_SetTextureBlendMode(cursor, SDL_BLENDMODE_BLEND);
  const float sheetW = static_cast<float>(textureWidth(sheet)), sheetH = static_cast<float>(textureHeight(sheet));
  const float cursorW = static_cast<float>(textureWidth(cursor)), cursorH = static_cast<float>(textureHeight(cursor));
  std::vector<SDL_Vertex> sprites, pointer;
  bool playing = false;
  Uint32 next = SDL_GetTicks();
  for (int frame = 0;; frame++) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) return 0;
      if (e.type == SDL_MOUSEBUTTONDOWN) playing = true;
    }
    const std::vector<Sprite> scene = playing ? playSprites() : menuSprites(frame);
    // The background covers the window: no clear, no blending.
    const Sprite &back = scene.front();
    const SDL_Rect src{back.from.x1, back.from.y1, back.from.w(), back.from.h()};
    SDL_SetTextureBlendMode(sheet, SDL_BLENDMODE_NONE);
    SDL_RenderCopy(r, sheet, &src, nullptr);
    SDL_SetTextureBlendMode(sheet, SDL_BLENDMODE_BLEND);
    sprites.clear();
    for (size_t i = 1; i < scene.size(); i++) add(sprites, scene[i], sheetW, sheetH);
    SDL_RenderGeometry(r, sheet, sprites.data(), static_cast<int>(sprites.size()), nullptr, 0);
    int mx, my;
    SDL_GetMouseState(&mx, &my);
    pointer.clear();
    add(pointer, {kCursor, mx, my, 1}, cursorW, cursorH);
    SDL_RenderGeometry(r, cursor, pointer.data(), static_cast<int>(pointer.size()), nullptr, 0);
    SDL_RenderPresent(r);
    next += kFrameMs;
    const Uint32 now = SDL_GetTicks();
    if (static_cast<Sint32>(next - now) > 0) SDL_Delay(next - now);
    else next = now;
  }
}
