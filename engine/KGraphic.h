#pragma once

#include <cstdint>

/// A picture: one image in one texture, from which rectangles are blitted.
/// Made by KVexo::createKGraphic. Positions are pixels of the game area
/// (origin top-left, y downward); a source rectangle is given by its
/// top-left (x1, y1) and its exclusive bottom-right (x2, y2) in pixels of
/// the picture; angles are degrees counter-clockwise; zoom scales about
/// the rectangle's middle; colours and blend are 0..1.
class KGraphic {
public:
  virtual ~KGraphic();
  /// Loads a picture whose alpha is the brightness of a mask picture of the
  /// same size. True whatever was loaded: getWidth() tells.
  virtual bool loadPictureWithMask(const char *fileName, const char *maskFileName, bool trueColor) = 0;
  /// Loads an encoded picture held in memory; `name` picks the decoder by its extension.
  virtual bool loadPictureFromPtr(const char *name, unsigned char *bytes, unsigned long length, bool trueColor,
                                  bool hasAlpha) = 0;
  /// Loads a PNG, JPEG or TGA file, replacing the picture held.
  virtual bool loadPicture(const char *fileName, bool trueColor, bool hasAlpha) = 0;
  /// Releases the texture; the picture becomes empty.
  virtual void freePicture() = 0;
  virtual float getWidth() = 0;
  virtual float getHeight() = 0;
  /// Linear (true) or nearest (false) filtering.
  virtual void setTextureQuality(bool smooth) = 0;
  /// A filled rectangle; alpha exactly 1 paints opaque.
  virtual void drawRect(float x1, float y1, float x2, float y2, float r, float g, float b, float a) = 0;
  virtual void setLineWidth(short width) = 0;
  /// A line whose alpha runs from alphaStart to alphaEnd.
  virtual void drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float alphaStart,
                        float alphaEnd) = 0;
  virtual void plotPixel(float x, float y, float r, float g, float b, float a) = 0;
  /// Opaque copy of a rectangle, no blending.
  virtual void blitRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX, bool flipY) = 0;
  virtual void blitRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                          bool flipX, bool flipY, float centerX, float centerY) = 0;
  /// Blended copy with the alpha mode and blit colour.
  virtual void blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool flipX,
                             bool flipY) = 0;
  /// Blended copy, turned and zoomed about the rectangle's middle moved by
  /// (centerX, centerY), at opacity `blend`.
  virtual void blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle,
                               float zoom, float blend, bool flipX, bool flipY, float centerX, float centerY) = 0;
  virtual void blitTiledRect(short destX, short destY, short width, short height, float repeat, float angle) = 0;
  virtual void blitArbitraryQuad(float sx1, float sy1, float sx2, float sy2, float sx3, float sy3, float sx4,
                                 float sy4, float dx1, float dy1, float dx2, float dy2, float dx3, float dy3,
                                 float dx4, float dy4) = 0;
  virtual void blitRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX, bool flipY) = 0;
  virtual void blitRectFxF(float x1, float y1, float x2, float y2, float destX, float destY, float angle, float zoom,
                           bool flipX, bool flipY, float centerX, float centerY) = 0;
  virtual void blitAlphaRectF(float x1, float y1, float x2, float y2, float destX, float destY, bool flipX,
                              bool flipY) = 0;
  virtual void blitAlphaRectFxF(float x1, float y1, float x2, float y2, float destX, float destY, float angle,
                                float zoom, float blend, bool flipX, bool flipY, float centerX, float centerY) = 0;
  /// 0 light (src alpha, dst alpha), 1 normal, 2 pre-multiplied, 3 erase, 4 additive; others ignored.
  virtual void setAlphaMode(long mode) = 0;
  /// Two OpenGL blend factors as they are.
  virtual void setAlphaMode(long srcFactor, long dstFactor) = 0;
  virtual void stretchAlphaRect(float x1, float y1, float x2, float y2, float destX1, float destY1, float destX2,
                                float destY2, float blend, float angle, bool flipX, bool flipY) = 0;
  /// Copies the back buffer into this picture, each pixel through the callback if given.
  virtual bool grabBackBuffer(void (*pixelCallback)(long x, long y, long *r, long *g, long *b)) = 0;
  virtual bool grabFrontBuffer() = 0;
  /// Pixels of this colour become transparent in the loads that follow.
  virtual void setColorKey(bool on, unsigned char red, unsigned char green, unsigned char blue) = 0;
  virtual void allowTextureWrap(bool allow) = 0;
  /// Tint of the blending blits; (1, 1, 1, 1) switches it off. Values are clamped to 0..1.
  virtual void setBlitColor(float r, float g, float b, float a) = 0;
  /// A picture from a caller's array of 32-bit pixels (R in the low byte, A in the high byte),
  /// kept for pollArray.
  virtual bool makePictureFromArray(uint32_t *pixels, long width, long height, bool trueColor,
                                    bool byteSwap) = 0;
  /// Uploads the array of makePictureFromArray again.
  virtual void pollArray() = 0;
  /// Binds the picture's texture for the caller's own OpenGL drawing, in the
  /// world view, with the current colour (KGraphicGL says what each kind of
  /// context gives).
  virtual void selectTexture() = 0;
  virtual void setHotSpot(short, short, short, short, short, short) = 0;
};
