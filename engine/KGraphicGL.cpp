#include "KGraphicGL.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "ByteOrder.h"
#include "KMiscTools.h"
#include "KResource.h"
#include "KWindowGL.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"

#ifndef GL_TEXTURE_RECTANGLE_EXT
#define GL_TEXTURE_RECTANGLE_EXT KGraphicGL::kRectangleTexture
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

int32_t KGraphicGL::_oldBindedText = -1;
bool KGraphicGL::_graphicQuality = true;
int32_t KGraphicGL::videoMemory = 0;
int16_t KGraphicGL::screenDepth = 0;
int16_t KGraphicGL::screenWidth = 0;
int16_t KGraphicGL::screenHeight = 0;

namespace {
const size_t kHeader = 18;

void writeWord(unsigned char *p, int v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
}

unsigned int powerOfTwoFor(int w, int h) {
  int side = w > h ? w : h;
  unsigned int p = 2;
  do p *= 2;
  while (static_cast<int>(p) < side);
  return p;
}

bool isSquarePow2(int w, int h) { return w == h && w >= 4 && (w & (w - 1)) == 0; }

// Whole numbers of the game's coordinates are 16 bits.
inline int toShort(float v) { return static_cast<short>(static_cast<int>(v)); }
} // namespace

KGraphicGL::KGraphicGL()
    : textureName(0), pow2Size(0), pixelBuffer(nullptr), srcBlend(GL_SRC_ALPHA), dstBlend(GL_ONE_MINUS_SRC_ALPHA),
      textureTarget(GL_TEXTURE_2D), colorKeyOn(false), colorKeyRed(0), colorKeyGreen(0), colorKeyBlue(0),
      wrapAllowed(false), tintOn(false), tintRed(1), tintGreen(1), tintBlue(1), tintAlpha(1), maskData(nullptr),
      pow2SizeF(0), width(0), height(0), textureWidth(0), textureHeight(0), originX(0), originY(0), hotSpot{},
      smoothFilter(false), pixelArray(nullptr), arrayTrueColor(false), decodedWidth_(0), decodedHeight_(0),
      maskWidth_(0), maskHeight_(0), videoBytes_(0), appliedFilter_(-1), tileColumns_(0), tileRows_(0) {
  textBuffer[0] = 0;
  if (screenWidth == 0)
    KMiscTools::messageBox("Screen Dimensions not specified, you will not see anything",
                           "KGraphicGL::SetScreenSize Not Called!");
}

KGraphicGL::~KGraphicGL() {
  delete[] pixelBuffer;
  pixelBuffer = nullptr;
  freePicture();
}

// ---------------------------------------------------------------- loading

bool KGraphicGL::loadPicture(const char *fileName, bool trueColor, bool hasAlpha) {
  maskData = nullptr;
  freePicture();
  if (!fileName) return false;
  char name[260];
  std::snprintf(name, sizeof name, "%s", fileName);
  size_t length = 0;
  unsigned char *block = LoadGeneric(name, length);
  return buildGLTexture(block, length, trueColor, hasAlpha);
}

unsigned char *KGraphicGL::LoadGeneric(char *fileName, size_t &length) {
  decoded_.clear();
  length = 0;
  if (!fileName) return nullptr;
  KMiscTools::lowerDataFileName(fileName);
  KResource res;
  if (res.open(fileName, K_RES_READ) != 0) return nullptr;
  int size = 0;
  if (res.seek(K_RES_END, 0) != 0 || res.tell(size) != 0 || size <= 0) return nullptr;
  if (static_cast<unsigned long>(size) > K_MAX_LOADED_BYTES) return nullptr;
  res.seek(K_RES_BEGIN, 0);
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  if (res.read(bytes.data(), bytes.size()) != 0) return nullptr;
  res.close();
  if (!LoadRamPicture(fileName, bytes.data(), bytes.size())) {
    decoded_.clear();
    return nullptr;
  }
  return blockFromDecoded(length);
}

bool KGraphicGL::LoadRamPicture(const char *name, const unsigned char *bytes, unsigned long length) {
  decoded_.clear();
  if (!bytes || length == 0) {
    KMiscTools::messageBox(" hImageDF == 0 ", name);
    return false;
  }
  const char *type = nullptr;
  if (name && std::strstr(name, ".jpg")) type = "JPG";
  else if (name && std::strstr(name, ".tga")) type = "TGA";
  else if (name && std::strstr(name, ".png")) type = "PNG";
  int w = 0, h = 0;
  if (!platform::decodePicture(bytes, length, type, w, h, decoded_)) {
    decoded_.clear();
    return false;
  }
  // The raw picture block keeps sizes in signed 16-bit words.
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767) {
    if (w > 0 && h > 0) KMiscTools::messageBox("erreur", "Impossible to create  GWorld");
    decoded_.clear();
    return false;
  }
  decodedWidth_ = w;
  decodedHeight_ = h;
  return true;
}

