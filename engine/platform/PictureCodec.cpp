#include "PictureCodec.h"
#include "Platform.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ByteOrder.h"

namespace platform {

namespace {
// Pictures are refused before decoding when their header asks for more than
// this, so that a hostile header cannot make the decoder allocate gigabytes.
const long long kMaxPixels = 1LL << 26;
const int kMaxSide = 32767;

uint32_t be32(const unsigned char *p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

bool sizeAcceptable(long long w, long long h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels; }

bool isPNG(const unsigned char *b, size_t n) { return n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0; }
bool isJPEG(const unsigned char *b, size_t n) { return n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF; }
bool isBMP(const unsigned char *b, size_t n) { return n >= 54 && b[0] == 'B' && b[1] == 'M'; }
int32_t le32(const unsigned char *p) { return static_cast<int32_t>(readLE32(p)); }

// Every chunk of a PNG lies whole within its bytes, up to IEND. The PNG
// library reads a chunk that runs past the end from a stale buffer, and can
// go round such chunks for ever: a damaged picture is refused before.
bool pngChunksWhole(const unsigned char *b, size_t n) {
  const size_t kChunkFrame = 12; // length, type, CRC
  for (size_t at = 8; n - at >= kChunkFrame;) {
    const size_t length = be32(b + at);
    if (length > n - at - kChunkFrame) return false;
    if (std::memcmp(b + at + 4, "IEND", 4) == 0) return true;
    at += kChunkFrame + length;
  }
  return false;
}

// The size a picture's header declares, without decoding it.
bool declaredSize(const char *type, const unsigned char *b, size_t n) {
  if (std::strcmp(type, "PNG") == 0)
    return n >= 24 && isPNG(b, n) && sizeAcceptable(be32(b + 16), be32(b + 20)) && pngChunksWhole(b, n);
  if (std::strcmp(type, "JPG") == 0) {
    // Walk the markers up to the frame header.
    size_t i = 2;
    while (i + 9 < n) {
      if (b[i] != 0xFF) return false;
      unsigned m = b[i + 1];
      if (m == 0xFF) {
        i++;
        continue;
      }
      if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
        return sizeAcceptable((b[i + 7] << 8) | b[i + 8], (b[i + 5] << 8) | b[i + 6]);
      if (m == 0xD8 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) {
        i += 2;
        continue;
      }
      i += 2 + ((b[i + 2] << 8) | b[i + 3]);
    }
    return false;
  }
  if (std::strcmp(type, "BMP") == 0) {
    const long long w = le32(b + 18), h = le32(b + 22);
    const int bits = readLE16(b + 28);
    const long long rowBytes = (w * bits + 31) / 32 * 4;
    const long long need = rowBytes * (h < 0 ? -h : h);
    // Uncompressed rows must all be in the file.
    return sizeAcceptable(w, h < 0 ? -h : h) && bits > 0 && (le32(b + 30) != 0 || need <= static_cast<long long>(n));
  }
  // TGA: an 18-byte header; uncompressed pixels must all be present, and
  // run-length pixels cannot expand more than 128 times.
  if (n < 18) return false;
  const long long w = readLE16(b + 12), h = readLE16(b + 14);
  const int bytes = (b[16] + 7) / 8;
  if (!sizeAcceptable(w, h) || bytes <= 0) return false;
  const long long need = w * h * bytes;
  const long long body = static_cast<long long>(n) - 18 - b[0];
  return (b[2] & 8) ? need <= body * 128 : need <= body;
}

// The one place where pixels change order between the engine's (B, G, R, A,
// bottom row first: a raw picture block's, and a TGA file's) and the
// codec's (top row first, A, R, G, B when `argb`, else R, G, B, A). Either
// way: the rows turn over and the bytes of each pixel are put in place.
void reorder(const unsigned char *from, unsigned char *to, int width, int height, bool toEngine, bool argb) {
  // Where red, green, blue and alpha sit in the codec's pixel.
  const int r = argb ? 1 : 0, g = argb ? 2 : 1, b = argb ? 3 : 2, a = argb ? 0 : 3;
  const size_t stride = static_cast<size_t>(width) * 4;
  for (int y = 0; y < height; y++) {
    const unsigned char *src = from + static_cast<size_t>(height - 1 - y) * stride;
    unsigned char *dst = to + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; x++, src += 4, dst += 4) {
      if (toEngine) {
        dst[0] = src[b], dst[1] = src[g], dst[2] = src[r], dst[3] = src[a];
      } else {
        dst[r] = src[2], dst[g] = src[1], dst[b] = src[0], dst[a] = src[3];
      }
    }
  }
}

// A TGA file keeps the engine's order: the pixels are written as they are.
bool writeTGA(const char *path, int width, int height, const unsigned char *bgra) {
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
  const size_t size = static_cast<size_t>(width) * height * 4;
  const bool ok = std::fwrite(header, 1, 18, f) == 18 && std::fwrite(bgra, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
} // namespace

namespace {
// Decodes into `argb`; the reason it could not, or null.
const char *decode(const unsigned char *bytes, size_t length, const char *type, int &width, int &height,
                   std::vector<unsigned char> &argb) {
  if (!bytes || length == 0) return "no bytes to decode";
  if (length > 0x7FFFFFFF) return "more bytes than a picture file may have";
  // Without a name, the content decides: PNG, JPEG and BMP are recognised.
  if (!type) type = isPNG(bytes, length) ? "PNG" : isJPEG(bytes, length) ? "JPG" : isBMP(bytes, length) ? "BMP" : nullptr;
  if (!type) return "not a PNG, JPEG or BMP picture";
  if (!declaredSize(type, bytes, length)) return "its header declares a size the file cannot hold";
  SDL_RWops *rw = SDL_RWFromConstMem(bytes, static_cast<int>(length));
  if (!rw) return SDL_GetError();
  SDL_Surface *s = IMG_LoadTyped_RW(rw, 1, type);
  if (!s) return IMG_GetError();
  if (s->w <= 0 || s->h <= 0 || static_cast<long long>(s->w) * s->h > kMaxPixels) {
    SDL_FreeSurface(s);
    return "more pixels than a picture may have";
  }
  SDL_Surface *c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(s);
  if (!c) return SDL_GetError();
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
  return nullptr;
}
} // namespace

bool decodePicture(const unsigned char *bytes, size_t length, const char *type, int &width, int &height,
                   std::vector<unsigned char> &argb, const char *name) {
  const char *reason = decode(bytes, length, type, width, height, argb);
  if (!reason) return true;
  report(K_REPORT_WARNING, "could not decode picture", name ? name : "", reason);
  return false;
}

bool decodePictureBlock(const unsigned char *bytes, size_t length, const char *type, int &width, int &height,
                        std::vector<unsigned char> &bgra, const char *name) {
  std::vector<unsigned char> argb;
  if (!decodePicture(bytes, length, type, width, height, argb, name)) return false;
  bgra.resize(argb.size());
  reorder(argb.data(), bgra.data(), width, height, true, true);
  return true;
}

bool encodePicture(const char *path, PictureFormat format, int width, int height, const unsigned char *pixels,
                   PixelOrder order) {
  if (!path || width <= 0 || height <= 0 || !pixels) return false;
  // A TGA file keeps the engine's order, the image library's surfaces the other.
  const bool engineOrder = format == PictureFormat::TGA;
  std::vector<unsigned char> turned;
  if (engineOrder != (order == PixelOrder::Engine)) {
    turned.resize(static_cast<size_t>(width) * height * 4);
    reorder(pixels, turned.data(), width, height, engineOrder, false);
    pixels = turned.data();
  }
  if (format == PictureFormat::TGA) {
    errno = 0;
    if (writeTGA(path, width, height, pixels)) return true;
    report(K_REPORT_WARNING, "could not write picture", path, errno ? std::strerror(errno) : "short write");
    return false;
  }
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char *>(pixels), width, height, 32, width * 4,
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
  if (rc == 0) return true;
  report(K_REPORT_WARNING, "could not write picture", path, SDL_GetError());
  return false;
}

} // namespace platform
