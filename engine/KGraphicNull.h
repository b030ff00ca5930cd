#pragma once

#include "KGraphic.h"

/// A picture that holds nothing and draws nothing: the game's logic runs
/// through it without a display (a replay checked from the command line, a
/// test). Loads and grabs report failure, since nothing is read; sizes are 0.
class KGraphicNull : public KGraphic {
public:
  ~KGraphicNull() override;
  bool loadPictureWithMask(const char *, const char *, bool) override;
  bool loadPictureFromPtr(const char *, unsigned char *, unsigned long, bool, bool) override;
  bool loadPicture(const char *, bool, bool) override;
  void freePicture() override;
  float getWidth() override;
  float getHeight() override;
  void setTextureQuality(bool) override;
  void drawRect(float, float, float, float, float, float, float, float) override;
  void setLineWidth(short) override;
  void drawLine(float, float, float, float, float, float, float, float, float) override;
  void plotPixel(float, float, float, float, float, float) override;
  void blitRect(float, float, float, float, short, short, bool, bool) override;
  void blitRectFx(float, float, float, float, short, short, float, float, bool, bool, float, float) override;
  void blitAlphaRect(float, float, float, float, short, short, bool, bool) override;
  void blitAlphaRectFx(float, float, float, float, short, short, float, float, float, bool, bool, float,
                       float) override;
  void blitTiledRect(short, short, short, short, float, float) override;
  void blitArbitraryQuad(float, float, float, float, float, float, float, float, float, float, float, float, float,
                         float, float, float) override;
  void blitRectF(float, float, float, float, float, float, bool, bool) override;
  void blitRectFxF(float, float, float, float, float, float, float, float, bool, bool, float, float) override;
  void blitAlphaRectF(float, float, float, float, float, float, bool, bool) override;
  void blitAlphaRectFxF(float, float, float, float, float, float, float, float, float, bool, bool, float,
                        float) override;
  void setAlphaMode(long) override;
  void setAlphaMode(long, long) override;
  void stretchAlphaRect(float, float, float, float, float, float, float, float, float, float, bool, bool) override;
  bool grabBackBuffer(void (*)(long x, long y, long *r, long *g, long *b)) override;
  bool grabFrontBuffer() override;
  void setColorKey(bool, unsigned char, unsigned char, unsigned char) override;
  void allowTextureWrap(bool) override;
  void setBlitColor(float, float, float, float) override;
  bool makePictureFromArray(uint32_t *, long, long, bool, bool) override;
  void pollArray() override;
  void selectTexture() override;
  void setHotSpot(short, short, short, short, short, short) override;
};