// Copies the decoded picture into a raw picture block, bottom row first,
// applying the colour key; the decoded pixels are released.
unsigned char *KGraphicGL::blockFromDecoded(size_t &length) {
  length = 0;
  if (decoded_.empty()) return nullptr;
  const int w = decodedWidth_, h = decodedHeight_;
  const size_t size = kHeader + static_cast<size_t>(w) * h * 4;
  unsigned char *block = new (std::nothrow) unsigned char[size];
  if (!block) {
    KMiscTools::messageBox("out of memory (tmpBitmapBits)", "error");
    decoded_.clear();
    return nullptr;
  }
  std::memset(block, 0, kHeader);
  writeWord(block + 12, w);
  writeWord(block + 14, h);
  block[16] = 32;
  for (int j = 0; j < h; j++) {
    const unsigned char *src = &decoded_[static_cast<size_t>(h - 1 - j) * w * 4];
    unsigned char *dst = block + kHeader + static_cast<size_t>(j) * w * 4;
    for (int x = 0; x < w; x++, src += 4, dst += 4) {
      unsigned char a = src[0], r = src[1], g = src[2], b = src[3];
      if (colorKeyOn && r == colorKeyRed && g == colorKeyGreen && b == colorKeyBlue) a = 0;
      dst[0] = b;
      dst[1] = g;
      dst[2] = r;
      dst[3] = a;
    }
  }
  decoded_.clear();
  decoded_.shrink_to_fit();
  length = size;
  return block;
}

bool KGraphicGL::loadPictureWithMask(const char *fileName, const char *maskFileName, bool trueColor) {
  maskData = nullptr;
  freePicture();
  if (!fileName || !maskFileName) return false;
  char name[260];
  std::snprintf(name, sizeof name, "%s", maskFileName);
  size_t length = 0;
  unsigned char *mask = LoadGeneric(name, length);
  std::vector<unsigned char> maskBytes;
  if (mask) {
    maskWidth_ = readLE16(mask + 12);
    maskHeight_ = readLE16(mask + 14);
    maskBytes.resize(static_cast<size_t>(maskWidth_) * maskHeight_);
    for (int j = 0; j < maskHeight_; j++)
      for (int x = 0; x < maskWidth_; x++)
        maskBytes[x + static_cast<size_t>(maskWidth_) * j] =
            mask[kHeader + (static_cast<size_t>(j) * maskWidth_ + x) * 4];
    delete[] mask;
  }
  freePicture();
  std::snprintf(name, sizeof name, "%s", fileName);
  unsigned char *block = LoadGeneric(name, length);
  // A mask that failed to load, or is not the picture's size, is not used:
  // the picture keeps its own alpha.
  maskData = maskBytes.empty() ? nullptr : maskBytes.data();
  const bool built = buildGLTexture(block, length, trueColor, true);
  maskData = nullptr;
  return built;
}

bool KGraphicGL::loadPictureFromPtr(const char *name, unsigned char *bytes, unsigned long length, bool trueColor,
                                    bool hasAlpha) {
  maskData = nullptr;
  if (!LoadRamPicture(name, bytes, length)) return false;
  // The texture held before is released rather than leaked.
  freePicture();
  size_t blockLength = 0;
  unsigned char *block = blockFromDecoded(blockLength);
  return buildGLTexture(block, blockLength, trueColor, hasAlpha);
}

unsigned char *KGraphicGL::LoadTGA(const char *fileName, size_t &length) {
  length = 0;
  if (!fileName) return nullptr;
  FILE *f = std::fopen(fileName, "rb");
  if (!f) return nullptr;
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  if (size <= 0) {
    KMiscTools::messageBox("file is 0 byte", fileName);
    std::fclose(f);
    return nullptr;
  }
  if (static_cast<unsigned long>(size) > K_MAX_LOADED_BYTES) {
    KMiscTools::messageBox("Out of memory", fileName);
    std::fclose(f);
    return nullptr;
  }
  std::fseek(f, 0, SEEK_SET);
  unsigned char magic[4] = {};
  if (std::fread(magic, 1, 4, f) == 4 && std::memcmp(magic, "pihs", 4) == 0) size -= 4;
  else std::fseek(f, 0, SEEK_SET);
  unsigned char *block = new (std::nothrow) unsigned char[static_cast<size_t>(size)];
  if (!block) {
    KMiscTools::messageBox("Out of memory", fileName);
    std::fclose(f);
    return nullptr;
  }
  size_t got = std::fread(block, 1, static_cast<size_t>(size), f);
  std::fclose(f);
  if (got != static_cast<size_t>(size)) {
    KMiscTools::messageBox("Out of data to read", fileName);
    delete[] block;
    return nullptr;
  }
  length = static_cast<size_t>(size);
  return block;
}

