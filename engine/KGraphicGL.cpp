#include "KGraphicGL.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "ByteOrder.h"
#include "KMiscTools.h"
#include "KResource.h"
#include "Matrix4.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "ShownFrame.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"

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
bool isPow2Sides(int w, int h) { return w >= 4 && h >= 4 && (w & (w - 1)) == 0 && (h & (h - 1)) == 0; }

// Whole numbers of the game's coordinates are 16 bits.
inline int toShort(float v) { return static_cast<short>(static_cast<int>(v)); }

// The colour OpenGL's fixed pipeline kept between drawing calls: the blits
// that set none draw with what the last operation left.
struct Colour {
  float r, g, b, a;
};
// The pictures' shared state (beside the class-wide members).
struct GraphicContext {
  Colour currentColour = {1, 1, 1, 1};
  KGraphicGL *pictures = nullptr; // every picture, newest first (remakeTextures)
};
GraphicContext graphic_;
const Colour kWhite = {1, 1, 1, 1};

float clamp01(float v) { return v >= 1 ? 1.0f : v <= 0 ? 0.0f : v; }
bool isWhite(const Colour &c) { return c.r == 1 && c.g == 1 && c.b == 1 && c.a == 1; }
// A colour as the pipeline used it: each part within 0..1.
Colour clamped(float r, float g, float b, float a) { return {clamp01(r), clamp01(g), clamp01(b), clamp01(a)}; }

// Tiles of the opacity table: 8x8 texels.
const int kTileShift = 3;
// An opaque blit smaller than this joins a run of blended blits rather
// than being drawn apart unblended: a draw call costs about what blending
// so many pixels does on a software rasteriser.
const float kOpaquePixelsWorthACall = 128 * 128;

// Where a blit's corners go: zoomed and turned by an angle about the
// origin, then moved; nowhere else when `on` is false.
struct Turn {
  bool on = false;
  float moveX = 0, moveY = 0, sine = 0, cosine = 1, zoom = 1;
  void apply(float x, float y, float &outX, float &outY) const {
    if (!on) {
      outX = x;
      outY = y;
      return;
    }
    const float zx = x * zoom, zy = y * zoom;
    outX = cosine * zx - sine * zy + moveX;
    outY = sine * zx + cosine * zy + moveY;
  }
};
Turn turned(float moveX, float moveY, float angle, float zoom) {
  Turn p;
  p.on = true;
  p.moveX = moveX;
  p.moveY = moveY;
  p.zoom = zoom;
  if (angle != 0) Matrix4::sinCos(angle, p.sine, p.cosine);
  return p;
}
} // namespace

KGraphicGL::KGraphicGL()
    : textureName(0), pow2Size(0), pixelBuffer(nullptr), srcBlend(GL_SRC_ALPHA), dstBlend(GL_ONE_MINUS_SRC_ALPHA),
      textureTarget(GL_TEXTURE_2D), colorKeyOn(false), colorKeyRed(0), colorKeyGreen(0), colorKeyBlue(0),
      wrapAllowed(false), tintOn(false), tintRed(1), tintGreen(1), tintBlue(1), tintAlpha(1), maskData(nullptr),
      pow2SizeF(0), width(0), height(0), textureWidth(0), textureHeight(0), originX(0), originY(0), hotSpot{},
      smoothFilter(false), pixelArray(nullptr), arrayTrueColor(false), decodedWidth_(0), decodedHeight_(0),
      maskWidth_(0), maskHeight_(0), videoBytes_(0), tileColumns_(0), tileRows_(0) {
  textBuffer[0] = 0;
  next_ = graphic_.pictures;
  if (next_) next_->previous_ = this;
  graphic_.pictures = this;
  if (screenWidth == 0)
    KMiscTools::report(K_REPORT_ERROR, "Screen Dimensions not specified, you will not see anything",
                       "KGraphicGL::SetScreenSize Not Called!", "a picture was made before the window");
}

KGraphicGL::~KGraphicGL() {
  delete[] pixelBuffer;
  pixelBuffer = nullptr;
  freePicture();
  if (previous_) previous_->next_ = next_;
  else graphic_.pictures = next_;
  if (next_) next_->previous_ = previous_;
}

// ---------------------------------------------------------------- loading

bool KGraphicGL::loadPicture(const char *fileName, bool trueColor, bool hasAlpha) {
  maskData = nullptr;
  freePicture();
  if (!fileName) return false;
  char name[260];
  std::snprintf(name, sizeof name, "%s", fileName);
  std::snprintf(textBuffer, sizeof textBuffer, "%s", fileName);
  size_t length = 0;
  unsigned char *block = LoadGeneric(name, length);
  (void)trueColor; // see makeTexture
  if (!buildTexture(block, length, hasAlpha, Source::File)) return false;
  sourceFile_ = fileName;
  return true;
}

unsigned char *KGraphicGL::LoadGeneric(char *fileName, size_t &length) {
  length = 0;
  if (!decodeFile(fileName)) return nullptr;
  return blockFromDecoded(length, colourKey());
}

bool KGraphicGL::decodeFile(char *fileName) {
  decoded_.clear();
  if (!fileName) return false;
  KMiscTools::lowerDataFileName(fileName);
  KResource res;
  const char *unread = nullptr;
  int size = 0;
  if (res.open(fileName, K_RES_READ) != 0) unread = "no such file, or it cannot be opened";
  else if (res.seek(K_RES_END, 0) != 0 || res.tell(size) != 0 || size <= 0) unread = "it is empty or cannot be measured";
  else if (static_cast<unsigned long>(size) > K_MAX_LOADED_BYTES) unread = "it is larger than a picture file may be";
  if (unread) {
    KMiscTools::report(K_REPORT_WARNING, "could not read picture", fileName, unread);
    return false;
  }
  res.seek(K_RES_BEGIN, 0);
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  if (res.read(bytes.data(), bytes.size()) != 0) {
    KMiscTools::report(K_REPORT_WARNING, "could not read picture", fileName, "it ended before its length");
    return false;
  }
  res.close();
  if (!LoadRamPicture(fileName, bytes.data(), bytes.size())) {
    decoded_.clear();
    return false;
  }
  return true;
}

