// What a developer would write instead: SDL's own renderer drawing the
// game's menu and, after a click, its play frame (reference_scene.h), one
// SDL_RenderCopy a sprite, every sprite alpha-blended like the game's
// pictures. bench/frame.sh runs it beside the game.
//   reference_frame <data folder>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <string>

#include "reference_scene.h"

namespace {
using namespace reference;

void draw(SDL_Renderer *r, SDL_Texture *t, const Sprite &s) {
  const SDL_Rect src{s.from.x1, s.from.y1, s.from.w(), s.from.h()};
  const Placed p = place(s);
  const SDL_Rect dst{p.x, p.y, p.w, p.h};
  SDL_RenderCopy(r, t, &src, &dst);
}
} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reference_frame <data folder>\n");
    return 2;
  }
  const std::string data = argv[1];
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window *window =
      SDL_CreateWindow("Zunk reference", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight, 0);
  SDL_Renderer *r = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
  SDL_Texture *sheet = r ? IMG_LoadTexture(r, (data + "/zunk.png").c_str()) : nullptr;
  SDL_Texture *cursor = r ? IMG_LoadTexture(r, (data + "/curseur.png").c_str()) : nullptr;
  if (!sheet || !cursor) {
    std::fprintf(stderr, "reference_frame: %s\n", SDL_GetError());
    return 1;
  }
  SDL_SetTextureBlendMode(sheet, SDL_BLENDMODE_BLEND);
  SDL_SetTextureBlendMode(cursor, SDL_BLENDMODE_BLEND);
  bool playing = false;
  Uint32 next = SDL_GetTicks();
  for (int frame = 0;; frame++) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) return 0;
      if (e.type == SDL_MOUSEBUTTONDOWN) playing = true;
    }
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    for (const Sprite &s : playing ? playSprites() : menuSprites(frame)) draw(r, sheet, s);
    int mx, my;
    SDL_GetMouseState(&mx, &my);
    draw(r, cursor, {kCursor, mx, my, 1});
    SDL_RenderPresent(r);
    next += kFrameMs;
    const Uint32 now = SDL_GetTicks();
    if (static_cast<Sint32>(next - now) > 0) SDL_Delay(next - now);
    else next = now;
  }
}