bool KGraphicGL::makePictureFromArray(uint32_t *pixels, long w, long h, bool trueColor, bool byteSwap) {
  if (!pixels || w <= 0 || h <= 0 || w > 32767 || h > 32767) return false;
  const size_t count = static_cast<size_t>(w) * h;
  if (byteSwap)
    for (size_t i = 0; i < count; i++) pixels[i] = static_cast<uint32_t>(KMiscTools::flipLong(pixels[i]));
  if (colorKeyOn) {
    uint32_t key = colorKeyRed + colorKeyGreen * 256u + colorKeyBlue * 65536u;
    for (size_t i = 0; i < count; i++)
      if ((pixels[i] & 0xFFFFFF) == key) pixels[i] = 0;
  }
  freePicture();
  pixelArray = pixels;
  width = static_cast<float>(w);
  height = static_cast<float>(h);
  textureTarget = isSquarePow2(w, h) ? GL_TEXTURE_2D : GL_TEXTURE_RECTANGLE_EXT;
  textureWidth = width;
  textureHeight = height;
  glGenTextures(1, &textureName);
  appliedFilter_ = -1;
  videoBytes_ = 0;
  _oldBindedText = -1;
  vexo_glBindTexture();
  arrayTrueColor = trueColor;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(textureTarget, 0, trueColor ? GL_RGBA8 : GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  // The caller may change the array and poll it in again: opacity unknown.
  measureOpacity(nullptr, 0, 0, 0);
  setTextureQuality(_graphicQuality);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_T, GL_CLAMP);
  delete[] pixelBuffer;
  pixelBuffer = nullptr;
  return true;
}

void KGraphicGL::setColorKey(bool on, unsigned char red, unsigned char green, unsigned char blue) {
  colorKeyOn = on;
  colorKeyRed = red;
  colorKeyGreen = green;
  colorKeyBlue = blue;
}

void KGraphicGL::freePicture() {
  // The caller's array belongs to the picture replaced: pollArray must not
  // read it again.
  pixelArray = nullptr;
  if (width <= 0) return;
  glDeleteTextures(1, &textureName);
  if (static_cast<int32_t>(textureName) == _oldBindedText) _oldBindedText = -1;
  videoMemory -= videoBytes_;
  videoBytes_ = 0;
  width = 0;
  height = 0;
  appliedFilter_ = -1;
  measureOpacity(nullptr, 0, 0, 0);
}

float KGraphicGL::getWidth() { return width; }
float KGraphicGL::getHeight() { return height; }

// ---------------------------------------------------------------- textures

bool KGraphicGL::checkBlock(const unsigned char *block, size_t length, int &w, int &h) {
  w = h = 0;
  if (!block || length < kHeader) return false;
  w = static_cast<int16_t>(readLE16(block + 12));
  h = static_cast<int16_t>(readLE16(block + 14));
  const int bpp = block[16];
  // Only 24 and 32 bits a pixel can be read, and the header must not promise
  // more pixels than the block holds.
  if (w <= 0 || h <= 0 || (bpp != 24 && bpp != 32)) return false;
  return kHeader + static_cast<size_t>(w) * h * (bpp / 8) <= length;
}

bool KGraphicGL::buildGLTexture(unsigned char *block, size_t length, bool trueColor, bool hasAlpha) {
  if (!block) return false;
  int w, h;
  if (!checkBlock(block, length, w, h)) {
    delete[] block;
    return false;
  }
  const int bpp = block[16];
  glLoadIdentity();
  glFlush();
  width = static_cast<float>(w);
  height = static_cast<float>(h);
  textureWidth = width;
  textureHeight = height;
  pow2Size = powerOfTwoFor(w, h);
  glLoadIdentity();
  glGenTextures(1, &textureName);
  appliedFilter_ = -1;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  textureTarget = isSquarePow2(w, h) ? GL_TEXTURE_2D : GL_TEXTURE_RECTANGLE_EXT;
  if (textureTarget == GL_TEXTURE_2D) textureWidth = textureHeight = static_cast<float>(pow2Size);
  originX = readLE16(block + 8);
  originY = readLE16(block + 10);
  pow2SizeF = static_cast<float>(pow2Size);

  const size_t tw = static_cast<size_t>(textureWidth), th = static_cast<size_t>(textureHeight);
  pixelBuffer = new (std::nothrow) unsigned char[tw * th * 4]();
  if (!pixelBuffer) {
    delete[] block;
    glDeleteTextures(1, &textureName);
    width = height = 0;
    return false;
  }
  const bool useMask = maskData && maskWidth_ == w && maskHeight_ == h;
  const int bytes = bpp / 8;
  for (int j = 0; j < h; j++) {
    const unsigned char *src = block + kHeader + static_cast<size_t>(h - 1 - j) * w * bytes;
    const unsigned char *mask = useMask ? maskData + static_cast<size_t>(w) * (h - 1 - j) : nullptr;
    unsigned char *dst = pixelBuffer + static_cast<size_t>(j) * tw * 4;
    for (int x = 0; x < w; x++, src += bytes, dst += 4) {
      unsigned char b = src[0], g = src[1], r = src[2], a;
      if (bytes == 3) {
        a = mask ? mask[x] : 255;
        if (colorKeyOn && r == colorKeyRed && g == colorKeyGreen && b == colorKeyBlue) a = 0;
      } else {
        a = mask ? mask[x] : src[3];
        if (!hasAlpha) a = 255;
      }
      dst[0] = r;
      dst[1] = g;
      dst[2] = b;
      dst[3] = a;
    }
  }
  delete[] block;

  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  glEnable(textureTarget);
  glBindTexture(textureTarget, textureName);
  _oldBindedText = static_cast<int32_t>(textureName);
  GLint internal = trueColor ? (hasAlpha ? GL_RGBA8 : GL_RGB8) : (hasAlpha ? GL_RGBA : GL_RGB);
  glTexImage2D(textureTarget, 0, internal, static_cast<GLsizei>(tw), static_cast<GLsizei>(th), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, pixelBuffer);
  // Without an alpha channel the texture samples as opaque everywhere.
  measureOpacity(pixelBuffer, tw * 4, w, h, !hasAlpha);
  GLint wrap = textureTarget == GL_TEXTURE_2D && wrapAllowed ? GL_REPEAT : GL_CLAMP;
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_T, wrap);
  delete[] pixelBuffer;
  pixelBuffer = nullptr;
  videoBytes_ = static_cast<int>(tw * th * (screenDepth / 8));
  videoMemory += videoBytes_;
  setTextureQuality(smoothFilter);
  return true;
}

