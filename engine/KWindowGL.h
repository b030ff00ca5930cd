#pragma once

#include <cstdint>
#include <vector>

#include "FramePacer.h"
#include "KInput.h"
#include "KWindow.h"

/// The OpenGL game window on the platform layer: one window with one
/// OpenGL context, desktop or ES (kept across full-screen switches, so
/// textures survive), the world view, the frame cap, and the window's event
/// handling. A context taken away by a browser (WebGL's context loss) holds
/// the frame loop the host runs, as a page in the background does, until it
/// comes back; then everything the engine draws with is made again, and the
/// game goes on from the frame it had reached.
class KWindowGL : public KWindow {
public:
  KWindowGL();
  /// With `depthBuffer`, every context asks for a 16-bit depth buffer.
  explicit KWindowGL(bool depthBuffer);
  ~KWindowGL() override;

  void setDefaultWorldView() override;
  void setWorldView(float translateX, float translateY, float rotation, float zoom, bool clearWorld) override;
  void setClearColor(float r, float g, float b, float a) override;
  bool createGameWindow(short width, short height, short depth, bool windowed, const char *title) override;
  void terminate() override;
  void toggleFullScreen(bool fullScreen) override;
  bool hasFocus() override;
  void setTitle(const char *title) override;
  void flipBackBuffer(bool waitWhileInactive, bool resetView) override;
  void processEvents() override;
  bool isQuit() override;
  KWindowHandle getWindowHandle() override;
  void setMaxFrameRate(long framesPerSecond) override;
  bool getRectangleTexCap() override;
  bool getAccelerationCap() override;
  void setRectangleTexCap(bool allowed) override;
  void setGamma(float gamma) override;
  long getWindowWidth() override;
  long getWindowHeight() override;
  void restore() override;
  void minimize() override;
  bool saveBackBuffer(const char *fileName, long format, long width, long height) override;
  void displayMouse(bool on) override;
  void enumerateDisplays(bool (*callback)(KDisplay *)) override;
  void setCallBack(bool (*callback)(EventRef)) override;
  void setVexoCallBack(bool (*callback)(KEvent *)) override;
  void setQuit(bool quit) override;
  void setScreenSaverInfo(long width, long height) override;
  void runFrameLoop(bool (*frame)(), void (*ended)()) override;
  bool setWindowScale(double scale) override;
  double getWindowScale() override;
  double getLargestWindowScale() override;
  void setWholeScaling(bool whole) override;
  bool isWholeScaling() override;
  void setApplicationId(const char *applicationId, const char *windowClass) override;
  bool setDesktopFullScreen(bool on) override;
  bool isDesktopFullScreen() override;
  void setShortcutKeys(int fullScreen, int screenshot) override;

  /// Does nothing on this platform.
  void fadeToIntensity(float intensity);
  /// Enables the scissor test on a box x2 - x1 wide and y2 - y1 high whose
  /// top-left corner is (x1, y1) in game coordinates.
  void setClipping(long x1, long y1, long x2, long y2);
  /// Writes `pixels` (rows bottom-up, bytes B, G, R, A, `width` by
  /// `height`) to `fileName` as BMP (0), JPEG (1), TGA (2) or PNG (3), shows
  /// the system pointer (the message box that follows needs it) and says
  /// "export ok" or "can't do export" in a message box; false when nothing
  /// was written. An unknown format writes nothing: the file of that name,
  /// if there is one, is not emptied for nothing.
  bool savePicFile(const char *fileName, const uint32_t *pixels, long width, long height, long format);

  /// Reads the OpenGL extensions; rectangle textures switch hasRectangleText on.
  void detectCaps();
  /// Darkens the frame by a black quad of alpha 1 - gamma.
  void doGammaAdjustment();
  bool SwitchToResolution(short width, short height, short depth);

  /// Presentation in step with the display's refresh where the driver
  /// offers it; the pacer learns the refresh (0 without).
  void followTheDisplay();
  /// Runs the window's handlers on one platform event.
  void handleEvent(const platform::Event &event);

  KWindowHandle window;
  bool (*eventCallback)(EventRef);
  bool (*vexoEventCallback)(KEvent *);
  char title[256];
  bool minimized;
  uint32_t frameTime;
  /// Paces flips at frameTime and decides which frames the display shows.
  FramePacer pacer_;
  bool mouseDisplayed;
  float clearRed, clearGreen, clearBlue, clearAlpha;
  bool fullScreen;
  bool accelerated;
  bool depthBuffer;
  float gamma;

  static int16_t _windowWidth, _windowHeight, _windowDepth;
  static bool _quitGL;
  /// Rectangle textures may be used for grabs: the batch's flag (QuadBatch),
  /// which the pictures read without knowing the window.
  static bool &hasRectangleText;

private:
  void init(bool depth);
  /// The engine's drawing in a fresh context: its program and buffers, the
  /// texture that keeps the frame shown. False, said in a message box, when
  /// the driver cannot build them.
  bool startDrawing(int width, int height);
  void stopDrawing();
  /// The context came back without the engine's objects (a browser gave
  /// back the WebGL context it took): the program and buffers, the texture
  /// of the frame shown and every picture's texture made again. False, said
  /// in a message box, when the driver cannot build them.
  bool renewDrawing();
  static void contextRenewed();
  /// The frame as saveBackBuffer saves it, B, G, R, A bottom row first: its
  /// top-left `width` by `height` (0: the whole), cut to the window's size.
  bool readBackBuffer(std::vector<uint32_t> &pixels, long &width, long &height);
  /// Shift+F6 in a page: the frame downloaded as a PNG (its player reaches
  /// no file the program writes).
  void offerScreenshot(int number);
  /// Shift+F6 held since its screenshot was taken (a host that runs the
  /// frames: one a press).
  bool screenshotKeysHeld_ = false;
  void deliver(KEvent &event, int type);
  static void dispatchOneEvent();
  /// The host's call of the frame loop: the frames due by now.
  static void hostFrames();
  bool created_;
  double chosenScale_ = 0; ///< the window scale asked for; 0: the largest whole one that fits
  /// The buffer holds the frame scaled to the window (shown, not drawn
  /// since): a save takes the frame kept instead.
  bool scaledInBuffer_ = false;
  /// In a host's call of the frame loop: the frame running is the last one
  /// due, the one the host shows.
  bool hostShows_ = true;
  /// The keys the window answers itself: full screen, and with Shift a
  /// screenshot (EKeyboardLayout values; K_VK_ERROR: none).
  int fullScreenKey_ = K_VK_F11, screenshotKey_ = K_VK_F6;
};
