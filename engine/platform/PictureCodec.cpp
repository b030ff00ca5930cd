#include "PictureCodec.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {
// Refuse pictures whose pixel count would not fit comfortably in memory.
const long long kMaxPixels = 1LL << 28;

bool writeTGA(const char *path, int width, int height, const unsigned char *rgba) {
  FILE *f = std::fopen(path, "wb");
  if (!f) return false;
  unsigned char header[18] = {};
  header[2] = 2; // uncompressed true colour
  header[12] = width & 0xFF;
  header[13] = (width >> 8) & 0xFF;
  header[14] = height & 0xFF;
  header[15] = (height >> 8) & 0xFF;
  header[16] = 32;
  header[17] = 8; // eight alpha bits, rows stored bottom up
  bool ok = std::fwrite(header, 1, 18, f) == 18;
  std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
  for (int y = height - 1; ok && y >= 0; y--) {
    const unsigned char *src = rgba + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; x++) {
      row[x * 4 + 0] = src[x * 4 + 2];
      row[x * 4 + 1] = src[x * 4 + 1];
      row[x * 4 + 2] = src[x * 4 + 0];
      row[x * 4 + 3] = src[x * 4 + 3];
    }
    ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  return std::fclose(f) == 0 && ok;
}
} // namespace

bool decodePicture(const unsigned char *bytes, size_t length, const char *type, int &width, int &height,
                   std::vector<unsigned char> &argb) {
  if (!bytes || length == 0 || length > 0x7FFFFFFF) return false;
  SDL_RWops *rw = SDL_RWFromConstMem(bytes, static_cast<int>(length));
  if (!rw) return false;
  SDL_Surface *s = type ? IMG_LoadTyped_RW(rw, 1, type) : IMG_Load_RW(rw, 1);
  if (!s) return false;
  if (s->w <= 0 || s->h <= 0 || static_cast<long long>(s->w) * s->h > kMaxPixels) {
    SDL_FreeSurface(s);
    return false;
  }
  SDL_Surface *c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(s);
  if (!c) return false;
  width = c->w;
  height = c->h;
  argb.resize(static_cast<size_t>(width) * height * 4);
  SDL_LockSurface(c);
  for (int y = 0; y < height; y++) {
    const Uint32 *src = reinterpret_cast<const Uint32 *>(static_cast<const unsigned char *>(c->pixels) + y * c->pitch);
    unsigned char *dst = &argb[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; x++) {
      Uint32 p = src[x];
      dst[x * 4 + 0] = (p >> 24) & 0xFF;
      dst[x * 4 + 1] = (p >> 16) & 0xFF;
      dst[x * 4 + 2] = (p >> 8) & 0xFF;
      dst[x * 4 + 3] = p & 0xFF;
    }
  }
  SDL_UnlockSurface(c);
  SDL_FreeSurface(c);
  return true;
}

bool encodePicture(const char *path, PictureFormat format, int width, int height, const unsigned char *rgba) {
  if (!path || width <= 0 || height <= 0 || !rgba) return false;
  if (format == PictureFormat::TGA) return writeTGA(path, width, height, rgba);
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char *>(rgba), width, height, 32, width * 4,
                                                      SDL_PIXELFORMAT_ABGR8888);
  if (!s) return false;
  int rc = -1;
  switch (format) {
  case PictureFormat::BMP: rc = SDL_SaveBMP(s, path); break;
  case PictureFormat::JPEG: rc = IMG_SaveJPG(s, path, 95); break;
  case PictureFormat::PNG: rc = IMG_SavePNG(s, path); break;
  default: break;
  }
  SDL_FreeSurface(s);
  return rc == 0;
}

} // namespace platform