void KGraphicGL::applyFilter(bool smooth) {
  // Each texture remembers its filter; only a change is sent to OpenGL.
  int want = smooth ? 1 : 0;
  if (appliedFilter_ == want) return;
  GLint f = smooth ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(textureTarget, GL_TEXTURE_MAG_FILTER, f);
  glTexParameteri(textureTarget, GL_TEXTURE_MIN_FILTER, f);
  appliedFilter_ = want;
}

void KGraphicGL::setTextureQuality(bool smooth) {
  smoothFilter = smooth;
  if (width <= 0) return;
  vexo_glBindTexture();
  applyFilter(smooth);
}

void KGraphicGL::allowTextureWrap(bool allow) {
  wrapAllowed = allow;
  if (width <= 0) return;
  vexo_glBindTexture();
  GLint wrap = allow && textureTarget == GL_TEXTURE_2D ? GL_REPEAT : GL_CLAMP;
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_T, wrap);
}

unsigned int KGraphicGL::vexo_glBindTexture() {
  if (static_cast<int32_t>(textureName) == _oldBindedText) return textureName;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  glEnable(textureTarget);
  glBindTexture(textureTarget, textureName);
  _oldBindedText = static_cast<int32_t>(textureName);
  return textureName;
}

namespace {
// Blending as last sent to OpenGL, so that a run of blits sets it once:
// -1 where unknown.
struct BlendState {
  int on = -1;
  int source = -1, destination = -1;
  int alphaTest = -1;
};
BlendState gBlend;
// Tiles of the opacity table: 8x8 texels.
const int kTileShift = 3;
} // namespace

void KGraphicGL::vexo_glUnbindTexture() {
  _oldBindedText = -37;
  gBlend = BlendState();
}

void KGraphicGL::selectTexture() {
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, textureName);
  // Recorded, so that later blits bind correctly.
  _oldBindedText = textureTarget == GL_TEXTURE_2D ? static_cast<int32_t>(textureName) : -1;
}

// ---------------------------------------------------------------- drawing

// Blending with the picture's factors. Where a fragment of alpha 0 cannot
// change the destination (source factor alpha or zero, destination factor
// one minus alpha or one), such fragments are discarded before blending:
// the same picture, with much less filling on a software rasteriser.
void KGraphicGL::enableBlending() {
  if (gBlend.on != 1) glEnable(GL_BLEND);
  if (gBlend.source != srcBlend || gBlend.destination != dstBlend) glBlendFunc(srcBlend, dstBlend);
  const int noOp = (srcBlend == GL_SRC_ALPHA || srcBlend == GL_ZERO) &&
                   (dstBlend == GL_ONE_MINUS_SRC_ALPHA || dstBlend == GL_ONE);
  if (gBlend.alphaTest != noOp) {
    if (noOp) {
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GREATER, 0);
    } else {
      glDisable(GL_ALPHA_TEST);
    }
  }
  gBlend.on = 1;
  gBlend.source = srcBlend;
  gBlend.destination = dstBlend;
  gBlend.alphaTest = noOp;
}

void KGraphicGL::disableBlending() {
  if (gBlend.on != 0) glDisable(GL_BLEND);
  if (gBlend.alphaTest != 0) glDisable(GL_ALPHA_TEST);
  gBlend.on = 0;
  gBlend.alphaTest = 0;
}

void KGraphicGL::applyBlitColor(float alpha, float tintedAlpha) {
  if (tintOn) glColor4f(tintRed, tintGreen, tintBlue, tintedAlpha);
  else glColor4f(1, 1, 1, alpha);
}

void KGraphicGL::prepareBlit(float x1, float y1, float x2, float y2, float alpha, float tintedAlpha) {
  applyBlitColor(alpha, tintedAlpha);
  // Source alpha 1 everywhere with the usual factors gives the source itself.
  const bool usual = srcBlend == GL_SRC_ALPHA && dstBlend == GL_ONE_MINUS_SRC_ALPHA;
  if (usual && (tintOn ? tintedAlpha : alpha) >= 1 && opaqueArea(x1, y1, x2, y2)) disableBlending();
  else enableBlending();
}