bool KGraphicGL::LoadRamPicture(const char *name, const unsigned char *bytes, unsigned long length) {
  decoded_.clear();
  if (!bytes || length == 0) {
    KMiscTools::report(K_REPORT_ERROR, " hImageDF == 0 ", name, "no bytes to decode");
    return false;
  }
  const char *type = nullptr;
  if (name && std::strstr(name, ".jpg")) type = "JPG";
  else if (name && std::strstr(name, ".tga")) type = "TGA";
  else if (name && std::strstr(name, ".png")) type = "PNG";
  int w = 0, h = 0;
  if (!platform::decodePictureBlock(bytes, length, type, w, h, decoded_, name ? name : "")) {
    decoded_.clear();
    return false;
  }
  // The raw picture block keeps sizes in signed 16-bit words.
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767) {
    if (w > 0 && h > 0)
      KMiscTools::report(K_REPORT_ERROR, "erreur", "Impossible to create  GWorld", "a side is larger than 32767 pixels");
    decoded_.clear();
    return false;
  }
  decodedWidth_ = w;
  decodedHeight_ = h;
  return true;
}

// Copies the decoded picture into a raw picture block, bottom row first,
// applying the colour key; the decoded pixels are released.
unsigned char *KGraphicGL::blockFromDecoded(size_t &length, const ColourKey &key) {
  length = 0;
  if (decoded_.empty()) return nullptr;
  const int w = decodedWidth_, h = decodedHeight_;
  const size_t size = kHeader + static_cast<size_t>(w) * h * 4;
  unsigned char *block = new (std::nothrow) unsigned char[size];
  if (!block) {
    KMiscTools::report(K_REPORT_ERROR, "out of memory (tmpBitmapBits)", "error", "no memory for the picture's pixels");
    decoded_.clear();
    return nullptr;
  }
  std::memset(block, 0, kHeader);
  writeWord(block + 12, w);
  writeWord(block + 14, h);
  block[16] = 32;
  // The decoded pixels are in the block's order already; the key is applied.
  std::memcpy(block + kHeader, decoded_.data(), decoded_.size());
  if (key.on)
    for (unsigned char *p = block + kHeader, *end = block + size; p < end; p += 4)
      if (p[2] == key.red && p[1] == key.green && p[0] == key.blue) p[3] = 0;
  decoded_.clear();
  decoded_.shrink_to_fit();
  length = size;
  return block;
}

std::vector<unsigned char> KGraphicGL::readMask(const char *maskFileName, int &maskWidth, int &maskHeight) {
  maskWidth = maskHeight = 0;
  char name[260];
  std::snprintf(name, sizeof name, "%s", maskFileName);
  size_t length = 0;
  unsigned char *mask = LoadGeneric(name, length);
  std::vector<unsigned char> bytes;
  if (!mask) return bytes;
  maskWidth = readLE16(mask + 12);
  maskHeight = readLE16(mask + 14);
  bytes.resize(static_cast<size_t>(maskWidth) * maskHeight);
  for (int j = 0; j < maskHeight; j++)
    for (int x = 0; x < maskWidth; x++)
      bytes[x + static_cast<size_t>(maskWidth) * j] = mask[kHeader + (static_cast<size_t>(j) * maskWidth + x) * 4];
  delete[] mask;
  return bytes;
}

bool KGraphicGL::loadPictureWithMask(const char *fileName, const char *maskFileName, bool trueColor) {
  (void)trueColor; // see makeTexture
  maskData = nullptr;
  freePicture();
  if (!fileName || !maskFileName) return true;
  std::vector<unsigned char> maskBytes = readMask(maskFileName, maskWidth_, maskHeight_);
  char name[260];
  std::snprintf(name, sizeof name, "%s", fileName);
  std::snprintf(textBuffer, sizeof textBuffer, "%s", fileName);
  size_t length = 0;
  unsigned char *block = LoadGeneric(name, length);
  // A mask that failed to load, or is not the picture's size, is not used:
  // the picture keeps its own alpha.
  maskData = maskBytes.empty() ? nullptr : maskBytes.data();
  if (buildTexture(block, length, true, Source::File)) {
    sourceFile_ = fileName;
    sourceMask_ = maskFileName;
  }
  maskData = nullptr;
  // True whatever the build gave: getWidth() is 0 when nothing was loaded.
  return true;
}

bool KGraphicGL::loadPictureFromPtr(const char *name, unsigned char *bytes, unsigned long length, bool trueColor,
                                    bool hasAlpha) {
  maskData = nullptr;
  std::snprintf(textBuffer, sizeof textBuffer, "%s", name ? name : "");
  if (!LoadRamPicture(name, bytes, length)) return false;
  // The texture held before is released rather than leaked.
  freePicture();
  size_t blockLength = 0;
  unsigned char *block = blockFromDecoded(blockLength, colourKey());
  (void)trueColor; // see makeTexture
  if (!buildTexture(block, blockLength, hasAlpha, Source::Bytes)) return false;
  // The caller's bytes are the caller's: a copy is kept to decode again.
  try {
    sourceBytes_.assign(bytes, bytes + length);
    sourceFile_ = name ? name : "";
  } catch (const std::bad_alloc &) {
    source_ = Source::None;
    KMiscTools::report(K_REPORT_WARNING, "picture not kept to be made again", textBuffer,
                       "no memory for a copy of its bytes: it is drawn transparent if the drawing context is lost");
  }
  return true;
}

