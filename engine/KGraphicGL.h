#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "KGraphic.h"

namespace batch {
struct State;
}

/// The OpenGL picture. A picture of a square power-of-two size of at least
/// 4 is a GL_TEXTURE_2D texture; any other size a rectangle texture of
/// exactly its size, or, on a context without rectangle textures (OpenGL
/// ES, WebGL), a 2D texture of exactly its size. Loading decodes the file
/// into a raw picture block (an 18-byte TGA-style header, then pixels B, G,
/// R[, A], bottom row first), which buildGLTexture turns into the texture.
/// Blits are gathered with the engine's other drawing and drawn in runs
/// (see QuadBatch.h): what they draw is the same, in call order.
///
/// A context can lose its textures (a browser takes its WebGL context away
/// and gives it back empty): every picture can make its texture again
/// (remakeTextures). What it keeps for that is what it was made from: a
/// file's name (and its mask's), read and decoded again; a copy of the
/// encoded bytes of loadPictureFromPtr; the caller's array, which it reads
/// already; and the texels themselves only for a grab and a block built
/// directly by buildGLTexture, which nothing else could give again.
class KGraphicGL : public KGraphic {
public:
  /// OpenGL's rectangle texture target, which the ES headers do not name.
  static constexpr unsigned int kRectangleTexture = 0x84F5;
  KGraphicGL();
  ~KGraphicGL() override;
  /// A picture owns its texture: it is not copied.
  KGraphicGL(const KGraphicGL &) = delete;
  KGraphicGL &operator=(const KGraphicGL &) = delete;