void KGraphicGL::measureOpacity(const unsigned char *rgba, size_t stride, int w, int h, bool opaque) {
  translucentTiles_.clear();
  tileColumns_ = tileRows_ = 0;
  if ((!rgba && !opaque) || w <= 0 || h <= 0) return;
  const int columns = (w + 7) >> kTileShift, rows = (h + 7) >> kTileShift;
  std::vector<uint32_t> table(static_cast<size_t>(columns + 1) * (rows + 1), 0);
  if (!opaque) {
    std::vector<uint8_t> translucent(static_cast<size_t>(columns) * rows, 0);
    for (int y = 0; y < h; y++) {
      const unsigned char *p = rgba + static_cast<size_t>(y) * stride;
      for (int x = 0; x < w; x++)
        if (p[x * 4 + 3] != 255) translucent[static_cast<size_t>(y >> kTileShift) * columns + (x >> kTileShift)] = 1;
    }
    for (int r = 0; r < rows; r++)
      for (int c = 0; c < columns; c++)
        table[static_cast<size_t>(r + 1) * (columns + 1) + c + 1] =
            translucent[static_cast<size_t>(r) * columns + c] + table[static_cast<size_t>(r) * (columns + 1) + c + 1] +
            table[static_cast<size_t>(r + 1) * (columns + 1) + c] - table[static_cast<size_t>(r) * (columns + 1) + c];
  }
  translucentTiles_.swap(table);
  tileColumns_ = columns;
  tileRows_ = rows;
}

bool KGraphicGL::opaqueArea(float x1, float y1, float x2, float y2) const {
  if (translucentTiles_.empty()) return false;
  int left = static_cast<int>(std::floor(std::min(x1, x2))), right = static_cast<int>(std::ceil(std::max(x1, x2)));
  int top = static_cast<int>(std::floor(std::min(y1, y2))), bottom = static_cast<int>(std::ceil(std::max(y1, y2)));
  // A smooth filter also samples the texels around the edge.
  if (smoothFilter) left--, top--, right++, bottom++;
  // Texels outside the picture are transparent (or the clamp's border).
  if (left < 0 || top < 0 || right > static_cast<int>(width) || bottom > static_cast<int>(height) || left >= right ||
      top >= bottom)
    return false;
  const int c1 = left >> kTileShift, c2 = ((right - 1) >> kTileShift) + 1;
  const int r1 = top >> kTileShift, r2 = ((bottom - 1) >> kTileShift) + 1;
  const size_t stride = static_cast<size_t>(tileColumns_) + 1;
  const uint32_t count = translucentTiles_[r2 * stride + c2] - translucentTiles_[r1 * stride + c2] -
                         translucentTiles_[r2 * stride + c1] + translucentTiles_[r1 * stride + c1];
  return count == 0;
}

void KGraphicGL::setScreenSize(short w, short h, short depth) {
  screenWidth = w;
  screenHeight = h;
  screenDepth = depth;
  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_FLAT);
}

void KGraphicGL::texCoord(float s, float t) {
  if (textureTarget == GL_TEXTURE_2D) glTexCoord2f(s / textureWidth, t / textureHeight);
  else glTexCoord2f(s, t);
}

// One textured quad with whole-pixel corners; (X, Y) is its top-left corner
// in OpenGL's upward coordinates.
void KGraphicGL::GenericBlit(float x1, float y1, float x2, float y2, int X, int Y, bool flipX, bool flipY) {
  vexo_glBindTexture();
  // Whole pixels: the size is truncated like the corner (small whole numbers
  // are exact as floats).
  const int w = static_cast<int>(x2 - x1), h = static_cast<int>(y2 - y1);
  GenericBlitF(x1, y1, x2, y2, static_cast<float>(X), static_cast<float>(Y), static_cast<float>(w),
               static_cast<float>(h), flipX, flipY);
}

void KGraphicGL::GenericBlitF(float x1, float y1, float x2, float y2, float X, float Y, float w, float h, bool flipX,
                              bool flipY) {
  float sl = flipX ? x2 : x1, sr = flipX ? x1 : x2;
  float tt = flipY ? y2 : y1, tb = flipY ? y1 : y2;
  glBegin(GL_QUADS);
  texCoord(sl, tt);
  glVertex2f(X, Y);
  texCoord(sl, tb);
  glVertex2f(X, Y - h);
  texCoord(sr, tb);
  glVertex2f(X + w, Y - h);
  texCoord(sr, tt);
  glVertex2f(X + w, Y);
  glEnd();
}

void KGraphicGL::genericStretchBlit(float x1, float y1, float x2, float y2, float X1, float Y1, float X2, float Y2,
                                    bool flipX, bool flipY) {
  vexo_glBindTexture();
  float sl = flipX ? x2 : x1, sr = flipX ? x1 : x2;
  float tt = flipY ? y2 : y1, tb = flipY ? y1 : y2;
  int ix1 = static_cast<int>(X1), iy1 = static_cast<int>(Y1), ix2 = static_cast<int>(X2), iy2 = static_cast<int>(Y2);
  glBegin(GL_QUADS);
  texCoord(sl, tt);
  glVertex2i(ix1, iy1);
  texCoord(sl, tb);
  glVertex2i(ix1, iy2);
  texCoord(sr, tb);
  glVertex2i(ix2, iy2);
  texCoord(sr, tt);
  glVertex2i(ix2, iy1);
  glEnd();
}

