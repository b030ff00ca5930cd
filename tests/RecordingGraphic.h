#pragma once

#include <string>
#include <vector>

#include "KGraphic.h"
#include "KWindow.h"

/// One call made on a recording picture.
struct Blit {
  std::string op;
  float x1, y1, x2, y2;
  int destX, destY;
  float angle, zoom, blend;
};

/// A picture that draws nothing and logs every call, for checking what a
/// frame of the game draws.
class RecordingGraphic : public KGraphic {
public:
  std::vector<Blit> log;
  void clear() { log.clear(); }
  /// The calls whose source rectangle starts at (x1, y1).
  std::vector<Blit> from(float x1, float y1) const;

  bool loadPictureWithMask(const char *, const char *, bool) override { return true; }
  bool loadPictureFromPtr(const char *, unsigned char *, unsigned long, bool, bool) override { return true; }
  bool loadPicture(const char *, bool, bool) override { return true; }
  void freePicture() override {}
  float getWidth() override { return 1024; }
  float getHeight() override { return 1024; }
  void setTextureQuality(bool) override {}
  void drawRect(float x1, float y1, float x2, float y2, float, float, float, float a) override;
  void setLineWidth(short) override {}
  void drawLine(float x1, float y1, float x2, float y2, float, float, float, float a, float) override;
  void plotPixel(float, float, float, float, float, float) override {}
  void blitRect(float, float, float, float, short, short, bool, bool) override {}
  void blitRectFx(float, float, float, float, short, short, float, float, bool, bool, float, float) override {}
  void blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool, bool) override;
  void blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                       float blend, bool, bool, float, float) override;
  void blitTiledRect(short, short, short, short, float, float) override {}
  void blitArbitraryQuad(float, float, float, float, float, float, float, float, float, float, float, float, float,
                         float, float, float) override {}
  void blitRectF(float, float, float, float, float, float, bool, bool) override {}
  void blitRectFxF(float, float, float, float, float, float, float, float, bool, bool, float, float) override {}
  void blitAlphaRectF(float, float, float, float, float, float, bool, bool) override {}
  void blitAlphaRectFxF(float, float, float, float, float, float, float, float, float, bool, bool, float,
                        float) override {}
  void setAlphaMode(long mode) override;
  void setAlphaMode(long, long) override {}
  void stretchAlphaRect(float, float, float, float, float, float, float, float, float, float, bool, bool) override {}
  bool grabBackBuffer(void (*)(long, long, long *, long *, long *)) override { return true; }
  bool grabFrontBuffer() override { return true; }
  void setColorKey(bool, unsigned char, unsigned char, unsigned char) override {}
  void allowTextureWrap(bool) override {}
  void setBlitColor(float r, float, float, float) override;
  bool makePictureFromArray(uint32_t *, long, long, bool, bool) override { return true; }
  void pollArray() override {}
  void selectTexture() override {}
  void setHotSpot(short, short, short, short, short, short) override {}
};

/// A window that opens nothing; it only keeps the quit flag.
class NullWindow : public KWindow {
public:
  bool quit = false;
  void setDefaultWorldView() override {}
  void setWorldView(float, float, float, float, bool) override {}
  void setClearColor(float, float, float, float) override {}
  bool createGameWindow(short, short, short, bool, const char *) override { return true; }
  void terminate() override { quit = true; }
  void toggleFullScreen(bool) override {}
  bool hasFocus() override { return true; }
  void setTitle(const char *) override {}
  void flipBackBuffer(bool, bool) override {}
  void processEvents() override {}
  bool isQuit() override { return quit; }
  KWindowHandle getWindowHandle() override { return nullptr; }
  void setMaxFrameRate(long) override {}
  bool getRectangleTexCap() override { return false; }
  bool getAccelerationCap() override { return true; }
  void setRectangleTexCap(bool) override {}
  void setGamma(float) override {}
  long getWindowWidth() override { return 320; }
  long getWindowHeight() override { return 480; }
  void restore() override {}
  void minimize() override {}
  bool saveBackBuffer(const char *, long, long, long) override { return true; }
  void displayMouse(bool) override {}
  void enumerateDisplays(bool (*)(KDisplay *)) override {}
  void setCallBack(bool (*)(EventRef)) override {}
  void setVexoCallBack(bool (*)(KEvent *)) override {}
  void setQuit(bool q) override { quit = q; }
  void setScreenSaverInfo(long, long) override {}
};
