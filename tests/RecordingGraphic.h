#pragma once

#include <string>
#include <vector>

#include "KGraphicNull.h"
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
class RecordingGraphic : public KGraphicNull {
public:
  std::vector<Blit> log;
  void clear() { log.clear(); }
  /// The calls whose source rectangle starts at (x1, y1).
  std::vector<Blit> from(float x1, float y1) const;

  // Loads succeed, as for the game's own sheet.
  bool loadPicture(const char *, bool, bool) override { return true; }
  bool grabBackBuffer(void (*)(long, long, long *, long *, long *)) override { return true; }
  float getWidth() override { return 1024; }
  float getHeight() override { return 2048; }
  void drawRect(float x1, float y1, float x2, float y2, float, float, float, float a) override;
  void drawLine(float x1, float y1, float x2, float y2, float, float, float, float a, float) override;
  void blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool, bool) override;
  void blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                       float blend, bool, bool, float, float) override;
  void setAlphaMode(long mode) override;
  void setAlphaMode(long, long) override {}
  void setBlitColor(float r, float, float, float) override;
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