void KGraphicGL::setBlitColor(float r, float g, float b, float a) {
  auto clamp = [](float v) { return v >= 1 ? 1.0f : v <= 0 ? 0.0f : v; };
  r = clamp(r);
  g = clamp(g);
  b = clamp(b);
  a = clamp(a);
  tintOn = !(r == 1 && g == 1 && b == 1 && a == 1);
  tintRed = r;
  tintGreen = g;
  tintBlue = b;
  tintAlpha = a;
}

void KGraphicGL::setAlphaMode(long mode) {
  switch (mode) {
  case 0: srcBlend = GL_SRC_ALPHA; dstBlend = GL_DST_ALPHA; break;
  case 1: srcBlend = GL_SRC_ALPHA; dstBlend = GL_ONE_MINUS_SRC_ALPHA; break;
  case 2: srcBlend = GL_ONE; dstBlend = GL_ONE_MINUS_SRC_ALPHA; break;
  case 3: srcBlend = GL_ZERO; dstBlend = GL_ONE_MINUS_SRC_ALPHA; break;
  case 4: srcBlend = GL_SRC_ALPHA; dstBlend = GL_ONE; break;
  default: break;
  }
}

void KGraphicGL::setAlphaMode(long srcFactor, long dstFactor) {
  srcBlend = static_cast<unsigned short>(srcFactor);
  dstBlend = static_cast<unsigned short>(dstFactor);
}

void KGraphicGL::setHotSpot(short a, short b, short c, short d, short e, short f) {
  hotSpot[0] = a;
  hotSpot[1] = b;
  hotSpot[2] = c;
  hotSpot[3] = d;
  hotSpot[4] = e;
  hotSpot[5] = f;
}

void KGraphicGL::blitRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX, bool flipY) {
  disableBlending();
  GenericBlit(x1, y1, x2, y2, destX, toShort(static_cast<float>(screenHeight - destY)), flipX, flipY);
}

void KGraphicGL::blitRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX, bool flipY) {
  disableBlending();
  vexo_glBindTexture();
  GenericBlitF(x1, y1, x2, y2, destX, screenHeight - destY, x2 - x1, y2 - y1, flipX, flipY);
}

void KGraphicGL::blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX,
                               bool flipY) {
  setTextureQuality(smoothFilter);
  prepareBlit(x1, y1, x2, y2, 1, tintAlpha);
  GenericBlit(x1, y1, x2, y2, destX, toShort(static_cast<float>(screenHeight - destY)), flipX, flipY);
}

void KGraphicGL::blitAlphaRect() {
  prepareBlit(0, 0, width, height, 1, tintAlpha);
  GenericBlit(0, 0, width, height, static_cast<int>(originX), screenHeight - static_cast<int>(originY), false, false);
}

void KGraphicGL::blitAlphaRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX,
                                bool flipY) {
  prepareBlit(x1, y1, x2, y2, 1, tintAlpha);
  vexo_glBindTexture();
  GenericBlitF(x1, y1, x2, y2, destX, screenHeight - destY, x2 - x1, y2 - y1, flipX, flipY);
}

// The turned and zoomed family: with `fractional` the pivot offsets are not
// truncated, with `alwaysTransform` the transform runs even at angle 0, zoom 1.
void KGraphicGL::blitFx(float x1, float y1, float x2, float y2, float destX, float destY, float angle, float zoom,
                        const FxColor &color, bool flipX, bool flipY, float cx, float cy, bool fractional,
                        bool alwaysTransform) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  const float Y0 = fractional ? screenHeight - destY : static_cast<float>(toShort(screenHeight - destY));
  const bool transform = alwaysTransform || angle != 0 || zoom != 1;
  if (transform) {
    glTranslatef(destX + cx, Y0 - cy, 0);
    if (angle != 0 || alwaysTransform) glRotatef(angle, 0, 0, 1);
    if (zoom != 1 || alwaysTransform) glScalef(zoom, zoom, 1);
  }
  if (color.blending) {
    if (!fractional) setTextureQuality(smoothFilter);
    prepareBlit(x1, y1, x2, y2, color.alpha, color.tintedAlpha);
  } else {
    disableBlending();
  }
  vexo_glBindTexture();
  glPushMatrix();
  if (fractional) {
    if (transform) GenericBlitF(x1, y1, x2, y2, -cx, cy, x2 - x1, y2 - y1, flipX, flipY);
    else GenericBlitF(x1, y1, x2, y2, destX, Y0, x2 - x1, y2 - y1, flipX, flipY);
  } else {
    if (transform) GenericBlit(x1, y1, x2, y2, static_cast<int>(-cx), static_cast<int>(cy), flipX, flipY);
    else GenericBlit(x1, y1, x2, y2, static_cast<int>(destX), static_cast<int>(Y0), flipX, flipY);
  }
  glPopMatrix();
  if (color.blending) glColor4f(1, 1, 1, 1);
  glPopMatrix();
}