unsigned char *KGraphicGL::LoadTGA(const char *fileName, size_t &length) {
  length = 0;
  if (!fileName) return nullptr;
  FILE *f = std::fopen(fileName, "rb");
  if (!f) return nullptr;
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  if (size <= 0) {
    KMiscTools::report(K_REPORT_ERROR, "file is 0 byte", fileName, "an empty file holds no picture");
    std::fclose(f);
    return nullptr;
  }
  if (static_cast<unsigned long>(size) > K_MAX_LOADED_BYTES) {
    KMiscTools::report(K_REPORT_ERROR, "Out of memory", fileName, "it is larger than a picture file may be");
    std::fclose(f);
    return nullptr;
  }
  std::fseek(f, 0, SEEK_SET);
  unsigned char magic[4] = {};
  if (std::fread(magic, 1, 4, f) == 4 && std::memcmp(magic, "pihs", 4) == 0) size -= 4;
  else std::fseek(f, 0, SEEK_SET);
  unsigned char *block = new (std::nothrow) unsigned char[static_cast<size_t>(size)];
  if (!block) {
    KMiscTools::report(K_REPORT_ERROR, "Out of memory", fileName, "no memory for the file");
    std::fclose(f);
    return nullptr;
  }
  size_t got = std::fread(block, 1, static_cast<size_t>(size), f);
  std::fclose(f);
  if (got != static_cast<size_t>(size)) {
    KMiscTools::report(K_REPORT_ERROR, "Out of data to read", fileName, "it ended before its length");
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
  source_ = Source::Array;
  width = static_cast<float>(w);
  height = static_cast<float>(h);
  textureTarget = static_cast<int32_t>(targetFor(w, h));
  textureWidth = width;
  textureHeight = height;
  videoBytes_ = 0;
  arrayTrueColor = trueColor;
  smoothFilter = _graphicQuality;
  const bool bgra = batch::bgraTextures();
  makeTexture(bgra ? arrayAsBGRA().data() : reinterpret_cast<const unsigned char *>(pixels), bgra, false);
  // The caller may change the array and poll it in again: opacity unknown.
  measureOpacity(nullptr, 0, 0, 0);
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
  source_ = Source::None;
  sourceFile_.clear();
  sourceMask_.clear();
  std::vector<unsigned char>().swap(sourceBytes_);
  if (width <= 0) return;
  batch::deletingTexture(textureName);
  glDeleteTextures(1, &textureName);
  if (static_cast<int32_t>(textureName) == _oldBindedText) _oldBindedText = -1;
  videoMemory -= videoBytes_;
  videoBytes_ = 0;
  width = 0;
  height = 0;
  measureOpacity(nullptr, 0, 0, 0);
}

float KGraphicGL::getWidth() { return width; }
float KGraphicGL::getHeight() { return height; }

// ---------------------------------------------------------------- textures

namespace {
// A texture build, an array picture, a grab and pollArray reset the current
// matrix, the world view's model-view: a picture made in the middle of a
// frame drops the world view's turn until the window sets it again.
void resetCurrentMatrix() { batch::setView(batch::projection(), Matrix4::identity()); }
} // namespace

uint32_t KGraphicGL::targetFor(int w, int h) {
  // Sides of powers of two make a 2D texture, square or not (a sheet twice
  // as tall as wide): read through normalised coordinates, a smooth blit
  // from it gives the same pixels as from a square one, and as on ES.
  if (isPow2Sides(w, h)) return GL_TEXTURE_2D;
  // Where the context has no rectangle textures (OpenGL ES, WebGL), a 2D
  // texture of exactly the picture's size, clamped and without mipmaps,
  // stands in: its coordinates are normalised like a square one's.
  return batch::rectangleTextures() ? kRectangleTexture : GL_TEXTURE_2D;
}

bool KGraphicGL::canRepeat() const {
  return wrapAllowed && textureTarget == GL_TEXTURE_2D &&
         isSquarePow2(static_cast<int>(textureWidth), static_cast<int>(textureHeight));
}

void KGraphicGL::makeTexture(const unsigned char *texels, bool bgra, bool repeat) {
  const GLsizei tw = static_cast<GLsizei>(textureWidth), th = static_cast<GLsizei>(textureHeight);
  glGenTextures(1, &textureName);
  batch::bindForChange(textureTarget, textureName);
  _oldBindedText = static_cast<int32_t>(textureName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // OpenGL ES takes only unsized formats, and the same format as the
  // texels'; every driver here gives them 8 bits a channel, as trueColor asks.
  const GLenum format = bgra ? batch::kBGRA : GL_RGBA;
  glTexImage2D(textureTarget, 0, batch::isES() ? format : GL_RGBA, tw, th, 0, format, GL_UNSIGNED_BYTE, texels);
  const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  repeats_ = repeat;
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_T, wrap);
  // Complete at once: a filter without mipmaps.
  batch::setFilter(textureTarget, textureName, smoothFilter);
}

bool KGraphicGL::checkBlock(const unsigned char *block, size_t length, int &w, int &h) {
  w = h = 0;
  if (!block || length < kHeader) return false;
  w = static_cast<int16_t>(readLE16(block + 12));
  h = static_cast<int16_t>(readLE16(block + 14));
  const int bpp = block[16];
  // Below 24 bits a pixel nothing is made. The header must not promise
  // more pixels than the block holds, whatever their depth: a depth that is
  // not read still sizes the texture.
  if (w <= 0 || h <= 0 || bpp < 24) return false;
  return kHeader + static_cast<size_t>(w) * h * (bpp / 8) <= length;
}

bool KGraphicGL::buildGLTexture(unsigned char *block, size_t length, bool trueColor, bool hasAlpha) {
  (void)trueColor; // see makeTexture
  return buildTexture(block, length, hasAlpha, Source::Texels);
}

void KGraphicGL::fillTexels(const unsigned char *block, int w, int h, const unsigned char *maskBytes, bool hasAlpha,
                            const ColourKey &key, bool bgra, unsigned char *texels) {
  const int bpp = block[16];
  if (bpp != 24 && bpp != 32) {
    std::memset(texels, 0, static_cast<size_t>(w) * h * 4);
    return;
  }
  const int bytes = bpp / 8;
  const int red = bgra ? 2 : 0, blue = bgra ? 0 : 2;
  for (int j = 0; j < h; j++) {
    const unsigned char *src = block + kHeader + static_cast<size_t>(h - 1 - j) * w * bytes;
    const unsigned char *mask = maskBytes ? maskBytes + static_cast<size_t>(w) * (h - 1 - j) : nullptr;
    unsigned char *dst = texels + static_cast<size_t>(j) * w * 4;
    for (int x = 0; x < w; x++, src += bytes, dst += 4) {
      unsigned char b = src[0], g = src[1], r = src[2], a;
      if (bytes == 3) {
        a = mask ? mask[x] : 255;
        if (key.on && r == key.red && g == key.green && b == key.blue) a = 0;
      } else {
        a = mask ? mask[x] : src[3];
      }
      // A texture without alpha reads as opaque everywhere: neither key nor
      // mask shows.
      if (!hasAlpha) a = 255;
      dst[red] = r;
      dst[1] = g;
      dst[blue] = b;
      dst[3] = a;
    }
  }
}

bool KGraphicGL::buildTexture(unsigned char *block, size_t length, bool hasAlpha, Source source) {
  if (!block) return false;
  int w, h;
  if (!checkBlock(block, length, w, h)) {
    KMiscTools::report(K_REPORT_WARNING, "Non supported Format ", textBuffer,
                       length >= kHeader && block[16] < 24 ? "fewer than 24 bits a pixel"
                                                           : "no size, or more pixels promised than it holds");
    delete[] block;
    return false;
  }
  const int bpp = block[16];
  if (bpp != 24 && bpp != 32)
    KMiscTools::report(K_REPORT_WARNING, "picture drawn transparent", textBuffer, "its pixels' depth is not 24 or 32 bits");
  resetCurrentMatrix();
  width = static_cast<float>(w);
  height = static_cast<float>(h);
  textureWidth = width;
  textureHeight = height;
  pow2Size = powerOfTwoFor(w, h);
  textureTarget = static_cast<int32_t>(targetFor(w, h));
  originX = readLE16(block + 8);
  originY = readLE16(block + 10);
  pow2SizeF = static_cast<float>(pow2Size);

  const size_t tw = static_cast<size_t>(w), th = static_cast<size_t>(h);
  pixelBuffer = new (std::nothrow) unsigned char[tw * th * 4]();
  if (!pixelBuffer) {
    KMiscTools::report(K_REPORT_WARNING, "file not found or out of memory ", textBuffer, "no memory for the texture");
    delete[] block;
    width = height = 0;
    return false;
  }
  const bool useMask = maskData && maskWidth_ == w && maskHeight_ == h;
  const bool bgra = batch::bgraTextures();
  // Only 24 and 32 bits a pixel are read: any other depth gives a
  // transparent picture of its size.
  fillTexels(block, w, h, useMask ? maskData : nullptr, hasAlpha, colourKey(), bgra, pixelBuffer);
  delete[] block;
  makeTexture(pixelBuffer, bgra, canRepeat());
  measureOpacity(pixelBuffer, tw * 4, w, h, !hasAlpha);
  source_ = source;
  sourceAlpha_ = hasAlpha;
  sourceKey_ = colourKey();
  if (source == Source::Texels) {
    // Nothing but these texels could make the texture again.
    try {
      sourceBytes_.assign(pixelBuffer, pixelBuffer + tw * th * 4);
    } catch (const std::bad_alloc &) {
      source_ = Source::None;
      KMiscTools::report(K_REPORT_WARNING, "picture not kept to be made again", textBuffer,
                         "no memory for a copy of its texels: it is drawn transparent if the drawing context is lost");
    }
  }
  delete[] pixelBuffer;
  pixelBuffer = nullptr;
  videoBytes_ = static_cast<int>(tw * th * (screenDepth / 8));
  videoMemory += videoBytes_;
  return true;
}

void KGraphicGL::setTextureQuality(bool smooth) {
  // Taken by every blit that follows; the texture is set to it when they are drawn.
  smoothFilter = smooth;
}

void KGraphicGL::allowTextureWrap(bool allow) {
  wrapAllowed = allow;
  if (width <= 0) return;
  batch::bindForChange(textureTarget, textureName);
  repeats_ = canRepeat();
  const GLint wrap = repeats_ ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(textureTarget, GL_TEXTURE_WRAP_T, wrap);
}

unsigned int KGraphicGL::vexo_glBindTexture() {
  batch::bindTexture(textureTarget, textureName);
  _oldBindedText = static_cast<int32_t>(textureName);
  return textureName;
}

void KGraphicGL::vexo_glUnbindTexture() {
  batch::forgetState();
  _oldBindedText = -37;
}

void KGraphicGL::selectTexture() {
  if (width > 0 && textureTarget == GL_TEXTURE_2D) batch::setFilter(GL_TEXTURE_2D, textureName, smoothFilter);
  const float colour[4] = {graphic_.currentColour.r, graphic_.currentColour.g, graphic_.currentColour.b, graphic_.currentColour.a};
  batch::handOver(static_cast<uint32_t>(textureTarget), textureName, colour);
  // Recorded, so that the cache tells the truth; the batch binds again anyway.
  _oldBindedText = static_cast<int32_t>(textureName);
}

void KGraphicGL::worldViewMatrix(float (&matrix)[16]) {
  const Matrix4 view = batch::projection() * batch::modelView();
  std::memcpy(matrix, view.m, sizeof matrix);
}

// ---------------------------------------------------------------- drawing

namespace {
batch::State plainColourState(bool blending, unsigned short source, unsigned short destination) {
  batch::State s;
  if (blending) {
    s.blending = true;
    s.source = source;
    s.destination = destination;
  }
  return s;
}

// The blit colour: the tint with `tintedAlpha`, or white with `alpha`.
Colour blitColour(const KGraphicGL &g, float alpha, float tintedAlpha) {
  return g.tintOn ? clamped(g.tintRed, g.tintGreen, g.tintBlue, tintedAlpha) : clamped(1, 1, 1, alpha);
}

// Texture coordinates of the source rectangle's corners, in the order of
// the quad's (top-left, bottom-left, bottom-right, top-right): texels for a
// rectangle texture, 0..1 for a 2D one.
void sourceCorners(const KGraphicGL &g, float x1, float y1, float x2, float y2, bool flipX, bool flipY, float (&s)[4],
                   float (&t)[4]) {
  float sl = flipX ? x2 : x1, sr = flipX ? x1 : x2;
  float tt = flipY ? y2 : y1, tb = flipY ? y1 : y2;
  if (static_cast<uint32_t>(g.textureTarget) != KGraphicGL::kRectangleTexture) {
    sl /= g.textureWidth;
    sr /= g.textureWidth;
    tt /= g.textureHeight;
    tb /= g.textureHeight;
  }
  s[0] = s[1] = sl;
  s[2] = s[3] = sr;
  t[0] = t[3] = tt;
  t[1] = t[2] = tb;
}

void addQuad(const batch::State &state, const float (&x)[4], const float (&y)[4], const float (&s)[4],
             const float (&t)[4], const Colour &c) {
  batch::Vertex v[4];
  for (int i = 0; i < 4; i++) v[i] = {x[i], y[i], s[i], t[i], c.r, c.g, c.b, c.a};
  batch::addQuad(state, v);
}

// The textured quad of a source rectangle whose top-left corner is (X, Y)
// in OpenGL's upward coordinates, w by h, then placed.
void sourceQuad(const KGraphicGL &g, const batch::State &state, const Colour &c, const Turn &place, float x1,
                float y1, float x2, float y2, float X, float Y, float w, float h, bool flipX, bool flipY) {
  const float lx[4] = {X, X, X + w, X + w}, ly[4] = {Y, Y - h, Y - h, Y};
  float x[4], y[4], s[4], t[4];
  for (int i = 0; i < 4; i++) place.apply(lx[i], ly[i], x[i], y[i]);
  sourceCorners(g, x1, y1, x2, y2, flipX, flipY, s, t);
  addQuad(state, x, y, s, t, c);
}

// The same with whole-pixel corners: the size is truncated like the corner
// (small whole numbers are exact as floats).
void wholeSourceQuad(const KGraphicGL &g, const batch::State &state, const Colour &c, const Turn &place, float x1,
                     float y1, float x2, float y2, int X, int Y, bool flipX, bool flipY) {
  const int w = static_cast<int>(x2 - x1), h = static_cast<int>(y2 - y1);
  sourceQuad(g, state, c, place, x1, y1, x2, y2, static_cast<float>(X), static_cast<float>(Y), static_cast<float>(w),
             static_cast<float>(h), flipX, flipY);
}
} // namespace

batch::State KGraphicGL::plainState(bool blending) const {
  batch::State s = plainColourState(blending, srcBlend, dstBlend);
  s.texture = textureName;
  s.target = static_cast<uint32_t>(textureTarget);
  s.smooth = smoothFilter;
  return s;
}

batch::State KGraphicGL::blitState(float x1, float y1, float x2, float y2, float alpha, bool white,
                                   float pixels) const {
  const batch::State blended = plainState(true);
  // Source alpha 1 everywhere with the usual factors gives the source itself.
  const bool usual = srcBlend == GL_SRC_ALPHA && dstBlend == GL_ONE_MINUS_SRC_ALPHA;
  if (!usual || alpha < 1 || !opaqueArea(x1, y1, x2, y2)) return blended;
  if (pixels < kOpaquePixelsWorthACall && batch::continues(blended, white)) return blended;
  return plainState(false);
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
  // Texels outside the picture are the edge's, whatever they are.
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
}

void KGraphicGL::setBlitColor(float r, float g, float b, float a) {
  r = clamp01(r);
  g = clamp01(g);
  b = clamp01(b);
  a = clamp01(a);
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
  _oldBindedText = static_cast<int32_t>(textureName);
  wholeSourceQuad(*this, plainState(false), graphic_.currentColour, Turn(), x1, y1, x2, y2, destX,
                  toShort(static_cast<float>(screenHeight - destY)), flipX, flipY);
}

void KGraphicGL::blitRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX, bool flipY) {
  _oldBindedText = static_cast<int32_t>(textureName);
  sourceQuad(*this, plainState(false), graphic_.currentColour, Turn(), x1, y1, x2, y2, destX, screenHeight - destY,
             x2 - x1, y2 - y1, flipX, flipY);
}