  /// True whatever was loaded: getWidth() is 0 when the picture was not. A
  /// mask that does not load or is not the picture's size is not used (its
  /// pixels would be read past its end): the picture keeps its own alpha.
  bool loadPictureWithMask(const char *fileName, const char *maskFileName, bool trueColor) override;
  bool loadPictureFromPtr(const char *name, unsigned char *bytes, unsigned long length, bool trueColor,
                          bool hasAlpha) override;
  bool loadPicture(const char *fileName, bool trueColor, bool hasAlpha) override;
  void freePicture() override;
  float getWidth() override;
  float getHeight() override;
  void setTextureQuality(bool smooth) override;
  void drawRect(float x1, float y1, float x2, float y2, float r, float g, float b, float a) override;
  void setLineWidth(short width) override;
  void drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float alphaStart,
                float alphaEnd) override;
  void plotPixel(float x, float y, float r, float g, float b, float a) override;
  void blitRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX, bool flipY) override;
  void blitRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                  bool flipX, bool flipY, float centerX, float centerY) override;
  void blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX,
                     bool flipY) override;
  void blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                       float blend, bool flipX, bool flipY, float centerX, float centerY) override;
  void blitTiledRect(short destX, short destY, short width, short height, float repeat, float angle) override;
  void blitArbitraryQuad(float sx1, float sy1, float sx2, float sy2, float sx3, float sy3, float sx4, float sy4,
                         float dx1, float dy1, float dx2, float dy2, float dx3, float dy3, float dx4,
                         float dy4) override;
  void blitRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX, bool flipY) override;
  void blitRectFxF(float x1, float y1, float x2, float y2, float destX, float destY, float angle, float zoom,
                   bool flipX, bool flipY, float centerX, float centerY) override;
  void blitAlphaRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX,
                      bool flipY) override;
  void blitAlphaRectFxF(float x1, float y1, float x2, float y2, float destX, float destY, float angle, float zoom,
                        float blend, bool flipX, bool flipY, float centerX, float centerY) override;
  void setAlphaMode(long mode) override;
  void setAlphaMode(long srcFactor, long dstFactor) override;
  void stretchAlphaRect(float x1, float y1, float x2, float y2, float destX1, float destY1, float destX2,
                        float destY2, float blend, float angle, bool flipX, bool flipY) override;
  bool grabBackBuffer(void (*pixelCallback)(long x, long y, long *r, long *g, long *b)) override;
  bool grabFrontBuffer() override;
  void setColorKey(bool on, unsigned char red, unsigned char green, unsigned char blue) override;
  void allowTextureWrap(bool allow) override;
  void setBlitColor(float r, float g, float b, float a) override;
  bool makePictureFromArray(uint32_t *pixels, long width, long height, bool trueColor, bool byteSwap) override;
  void pollArray() override;
  /// Leaves OpenGL ready for the caller's own drawing with this picture,
  /// after the engine has drawn what it gathered. On desktop OpenGL: the
  /// fixed function, no program in use, the world view's projection and
  /// model-view matrices loaded (coordinates as the game's with y upward:
  /// (x, screenHeight - y)), the colour the last blit left current, and the
  /// texture bound and enabled on its own target: GL_TEXTURE_2D for a square
  /// power-of-two picture (coordinates 0..1), the rectangle target for the
  /// others (coordinates in texels; binding them on GL_TEXTURE_2D, as the
  /// operation once did, fails). On OpenGL ES and WebGL, which have no fixed
  /// function: no program in use, no buffer bound, the texture bound on
  /// unit 0 on GL_TEXTURE_2D; the caller draws with a program of its own,
  /// with worldViewMatrix() for the view. The engine's next blit sets its
  /// own state again.
  void selectTexture() override;
  void setHotSpot(short, short, short, short, short, short) override;

  /// The whole picture at its stored origin.
  void blitAlphaRect();
  /// Pivot at the middle across (or the left edge) and the middle down (or the top edge).
  void blitAlphaRectFxCenterAdjust(float x1, float y1, float x2, float y2, short destX, short destY, float angle,
                                   float zoom, float blend, bool centerAcross, bool centerDown);
  void blitFromBackToBack(short, short, short, short, short, short);

  /// The world view as one matrix, column-major: the game's coordinates
  /// with y upward (x, screenHeight - y) to OpenGL's clip space. For a
  /// caller's own program after selectTexture.
  static void worldViewMatrix(float (&matrix)[16]);
  /// Size of the drawing surface; y is converted by screenHeight - y.
  static void setScreenSize(short width, short height, short depth);
  /// Makes every picture's texture again, in a context that holds none of
  /// the old one's objects (the window calls it when its context comes
  /// back, see platform::setContextRenewedHandler), with the filter and
  /// wrapping it had. A picture whose file cannot be read again, or has
  /// another size now, is reported and drawn transparent.
  static void remakeTextures();

  /// Turns a raw picture block of `length` bytes into this picture's
  /// texture and frees the block (allocated with new[]). Pixels of 24 or 32
  /// bits are read; a block of any other depth of 24 or more gives a
  /// transparent texture of its size (and true), one below 24 bits nothing
  /// (false). A block whose header promises more pixels than it holds is
  /// refused: a hostile header does not size an allocation.
  bool buildGLTexture(unsigned char *block, size_t length, bool trueColor, bool hasAlpha);
  /// Whether a raw picture block of `length` bytes is whole: a header of
  /// at least 24 bits per pixel, a positive size, and every pixel the
  /// header promises. Gives the size.
  static bool checkBlock(const unsigned char *block, size_t length, int &width, int &height);
  /// Binds the texture (on unit 0) and records it in the bound-texture cache.
  unsigned int vexo_glBindTexture();
  /// Draws what the engine has gathered and forgets what it knows of
  /// OpenGL's state (the bound texture, the program, blending): call it
  /// before and after drawing with OpenGL directly.
  static void vexo_glUnbindTexture();

  /// Reads and decodes a picture file into a raw picture block (new[]), or null.
  unsigned char *LoadGeneric(char *fileName, size_t &length);
  /// Decodes an encoded picture in memory; the decoder is chosen by ".jpg",
  /// ".tga", ".png" in `name` (in that order), else by the content.
  bool LoadRamPicture(const char *name, const unsigned char *bytes, unsigned long length);
  /// Reads a whole TGA file as a raw picture block (new[]), skipping a "pihs" prefix.
  unsigned char *LoadTGA(const char *fileName, size_t &length);

  unsigned int textureName;
  char textBuffer[260];
  unsigned int pow2Size;
  unsigned char *pixelBuffer;
  unsigned short srcBlend, dstBlend;
  int32_t textureTarget;
  bool colorKeyOn;
  unsigned char colorKeyRed, colorKeyGreen, colorKeyBlue;
  bool wrapAllowed;
  bool tintOn;
  float tintRed, tintGreen, tintBlue, tintAlpha;
  unsigned char *maskData;
  float pow2SizeF;
  float width, height;
  float textureWidth, textureHeight;
  float originX, originY;
  int32_t hotSpot[6];
  bool smoothFilter;
  uint32_t *pixelArray;
  bool arrayTrueColor;

  static int32_t _oldBindedText;
  static bool _graphicQuality;
  static int32_t videoMemory;
  static int16_t screenDepth;
  static int16_t screenWidth, screenHeight;