void KGraphicGL::blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle,
                                 float zoom, float blend, bool flipX, bool flipY, float centerX, float centerY) {
  if (zoom == 0 || blend <= 0) return;
  blitFx(x1, y1, x2, y2, destX, destY, angle, zoom, {true, blend, blend * tintAlpha}, flipX, flipY,
         centerX + (x2 - x1) * 0.5f, centerY + (y2 - y1) * 0.5f, false, false);
}

void KGraphicGL::blitAlphaRectFxF(float x1, float y1, float x2, float y2, float destX, float destY, float angle,
                                  float zoom, float blend, bool flipX, bool flipY, float centerX, float centerY) {
  if (zoom == 0 || blend <= 0) return;
  blitFx(x1, y1, x2, y2, destX, destY, angle, zoom, {true, blend, blend * tintAlpha}, flipX, flipY,
         centerX + (x2 - x1) * 0.5f, centerY + (y2 - y1) * 0.5f, true, false);
}

void KGraphicGL::blitRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                            bool flipX, bool flipY, float centerX, float centerY) {
  if (zoom == 0) return;
  blitFx(x1, y1, x2, y2, destX, destY, angle, zoom, {false, 1, 1}, flipX, flipY, centerX + (x2 - x1) * 0.5f,
         centerY + (y2 - y1) * 0.5f, false, true);
}

void KGraphicGL::blitRectFxF(float x1, float y1, float x2, float y2, float destX, float destY, float angle,
                             float zoom, bool flipX, bool flipY, float centerX, float centerY) {
  if (zoom == 0) return;
  blitFx(x1, y1, x2, y2, destX, destY, angle, zoom, {false, 1, 1}, flipX, flipY, centerX + (x2 - x1) * 0.5f,
         centerY + (y2 - y1) * 0.5f, true, true);
}

void KGraphicGL::blitAlphaRectFxCenterAdjust(float x1, float y1, float x2, float y2, short destX, short destY,
                                             float angle, float zoom, float blend, bool centerAcross,
                                             bool centerDown) {
  if (zoom == 0 || blend <= 0) return;
  // The tint keeps its own alpha here: the blend fades only an untinted blit.
  blitFx(x1, y1, x2, y2, destX, destY, angle, zoom, {true, blend, tintAlpha}, false, false,
         centerAcross ? (x2 - x1) * 0.5f : 0, centerDown ? (y2 - y1) * 0.5f : 0, false, false);
}

void KGraphicGL::stretchAlphaRect(float x1, float y1, float x2, float y2, float destX1, float destY1, float destX2,
                                  float destY2, float blend, float angle, bool flipX, bool flipY) {
  prepareBlit(x1, y1, x2, y2, blend >= 0 ? blend : 1, blend * tintAlpha);
  const float X1 = destX1, Y1 = screenHeight - destY1, X2 = destX2, Y2 = screenHeight - destY2;
  if (angle != 0) {
    const int w = static_cast<int>(X2 - X1), h = static_cast<int>(Y1 - Y2);
    const int u = w / 2, f = h / 2;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(static_cast<float>(static_cast<int>(X1) + u), static_cast<float>(static_cast<int>(Y1) - f), 0);
    glRotatef(angle, 0, 0, 1);
    genericStretchBlit(x1, y1, x2, y2, static_cast<float>(-u), static_cast<float>(f), static_cast<float>(w - u),
                       static_cast<float>(f - h), flipX, flipY);
    glPopMatrix();
  } else {
    genericStretchBlit(x1, y1, x2, y2, X1, Y1, X2, Y2, flipX, flipY);
  }
  glColor4f(1, 1, 1, 1);
}

void KGraphicGL::blitTiledRect(short destX, short destY, short w, short h, float repeat, float angle) {
  disableBlending();
  vexo_glBindTexture();
  const int hw = w / 2, hh = h / 2;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glTranslatef(static_cast<float>(destX + hw), static_cast<float>(screenHeight - destY - hh), 0);
  glRotatef(angle, 0, 0, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(repeat, repeat);
  glVertex2i(-hw, hh);
  glTexCoord2f(repeat, 0);
  glVertex2i(-hw, hh - h);
  glTexCoord2f(0, 0);
  glVertex2i(w - hw, hh - h);
  glTexCoord2f(0, repeat);
  glVertex2i(w - hw, hh);
  glEnd();
  glPopMatrix();
}

void KGraphicGL::blitArbitraryQuad(float sx1, float sy1, float sx2, float sy2, float sx3, float sy3, float sx4,
                                   float sy4, float dx1, float dy1, float dx2, float dy2, float dx3, float dy3,
                                   float dx4, float dy4) {
  enableBlending();
  applyBlitColor(1, tintAlpha);
  vexo_glBindTexture();
  glDisable(textureTarget == GL_TEXTURE_2D ? GL_TEXTURE_RECTANGLE_EXT : GL_TEXTURE_2D);
  glEnable(textureTarget);
  const float s[4][2] = {{sx1, sy1}, {sx2, sy2}, {sx3, sy3}, {sx4, sy4}};
  const float d[4][2] = {{dx1, dy1}, {dx2, dy2}, {dx3, dy3}, {dx4, dy4}};
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; i++) {
    texCoord(s[i][0], s[i][1]);
    glVertex2i(static_cast<int>(d[i][0]), static_cast<int>(screenHeight - d[i][1]));
  }
  glEnd();
}