void KGraphicGL::blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX,
                               bool flipY) {
  _oldBindedText = static_cast<int32_t>(textureName);
  graphic_.currentColour = blitColour(*this, 1, tintAlpha);
  wholeSourceQuad(*this, blitState(x1, y1, x2, y2, graphic_.currentColour.a, isWhite(graphic_.currentColour), std::fabs((x2 - x1) * (y2 - y1))),
                  graphic_.currentColour, Turn(), x1, y1, x2, y2, destX, toShort(static_cast<float>(screenHeight - destY)),
                  flipX, flipY);
}

void KGraphicGL::blitAlphaRect() {
  _oldBindedText = static_cast<int32_t>(textureName);
  graphic_.currentColour = blitColour(*this, 1, tintAlpha);
  wholeSourceQuad(*this, blitState(0, 0, width, height, graphic_.currentColour.a, isWhite(graphic_.currentColour), width * height), graphic_.currentColour, Turn(),
                  0, 0, width, height, static_cast<int>(originX), screenHeight - static_cast<int>(originY), false,
                  false);
}

void KGraphicGL::blitAlphaRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX,
                                bool flipY) {
  _oldBindedText = static_cast<int32_t>(textureName);
  graphic_.currentColour = blitColour(*this, 1, tintAlpha);
  sourceQuad(*this, blitState(x1, y1, x2, y2, graphic_.currentColour.a, isWhite(graphic_.currentColour), std::fabs((x2 - x1) * (y2 - y1))), graphic_.currentColour,
             Turn(), x1, y1, x2, y2, destX, screenHeight - destY, x2 - x1, y2 - y1, flipX, flipY);
}