private:
  /// What the texture is made from, to make it again (remakeTextures).
  enum class Source {
    None,
    File,   ///< sourceFile_, masked by sourceMask_ when it is named
    Bytes,  ///< the encoded picture in sourceBytes_, its decoder chosen by sourceFile_
    Array,  ///< the caller's pixelArray
    Texels, ///< the texels as made, in sourceBytes_
  };
  /// A colour whose pixels are made transparent as a picture is loaded.
  struct ColourKey {
    bool on;
    unsigned char red, green, blue;
  };
  ColourKey colourKey() const { return {colorKeyOn, colorKeyRed, colorKeyGreen, colorKeyBlue}; }
  /// Reads and decodes a picture file into decoded_; false (reported) when it cannot.
  bool decodeFile(char *fileName);
  /// The decoded picture as a raw picture block (new[]), `key` applied.
  unsigned char *blockFromDecoded(size_t &length, const ColourKey &key);
  /// A mask file's brightness, a byte a pixel, bottom row first, and its
  /// size; empty when it cannot be read.
  std::vector<unsigned char> readMask(const char *maskFileName, int &maskWidth, int &maskHeight);
  /// The texels of a whole raw picture block of `width` by `height` (top row
  /// first, B, G, R, A when `bgra`, else R, G, B, A), its alpha taken from
  /// `mask` (a byte a pixel, bottom row first) when given, else from the
  /// block (a 24-bit block: opaque but where `key` is), or opaque throughout
  /// without `hasAlpha`. A depth other than 24 or 32 bits gives zeros.
  static void fillTexels(const unsigned char *block, int width, int height, const unsigned char *mask,
                         bool hasAlpha, const ColourKey &key, bool bgra, unsigned char *texels);
  /// buildGLTexture, the texture's source recorded as `source`: the
  /// texels are kept for Texels; the loaders record the rest themselves.
  bool buildTexture(unsigned char *block, size_t length, bool hasAlpha, Source source);
  /// A file or bytes picture's texels again, or empty (reported) when its
  /// source no longer gives a picture of its size.
  std::vector<unsigned char> texelsAgain();
  void remakeTexture();
  /// The texture target for a picture of that size.
  static uint32_t targetFor(int width, int height);
  /// Makes the texture of textureTarget, textureWidth by textureHeight,
  /// from texels top row first, B, G, R, A when `bgra` (see
  /// batch::bgraTextures), else R, G, B, A; repeating (wrapping) or
  /// clamped to its edges.
  void makeTexture(const unsigned char *texels, bool bgra, bool repeat);
  /// Whether wrapping is allowed and the texture can repeat (a square
  /// power-of-two 2D texture).
  bool canRepeat() const;
  /// The caller's array (R, G, B, A) as texels B, G, R, A, for a context
  /// that draws those faster.
  std::vector<unsigned char> arrayAsBGRA() const;
  /// How this picture's quads are drawn: with its texture and filter,
  /// blended by its alpha mode or not at all.
  batch::State plainState(bool blending) const;
  /// The same for a blit of the source (x1, y1)-(x2, y2) of colour alpha
  /// `alpha` (white or not) covering `pixels` pixels: blending is left off
  /// where it cannot change a pixel (an opaque part drawn opaquely with the
  /// usual factors), unless the blit is small and joins a blended run.
  batch::State blitState(float x1, float y1, float x2, float y2, float alpha, bool white, float pixels) const;
  /// Records which 8x8 tiles of the picture (RGBA rows, `stride` bytes
  /// apart) hold a pixel that is not fully opaque; `opaque` marks it all
  /// opaque, null `rgba` all unknown.
  void measureOpacity(const unsigned char *rgba, size_t stride, int w, int h, bool opaque = false);
  /// Whether every texel a blit of (x1, y1)-(x2, y2) may sample is opaque.
  bool opaqueArea(float x1, float y1, float x2, float y2) const;
  /// The turned and zoomed blits. The pivot (pivotX, pivotY) is measured from
  /// the source's top-left corner; with `blending` the colour has `alpha`
  /// (white) or `tintedAlpha` (the tint).
  struct FxColor {
    bool blending;
    float alpha, tintedAlpha;
  };
  void blitFx(float x1, float y1, float x2, float y2, float destX, float destY, float angle, float zoom,
              const FxColor &color, bool flipX, bool flipY, float pivotX, float pivotY, bool fractional,
              bool alwaysTransform);
  bool grab(bool back, void (*pixelCallback)(long, long, long *, long *, long *));

  // Decoded picture between LoadRamPicture and the block copy: B, G, R, A, bottom row first.
  std::vector<unsigned char> decoded_;
  int decodedWidth_, decodedHeight_;
  // Alpha mask of loadPictureWithMask and its size.
  int maskWidth_, maskHeight_;
  int videoBytes_; // what this texture added to videoMemory
  // A summed-area table over the picture's 8x8 tiles, (columns + 1) x
  // (rows + 1): how many tiles above and left of each corner hold a pixel
  // that is not fully opaque. Empty when unknown.
  std::vector<uint32_t> translucentTiles_;
  int tileColumns_, tileRows_;
  // What the texture is made from, and how it was made.
  Source source_ = Source::None;
  std::string sourceFile_, sourceMask_;
  std::vector<unsigned char> sourceBytes_;
  bool sourceAlpha_ = true; // the load's hasAlpha
  ColourKey sourceKey_ = {false, 0, 0, 0}; // the colour key at the load
  bool repeats_ = false; // the texture wraps rather than clamps
  // Every picture, for remakeTextures.
  KGraphicGL *previous_ = nullptr, *next_ = nullptr;
};