void KGraphicGL::drawRect(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  if (a != 1) {
    enableBlending();
    glColor4f(r, g, b, a);
  } else {
    disableBlending();
    glColor3f(r, g, b);
  }
  const int X1 = static_cast<int>(x1), X2 = static_cast<int>(x2);
  const int Y1 = static_cast<int>(screenHeight - y1), Y2 = static_cast<int>(screenHeight - y2);
  glBegin(GL_QUADS);
  glVertex2i(X1, Y1);
  glVertex2i(X2, Y1);
  glVertex2i(X2, Y2);
  glVertex2i(X1, Y2);
  glEnd();
  _oldBindedText = -1;
  disableBlending();
  glColor4f(1, 1, 1, 1);
}

void KGraphicGL::setLineWidth(short w) { glLineWidth(w); }

void KGraphicGL::drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float alphaStart,
                          float alphaEnd) {
  enableBlending();
  glShadeModel(GL_SMOOTH);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  glBegin(GL_LINES);
  glColor4f(r, g, b, alphaStart);
  glVertex2i(toShort(x1), toShort(screenHeight - y1));
  glColor4f(r, g, b, alphaEnd);
  glVertex2i(toShort(x2), toShort(screenHeight - y2));
  glEnd();
  _oldBindedText = -1;
  glShadeModel(GL_FLAT);
  glColor4f(1, 1, 1, 1);
}

void KGraphicGL::plotPixel(float x, float y, float r, float g, float b, float a) { drawLine(x, y, x + 1, y, r, g, b, a, a); }

// ---------------------------------------------------------------- grabs

bool KGraphicGL::grab(bool back, void (*pixelCallback)(long, long, long *, long *, long *)) {
  const int W = screenWidth, H = screenHeight;
  if (W <= 0 || H <= 0) return false;
  const unsigned int P = powerOfTwoFor(W, H);
  const bool rect = KWindowGL::hasRectangleText;
  const size_t tw = rect ? W : P, th = rect ? H : P;
  std::vector<unsigned char> readBuffer, textureBuffer;
  try {
    readBuffer.resize(static_cast<size_t>(W) * H * 4);
    textureBuffer.assign(tw * th * 4, 0);
  } catch (const std::bad_alloc &) {
    return false;
  }
  const int bottom = platform::selectReadBuffer(!back);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, bottom, W, H, GL_RGBA, GL_UNSIGNED_BYTE, readBuffer.data());
  platform::endRead();
  for (int y = 0; y < H; y++) {
    const unsigned char *src = &readBuffer[static_cast<size_t>(H - 1 - y) * W * 4];
    unsigned char *dst = &textureBuffer[static_cast<size_t>(y) * tw * 4];
    for (int x = 0; x < W; x++) {
      long r = src[x * 4], g = src[x * 4 + 1], b = src[x * 4 + 2];
      if (pixelCallback) pixelCallback(x, y, &r, &g, &b);
      dst[x * 4] = static_cast<unsigned char>(r & 0xFF);
      dst[x * 4 + 1] = static_cast<unsigned char>(g & 0xFF);
      dst[x * 4 + 2] = static_cast<unsigned char>(b & 0xFF);
    }
  }
  // The texture held before is released, not leaked.
  freePicture();
  textureTarget = rect ? GL_TEXTURE_RECTANGLE_EXT : GL_TEXTURE_2D;
  textureWidth = static_cast<float>(tw);
  textureHeight = static_cast<float>(th);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  glEnable(textureTarget);
  glLoadIdentity();
  glGenTextures(1, &textureName);
  glBindTexture(textureTarget, textureName);
  _oldBindedText = static_cast<int32_t>(textureName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(textureTarget, 0, GL_RGB, static_cast<GLsizei>(tw), static_cast<GLsizei>(th), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, textureBuffer.data());
  measureOpacity(nullptr, 0, W, H, true);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_T, GL_CLAMP);
  // The grab is complete at once: its filter is set here, not at the first blit.
  appliedFilter_ = -1;
  applyFilter(smoothFilter);
  width = static_cast<float>(W);
  height = static_cast<float>(H);
  pow2SizeF = static_cast<float>(P);
  videoBytes_ = static_cast<int>(tw * th * (screenDepth / 8));
  videoMemory += videoBytes_;
  return true;
}

bool KGraphicGL::grabBackBuffer(void (*pixelCallback)(long x, long y, long *r, long *g, long *b)) {
  return grab(true, pixelCallback);
}

bool KGraphicGL::grabFrontBuffer() { return grab(false, nullptr); }

void KGraphicGL::blitFromBackToBack(short, short, short, short, short, short) {}

void KGraphicGL::pollArray() {
  if (!pixelArray || width <= 0) return;
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_RECTANGLE_EXT);
  glEnable(textureTarget);
  _oldBindedText = -1;
  vexo_glBindTexture();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(textureTarget, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA,
                  GL_UNSIGNED_BYTE, pixelArray);
}