// The turned and zoomed family: the corners turn by `angle` and zoom by
// `zoom` about the pivot (cx, cy), measured from the source's top-left
// corner. With `fractional` the pivot offsets are not truncated, with
// `alwaysTransform` the pivot applies even at angle 0, zoom 1.
void KGraphicGL::blitFx(float x1, float y1, float x2, float y2, float destX, float destY, float angle, float zoom,
                        const FxColor &color, bool flipX, bool flipY, float cx, float cy, bool fractional,
                        bool alwaysTransform) {
  _oldBindedText = static_cast<int32_t>(textureName);
  const float Y0 = fractional ? screenHeight - destY : static_cast<float>(toShort(screenHeight - destY));
  const bool transform = alwaysTransform || angle != 0 || zoom != 1;
  Turn place;
  if (transform)
    place = turned(destX + cx, Y0 - cy, angle != 0 || alwaysTransform ? angle : 0,
                   zoom != 1 || alwaysTransform ? zoom : 1);
  Colour colour = graphic_.currentColour;
  batch::State state;
  if (color.blending) {
    colour = blitColour(*this, color.alpha, color.tintedAlpha);
    state = blitState(x1, y1, x2, y2, colour.a, isWhite(colour), std::fabs((x2 - x1) * (y2 - y1) * zoom * zoom));
  } else {
    state = plainState(false);
  }
  if (fractional) {
    if (transform) sourceQuad(*this, state, colour, place, x1, y1, x2, y2, -cx, cy, x2 - x1, y2 - y1, flipX, flipY);
    else sourceQuad(*this, state, colour, place, x1, y1, x2, y2, destX, Y0, x2 - x1, y2 - y1, flipX, flipY);
  } else {
    if (transform)
      wholeSourceQuad(*this, state, colour, place, x1, y1, x2, y2, static_cast<int>(-cx), static_cast<int>(cy), flipX,
                      flipY);
    else
      wholeSourceQuad(*this, state, colour, place, x1, y1, x2, y2, static_cast<int>(destX), static_cast<int>(Y0), flipX,
                      flipY);
  }
  if (color.blending) graphic_.currentColour = kWhite;
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
  _oldBindedText = static_cast<int32_t>(textureName);
  const Colour colour = blitColour(*this, blend >= 0 ? blend : 1, blend * tintAlpha);
  const float X1 = destX1, Y1 = screenHeight - destY1, X2 = destX2, Y2 = screenHeight - destY2;
  const batch::State state = blitState(x1, y1, x2, y2, colour.a, isWhite(colour), std::fabs((X2 - X1) * (Y1 - Y2)));
  float x[4], y[4], s[4], t[4];
  if (angle != 0) {
    // Turned about the destination's middle, the corners truncated first.
    const int w = static_cast<int>(X2 - X1), h = static_cast<int>(Y1 - Y2);
    const int u = w / 2, f = h / 2;
    const Turn place = turned(static_cast<float>(static_cast<int>(X1) + u),
                                   static_cast<float>(static_cast<int>(Y1) - f), angle, 1);
    const float lx[4] = {static_cast<float>(-u), static_cast<float>(-u), static_cast<float>(w - u),
                         static_cast<float>(w - u)};
    const float ly[4] = {static_cast<float>(f), static_cast<float>(f - h), static_cast<float>(f - h),
                         static_cast<float>(f)};
    for (int i = 0; i < 4; i++) place.apply(lx[i], ly[i], x[i], y[i]);
  } else {
    const float ix1 = static_cast<float>(static_cast<int>(X1)), iy1 = static_cast<float>(static_cast<int>(Y1));
    const float ix2 = static_cast<float>(static_cast<int>(X2)), iy2 = static_cast<float>(static_cast<int>(Y2));
    const float lx[4] = {ix1, ix1, ix2, ix2}, ly[4] = {iy1, iy2, iy2, iy1};
    for (int i = 0; i < 4; i++) x[i] = lx[i], y[i] = ly[i];
  }
  sourceCorners(*this, x1, y1, x2, y2, flipX, flipY, s, t);
  addQuad(state, x, y, s, t, colour);
  graphic_.currentColour = kWhite;
}

