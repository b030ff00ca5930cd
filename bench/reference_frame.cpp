// What a developer would write instead: SDL's own renderer drawing the
// game's menu frame (background, four wobbling buttons, the notice line,
// the cursor) and, after a click, its play frame (background, the feeder
// line, the wall's bottom rows, the sling and the resting ball, the score),
// from the same sprite sheet at the same 80 frames a second, alpha-blended
// like the game's pictures. bench/frame.sh runs it beside the game.
//   reference_frame <data folder>

#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "layout.h"

namespace {
using namespace layout;

const int kWidth = 320, kHeight = 480;
const Uint32 kFrameMs = 1000 / 80;

void draw(SDL_Renderer *r, SDL_Texture *t, const Rect &from, int x, int y, float zoom = 1) {
  const SDL_Rect src{from.x1, from.y1, from.w(), from.h()};
  const int w = static_cast<int>(from.w() * zoom), h = static_cast<int>(from.h() * zoom);
  const SDL_Rect dst{x + (from.w() - w) / 2, y + (from.h() - h) / 2, w, h};
  SDL_RenderCopy(r, t, &src, &dst);
}

void menuFrame(SDL_Renderer *r, SDL_Texture *sheet, int frame) {
  draw(r, sheet, kMenuBackground, 0, 0);
  for (int b = 0; b < 4; b++)
    draw(r, sheet, kButtons[b], kButtonX, kButtonY[b], 1 + static_cast<float>(std::cos(frame * 0.05 + b)) / 30);
  draw(r, sheet, kNotice, kNoticeX, kHeight - 24);
}

void playFrame(SDL_Renderer *r, SDL_Texture *sheet) {
  draw(r, sheet, kPlayBackground, 0, 0);
  for (int col = 0; col < 9; col++) draw(r, sheet, brick(col % 5), kWallAt.x + col * kBrickSize, kFeederY);
  for (int row = 6; row < 8; row++)
    for (int col = 0; col < 9; col++)
      draw(r, sheet, brick((col + row) % 5), kWallAt.x + col * kBrickSize, kWallAt.y + row * kBrickSize);
  for (int link = 0; link < 4; link++) draw(r, sheet, kLink, kAnchorX - 20 + link * 12, kAnchorY + 10);
  draw(r, sheet, kRestingBall, kBallRest.x, kBallRest.y);
  draw(r, sheet, kScoreLabel, kScoreLabelAt.x, kScoreLabelAt.y);
  draw(r, sheet, digit(0), kScoreAt.x, kScoreAt.y);
}
} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reference_frame <data folder>\n");
    return 2;
  }
  const std::string data = argv[1];
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window *window = SDL_CreateWindow("Zunk reference", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth,
                                        kHeight, 0);
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
    if (playing) playFrame(r, sheet);
    else menuFrame(r, sheet, frame);
    int mx, my;
    SDL_GetMouseState(&mx, &my);
    draw(r, cursor, kCursor, mx, my);
    SDL_RenderPresent(r);
    next += kFrameMs;
    const Uint32 now = SDL_GetTicks();
    if (static_cast<Sint32>(next - now) > 0) SDL_Delay(next - now);
    else next = now;
  }
}