void KGraphicGL::blitTiledRect(short destX, short destY, short w, short h, float repeat, float angle) {
  _oldBindedText = static_cast<int32_t>(textureName);
  const int hw = w / 2, hh = h / 2;
  const Turn place =
      turned(static_cast<float>(destX + hw), static_cast<float>(screenHeight - destY - hh), angle, 1);
  const float lx[4] = {static_cast<float>(-hw), static_cast<float>(-hw), static_cast<float>(w - hw),
                       static_cast<float>(w - hw)};
  const float ly[4] = {static_cast<float>(hh), static_cast<float>(hh - h), static_cast<float>(hh - h),
                       static_cast<float>(hh)};
  // The tiles appear turned by half a turn, their coordinates as they are.
  const float s[4] = {repeat, repeat, 0, 0}, t[4] = {repeat, 0, 0, repeat};
  float x[4], y[4];
  for (int i = 0; i < 4; i++) place.apply(lx[i], ly[i], x[i], y[i]);
  addQuad(plainState(false), x, y, s, t, graphic_.currentColour);
}

void KGraphicGL::blitArbitraryQuad(float sx1, float sy1, float sx2, float sy2, float sx3, float sy3, float sx4,
                                   float sy4, float dx1, float dy1, float dx2, float dy2, float dx3, float dy3,
                                   float dx4, float dy4) {
  _oldBindedText = static_cast<int32_t>(textureName);
  graphic_.currentColour = blitColour(*this, 1, tintAlpha);
  const float sx[4] = {sx1, sx2, sx3, sx4}, sy[4] = {sy1, sy2, sy3, sy4};
  const float dx[4] = {dx1, dx2, dx3, dx4}, dy[4] = {dy1, dy2, dy3, dy4};
  const bool rectangle = static_cast<uint32_t>(textureTarget) == kRectangleTexture;
  float x[4], y[4], s[4], t[4];
  for (int i = 0; i < 4; i++) {
    x[i] = static_cast<float>(static_cast<int>(dx[i]));
    y[i] = static_cast<float>(static_cast<int>(screenHeight - dy[i]));
    s[i] = rectangle ? sx[i] : sx[i] / textureWidth;
    t[i] = rectangle ? sy[i] : sy[i] / textureHeight;
  }
  addQuad(plainState(true), x, y, s, t, graphic_.currentColour);
}

void KGraphicGL::drawRect(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  const bool blending = a != 1;
  const Colour colour = clamped(r, g, b, blending ? a : 1);
  const float X1 = static_cast<float>(static_cast<int>(x1)), X2 = static_cast<float>(static_cast<int>(x2));
  const float Y1 = static_cast<float>(static_cast<int>(screenHeight - y1));
  const float Y2 = static_cast<float>(static_cast<int>(screenHeight - y2));
  const float x[4] = {X1, X2, X2, X1}, y[4] = {Y1, Y1, Y2, Y2}, zero[4] = {0, 0, 0, 0};
  addQuad(plainColourState(blending, srcBlend, dstBlend), x, y, zero, zero, colour);
  _oldBindedText = -1;
  graphic_.currentColour = kWhite;
}

void KGraphicGL::setLineWidth(short w) { batch::setLineWidth(w); }

void KGraphicGL::drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float alphaStart,
                          float alphaEnd) {
  const Colour start = clamped(r, g, b, alphaStart), end = clamped(r, g, b, alphaEnd);
  const batch::Vertex ends[2] = {
      {static_cast<float>(toShort(x1)), static_cast<float>(toShort(screenHeight - y1)), 0, 0, start.r, start.g,
       start.b, start.a},
      {static_cast<float>(toShort(x2)), static_cast<float>(toShort(screenHeight - y2)), 0, 0, end.r, end.g, end.b,
       end.a}};
  batch::addLine(plainColourState(true, srcBlend, dstBlend), ends);
  _oldBindedText = -1;
  graphic_.currentColour = kWhite;
}

void KGraphicGL::plotPixel(float x, float y, float r, float g, float b, float a) { drawLine(x, y, x + 1, y, r, g, b, a, a); }

// ---------------------------------------------------------------- grabs

bool KGraphicGL::grab(bool back, void (*pixelCallback)(long, long, long *, long *, long *)) {
  const int W = screenWidth, H = screenHeight;
  if (W <= 0 || H <= 0) return false;
  const unsigned int P = powerOfTwoFor(W, H);
  const bool rect = batch::rectangleTexCap() && batch::rectangleTextures();
  const size_t tw = rect ? W : P, th = rect ? H : P;
  std::vector<unsigned char> readBuffer, textureBuffer;
  try {
    readBuffer.resize(static_cast<size_t>(W) * H * 4);
    textureBuffer.assign(tw * th * 4, 0);
  } catch (const std::bad_alloc &) {
    return false;
  }
  if (back) {
    // What is gathered belongs to the frame being read.
    batch::flush();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, platform::gameAreaBottom(), W, H, GL_RGBA, GL_UNSIGNED_BYTE, readBuffer.data());
  } else if (!shownframe::read(readBuffer) || readBuffer.size() != static_cast<size_t>(W) * H * 4) {
    // No window: nothing is shown.
    return false;
  }
  const bool bgra = batch::bgraTextures();
  const int red = bgra ? 2 : 0, blue = bgra ? 0 : 2;
  for (int y = 0; y < H; y++) {
    const unsigned char *src = &readBuffer[static_cast<size_t>(H - 1 - y) * W * 4];
    unsigned char *dst = &textureBuffer[static_cast<size_t>(y) * tw * 4];
    for (int x = 0; x < W; x++) {
      long r = src[x * 4], g = src[x * 4 + 1], b = src[x * 4 + 2];
      if (pixelCallback) pixelCallback(x, y, &r, &g, &b);
      dst[x * 4 + red] = static_cast<unsigned char>(r & 0xFF);
      dst[x * 4 + 1] = static_cast<unsigned char>(g & 0xFF);
      dst[x * 4 + blue] = static_cast<unsigned char>(b & 0xFF);
      dst[x * 4 + 3] = 255; // a grab has no alpha
    }
  }
  // The texture held before is released, not leaked.
  freePicture();
  textureTarget = static_cast<int32_t>(rect ? kRectangleTexture : GL_TEXTURE_2D);
  textureWidth = static_cast<float>(tw);
  textureHeight = static_cast<float>(th);
  resetCurrentMatrix();
  // The grab is complete at once: its filter is set here, not at the first blit.
  makeTexture(textureBuffer.data(), bgra, false);
  measureOpacity(nullptr, 0, W, H, true);
  // Nothing but these texels could make the texture again.
  source_ = Source::Texels;
  sourceBytes_.swap(textureBuffer);
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
  resetCurrentMatrix();
  batch::bindForChange(textureTarget, textureName);
  _oldBindedText = static_cast<int32_t>(textureName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const bool bgra = batch::bgraTextures();
  glTexSubImage2D(textureTarget, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                  bgra ? batch::kBGRA : GL_RGBA, GL_UNSIGNED_BYTE,
                  bgra ? arrayAsBGRA().data() : reinterpret_cast<const unsigned char *>(pixelArray));
}

std::vector<unsigned char> KGraphicGL::arrayAsBGRA() const {
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<unsigned char> texels(count * 4);
  const unsigned char *src = reinterpret_cast<const unsigned char *>(pixelArray);
  for (size_t i = 0; i < count * 4; i += 4) {
    texels[i] = src[i + 2];
    texels[i + 1] = src[i + 1];
    texels[i + 2] = src[i];
    texels[i + 3] = src[i + 3];
  }
  return texels;
}

// ---------------------------------------------------------------- a context given back

void KGraphicGL::remakeTextures() {
  _oldBindedText = -1;
  for (KGraphicGL *g = graphic_.pictures; g; g = g->next_) g->remakeTexture();
}

void KGraphicGL::remakeTexture() {
  // The old name means nothing in the new context.
  textureName = 0;
  if (width <= 0) return;
  const bool bgra = batch::bgraTextures();
  std::vector<unsigned char> texels;
  const unsigned char *from = nullptr;
  switch (source_) {
  case Source::File:
  case Source::Bytes:
    texels = texelsAgain();
    // The file may have changed since: its opacity is measured again.
    if (!texels.empty()) {
      measureOpacity(texels.data(), static_cast<size_t>(width) * 4, static_cast<int>(width), static_cast<int>(height),
                     !sourceAlpha_);
      from = texels.data();
    }
    break;
  case Source::Array:
    if (bgra) texels = arrayAsBGRA();
    from = bgra ? texels.data() : reinterpret_cast<const unsigned char *>(pixelArray);
    break;
  case Source::Texels:
    from = sourceBytes_.data();
    break;
  case Source::None:
    KMiscTools::report(K_REPORT_WARNING, "picture drawn transparent", textBuffer,
                       "nothing was kept to make it again when the drawing context came back");
    break;
  }
  if (!from) {
    texels.assign(static_cast<size_t>(textureWidth) * static_cast<size_t>(textureHeight) * 4, 0);
    measureOpacity(nullptr, 0, 0, 0);
    from = texels.data();
  }
  makeTexture(from, bgra, repeats_);
}

std::vector<unsigned char> KGraphicGL::texelsAgain() {
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  bool decoded;
  if (source_ == Source::File) {
    char name[260];
    std::snprintf(name, sizeof name, "%s", sourceFile_.c_str());
    decoded = decodeFile(name);
  } else {
    decoded = LoadRamPicture(sourceFile_.c_str(), sourceBytes_.data(), sourceBytes_.size());
  }
  size_t length = 0;
  unsigned char *block = decoded ? blockFromDecoded(length, sourceKey_) : nullptr;
  int blockWidth = 0, blockHeight = 0;
  std::vector<unsigned char> texels;
  if (!checkBlock(block, length, blockWidth, blockHeight) || blockWidth != w || blockHeight != h) {
    KMiscTools::report(K_REPORT_WARNING, "picture drawn transparent", sourceFile_.c_str(),
                       decoded ? "its file has another size now" : "its file could not be read again");
    delete[] block;
    return texels;
  }
  int maskWidth = 0, maskHeight = 0;
  const std::vector<unsigned char> mask =
      sourceMask_.empty() ? std::vector<unsigned char>() : readMask(sourceMask_.c_str(), maskWidth, maskHeight);
  const bool useMask = !mask.empty() && maskWidth == w && maskHeight == h;
  try {
    texels.resize(static_cast<size_t>(w) * h * 4);
    fillTexels(block, w, h, useMask ? mask.data() : nullptr, sourceAlpha_, sourceKey_, batch::bgraTextures(),
               texels.data());
  } catch (const std::bad_alloc &) {
    KMiscTools::report(K_REPORT_WARNING, "picture drawn transparent", sourceFile_.c_str(), "no memory for its texels");
  }
  delete[] block;
  return texels;
}
