#include "KWindowGL.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "KGraphicGL.h"
#include "KInput.h"
#include "KMiscTools.h"
#include "Matrix4.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "ShownFrame.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"

int16_t KWindowGL::_windowWidth = 0;
int16_t KWindowGL::_windowHeight = 0;
int16_t KWindowGL::_windowDepth = 0;
bool KWindowGL::_quitGL = false;
bool &KWindowGL::hasRectangleText = batch::rectangleTexCap();

namespace {
// The window's state beside its object's: who receives events, and the loop a host runs.
struct WindowGLContext {
  // The window whose handlers receive events taken outside processEvents.
  KWindowGL *currentWindow = nullptr;
  // The frame loop a host runs (runFrameLoop): its window and its two steps.
  KWindowGL *loopWindow = nullptr;
  bool (*loopFrame)() = nullptr;
  void (*loopEnded)() = nullptr;
  // Stands for the window handle: there is one platform window.
  int windowToken;
};
WindowGLContext windowGL_;

// Scancodes of the window's own key combinations.
const int kScanLCtrl = 224, kScanRCtrl = 228;
} // namespace

KWindowGL::KWindowGL() { init(false); }
KWindowGL::KWindowGL(bool depth) { init(depth); }

void KWindowGL::init(bool depth) {
  window = nullptr;
  eventCallback = nullptr;
  vexoEventCallback = nullptr;
  title[0] = 0;
  minimized = false;
  frameTime = 10;
  mouseDisplayed = false;
  clearRed = clearGreen = clearBlue = 0;
  clearAlpha = 1;
  fullScreen = false;
  accelerated = true;
  depthBuffer = depth;
  gamma = 1;
  created_ = false;
  _quitGL = false;
  setMaxFrameRate(100);
  windowGL_.currentWindow = this;
  KMiscTools::setEventDispatcher(&KWindowGL::dispatchOneEvent);
}

KWindowGL::~KWindowGL() {
  eventCallback = nullptr;
  vexoEventCallback = nullptr;
  KInput::showPointer();
  stopDrawing();
  platform::closeWindow();
  platform::closeControllers();
  fullScreen = false;
  _quitGL = false;
  depthBuffer = false;
  if (windowGL_.currentWindow == this) {
    windowGL_.currentWindow = nullptr;
    KMiscTools::setEventDispatcher(nullptr);
    platform::setContextRenewedHandler(nullptr);
  }
  if (windowGL_.loopWindow == this) windowGL_.loopWindow = nullptr;
}

// ---------------------------------------------------------------- creation

bool KWindowGL::createGameWindow(short width, short height, short depth, bool windowed, const char *t) {
  std::snprintf(title, sizeof title, "%s", t ? t : "");
  int sw = 0, sh = 0;
  platform::screenSize(sw, sh);
  _windowWidth = width;
  _windowHeight = height;
  KMiscTools::initMiscTools();
  if (depth > 32) depth = 32;
  if (depth <= 0) depth = 16;
  _windowDepth = depth;
  fullScreen = false;
  if (!windowed) {
    fullScreen = true;
    window = nullptr;
    KInput::initInput(nullptr);
    return SwitchToResolution(width, height, depth);
  }
  int left = (sw - width) / 2, top = (sh - height) / 2;
  // A scale asked for may have been kept from a larger desktop: the window
  // opens at the largest that fits this one, in steps of its kind (a whole
  // scale, or one at whole scaling, by whole factors; any other by quarters).
  if (chosenScale_ > 0) {
    const bool whole = platform::wholeScaling() || chosenScale_ == std::floor(chosenScale_);
    const double steps = whole ? 1 : 4;
    const double fits = std::max(1.0, std::floor(platform::largestWindowScale(width, height) * steps) / steps);
    platform::setWindowScale(std::min(chosenScale_, fits));
  }
  // No screen to measure is no display to open a window on.
  if (sw <= 0 || sh <= 0 || !platform::openWindow(title, left, top, width, height, depthBuffer)) {
    // Why, as the system said for each kind of context tried, a line each:
    // the player (or whoever helps them) can act on it.
    std::string why = platform::windowError();
    for (size_t at; (at = why.find("; ")) != std::string::npos;) why.replace(at, 2, "\n");
    KMiscTools::report(K_REPORT_ERROR, "could not create window", "",
                       why.empty() ? platform::lastReason().c_str() : why.c_str());
    return false;
  }
  window = &windowGL_.windowToken;
  created_ = true;
  platform::showWindow();
  setTitle(title);
  KInput::initInput(window);
  if (!platform::makeContextCurrent()) {
    KMiscTools::report(K_REPORT_ERROR, "SetCurrentContext failed", "openGL error", platform::lastReason().c_str());
    return false;
  }
  if (!startDrawing(width, height)) return false;
  platform::setContextRenewedHandler(&KWindowGL::contextRenewed);
  followTheDisplay();
  KGraphicGL::setScreenSize(width, height, depth);
  detectCaps();
  glEnable(GL_DITHER);
  return true;
}

bool KWindowGL::startDrawing(int width, int height) {
  if (!batch::start()) {
    // A driver that cannot build the drawing program cannot show anything.
    KMiscTools::report(K_REPORT_ERROR, "could not set up OpenGL drawing", "", platform::lastReason().c_str());
    return false;
  }
  shownframe::start(width, height);
  return true;
}

void KWindowGL::stopDrawing() {
  if (!batch::started() || !platform::makeContextCurrent()) return;
  shownframe::stop();
  batch::stop();
}

bool KWindowGL::renewDrawing() {
  if (!batch::renew()) {
    KMiscTools::report(K_REPORT_ERROR, "could not set up OpenGL drawing", "", platform::lastReason().c_str());
    return false;
  }
  shownframe::renew();
  KGraphicGL::remakeTextures();
  detectCaps();
  return true;
}

void KWindowGL::contextRenewed() {
  if (windowGL_.currentWindow) windowGL_.currentWindow->renewDrawing();
}

bool KWindowGL::SwitchToResolution(short width, short height, short depth) {
  const bool opened = !platform::windowOpen();
  if (opened) {
    if (!platform::openWindow(title, 0, 0, width, height, depthBuffer)) return false;
    created_ = true;
    platform::showWindow();
  }
  if (!platform::setFullScreen(true, width, height, 75)) return false;
  if (!platform::makeContextCurrent()) {
    KMiscTools::report(K_REPORT_ERROR, "SetCurrentContext failed", "openGL error", platform::lastReason().c_str());
    platform::setFullScreen(false, width, height, 0);
    return false;
  }
  if (opened && !startDrawing(width, height)) return false;
  if (opened) platform::setContextRenewedHandler(&KWindowGL::contextRenewed);
  KGraphicGL::setScreenSize(width, height, depth);
  detectCaps();
  window = nullptr;
  glEnable(GL_DITHER);
  return true;
}

void KWindowGL::toggleFullScreen(bool on) {
  if (on == fullScreen) return;
  fullScreen = on;
  if (on) {
    SwitchToResolution(_windowWidth, _windowHeight, _windowDepth);
    return;
  }
  if (!platform::windowOpen()) {
    createGameWindow(_windowWidth, _windowHeight, _windowDepth, true, title);
    return;
  }
  platform::setFullScreen(false, _windowWidth, _windowHeight, 0);
  window = &windowGL_.windowToken;
  platform::makeContextCurrent();
}

void KWindowGL::minimize() {
  if (minimized) return;
  minimized = true;
  platform::minimizeWindow();
}

void KWindowGL::restore() {
  if (!minimized) return;
  minimized = false;
  platform::restoreWindow();
  platform::makeContextCurrent();
}

void KWindowGL::setTitle(const char *t) {
  if (!window) return;
  if (t != title) std::snprintf(title, sizeof title, "%s", t ? t : "");
  platform::setWindowTitle(title);
}

KWindowHandle KWindowGL::getWindowHandle() { return window; }
long KWindowGL::getWindowWidth() { return _windowWidth; }
long KWindowGL::getWindowHeight() { return _windowHeight; }
bool KWindowGL::getRectangleTexCap() { return hasRectangleText; }
bool KWindowGL::getAccelerationCap() { return accelerated; }
void KWindowGL::setRectangleTexCap(bool allowed) { hasRectangleText = allowed; }
void KWindowGL::setGamma(float g) { gamma = g; }
void KWindowGL::fadeToIntensity(float) {}
void KWindowGL::displayMouse(bool on) { mouseDisplayed = on; }

void KWindowGL::setScreenSaverInfo(long width, long height) {
  _windowWidth = static_cast<int16_t>(width);
  _windowHeight = static_cast<int16_t>(height);
  KGraphicGL::setScreenSize(static_cast<short>(width), static_cast<short>(height), 32);
}

void KWindowGL::enumerateDisplays(bool (*callback)(KDisplay *)) {
  if (!callback) return;
  static KDisplay kdisplay;
  for (const platform::DisplayMode &m : platform::displayModes()) {
    kdisplay.width = m.width;
    kdisplay.height = m.height;
    kdisplay.bitsPerPixel = m.bitsPerPixel;
    kdisplay.refreshRate = m.refreshRate;
    if (!callback(&kdisplay)) return;
  }
}

void KWindowGL::detectCaps() {
  const char *ext = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
  // Mesa names the same extension ARB; all three give the rectangle target,
  // which the engine's program reads only where it could be built for it.
  if (ext && batch::rectangleTextures() &&
      (std::strstr(ext, "GL_EXT_texture_rectangle") || std::strstr(ext, "GL_NV_texture_rectangle") ||
       std::strstr(ext, "GL_ARB_texture_rectangle")))
    hasRectangleText = true;
}

void KWindowGL::doGammaAdjustment() {
  setDefaultWorldView();
  float a = 1 - gamma;
  if (a < 0) a = 0;
  // A black rectangle over the whole game area, alpha-blended (opaque at
  // alpha 1 makes the same black); it leaves the colour white.
  KGraphicGL veil;
  veil.drawRect(0, 0, _windowWidth, _windowHeight, 0, 0, 0, a);
}

// ---------------------------------------------------------------- frames

void KWindowGL::setDefaultWorldView() {
  setWorldView(0, 0, 0, 1, false);
  processEvents();
}

void KWindowGL::setWorldView(float translateX, float translateY, float rotation, float zoom, bool clearWorld) {
  if (clearWorld) scaledInBuffer_ = false;
  const int w = _windowWidth, h = _windowHeight;
  const Matrix4 projection = Matrix4::ortho(0, static_cast<float>(w), 0, static_cast<float>(h), -100, 100);
  // Turned and zoomed about the middle of the game area; the translation is
  // in screen pixels whatever the zoom, and turns with the turn.
  Matrix4 view = Matrix4::identity();
  view.translate(static_cast<float>(w / 2), static_cast<float>(h / 2), 0);
  view.rotateZ(rotation);
  view.scale(zoom, zoom, 0);
  view.translate(static_cast<float>(-(w / 2)), static_cast<float>(-(h / 2)), 0);
  if (zoom != 0) view.translate(translateX / zoom, translateY / zoom, 0);
  batch::setView(projection, view);
  if (clearWorld) batch::clear(clearRed, clearGreen, clearBlue, clearAlpha);
  glDisable(GL_DEPTH_TEST);
  batch::setViewport(0, platform::gameAreaBottom(), w, h);
  glDisable(GL_DITHER);
}

void KWindowGL::setClearColor(float r, float g, float b, float a) {
  clearRed = r;
  clearGreen = g;
  clearBlue = b;
  clearAlpha = a;
  glClearColor(r, g, b, a);
}

void KWindowGL::setClipping(long x1, long y1, long x2, long y2) {
  // The box's lower edge in OpenGL's upward coordinates is the game's y2.
  batch::setScissor(true, static_cast<int>(x1), static_cast<int>(platform::gameAreaBottom() + _windowHeight - y2),
                    static_cast<int>(x2 - x1), static_cast<int>(y2 - y1));
}

void KWindowGL::setMaxFrameRate(long fps) {
  if (fps > 0) {
    frameTime = static_cast<uint32_t>(1000 / fps);
    if (created_) followTheDisplay();
  } else {
    frameTime = 0;
    // Unlimited frames: presentation waits for nothing.
    if (created_) platform::setSwapInterval(0);
    pacer_.setRefresh(0);
  }
}

void KWindowGL::followTheDisplay() {
  // Presentation in step with the display, where the driver offers it
  // (adaptive first) and the display's refresh is known; elsewhere swaps
  // never wait and the frame cap alone paces the game.
  const uint64_t refresh = platform::refreshPeriod();
  const bool synced = refresh != 0 && (platform::setSwapInterval(-1) || platform::setSwapInterval(1));
  if (!synced) platform::setSwapInterval(0);
  pacer_.setRefresh(synced ? refresh : 0);
}

void KWindowGL::flipBackBuffer(bool waitWhileInactive, bool resetView) {
  // The frame that read the mouse and keys is done: presses too short for
  // it to see held have been seen.
  platform::endOfFrame();
  KGraphicGL::vexo_glUnbindTexture();
  if (mouseDisplayed) {
    setDefaultWorldView();
    KInput::displayMouse();
  }
  // The system cursor: hidden over the game area once the mouse has left it.
  int mx, my;
  platform::mousePosition(mx, my);
  if (mx < 0 || my < 0 || mx > _windowWidth || my > _windowHeight) {
    if (!KInput::_cursorVisibility) KInput::showPointer();
    KInput::_cursorVisibility = false;
  } else if (!KInput::_cursorVisibility) {
    KInput::hidePointer();
  }
  platform::makeContextCurrent();
  if (gamma < 1) doGammaAdjustment();
  batch::flush();
  const platform::Placement placement = platform::placeGameArea();
  if (platform::hostRunsFrames()) {
    // The host shows the frame when its call returns and paces the loop
    // (runFrameLoop); a page in the background is not called at all. Of the
    // frames one call runs, only the last is seen: the others are not
    // presented. A page's buffer is emptied once shown: a save after it
    // takes the frame kept.
    if (hostShows_) {
      shownframe::present(placement);
      platform::swapBuffers();
      scaledInBuffer_ = true;
    }
    processEvents();
    if (resetView) setDefaultWorldView();
    return;
  }
  const uint64_t period = static_cast<uint64_t>(frameTime) * 1000;
  if (pacer_.period() != period) pacer_.setPeriod(period);
  // A frame whose presentation would hold the game back is not shown: the
  // game keeps its own pace on a display slower than it.
  if (pacer_.shouldShow(platform::microseconds())) {
    shownframe::present(placement);
    platform::swapBuffers();
    pacer_.shown(platform::microseconds());
    // Until the next frame is drawn, the buffer holds no game frame of its
    // own: one scaled to the window was drawn over it.
    scaledInBuffer_ = placement.width != _windowWidth || placement.height != _windowHeight;
  }
  processEvents();
  if (frameTime != 0) {
    // Wait in the event queue rather than spinning a core.
    for (uint64_t left; (left = pacer_.waitFrom(platform::microseconds())) > 0;) {
      platform::waitForEvent(static_cast<int>((left + 999) / 1000));
      processEvents();
    }
    pacer_.next(platform::microseconds());
  }
  if (resetView) setDefaultWorldView();
  if (platform::windowOpen()) {
    if (window && !platform::windowHasFocus() && waitWhileInactive) {
      while (!platform::windowHasFocus() && !_quitGL) {
        processEvents();
        platform::waitForEvent(50);
      }
      KMiscTools::freezeTimer();
    }
  }
}

void KWindowGL::runFrameLoop(bool (*frame)(), void (*ended)()) {
  if (!platform::hostRunsFrames()) {
    KWindow::runFrameLoop(frame, ended);
    return;
  }
  windowGL_.loopWindow = this;
  windowGL_.loopFrame = frame;
  windowGL_.loopEnded = ended;
  platform::runHostFrames(&KWindowGL::hostFrames);
}

void KWindowGL::hostFrames() {
  KWindowGL *window = windowGL_.loopWindow;
  if (!window) return;
  // Without its context the game waits, as a page in the background does:
  // a frame drawn now would never be seen.
  if (platform::contextLost()) return;
  FramePacer &pacer = window->pacer_;
  const uint64_t period = static_cast<uint64_t>(window->frameTime) * 1000;
  if (pacer.period() != period) pacer.setPeriod(period);
  // The host's window may have changed size since its last call: the frames
  // of this one are drawn for its new size.
  platform::placeGameArea();
  // The frames due by the time of the call, not by the time each ends: a
  // slow frame does not make more of them due.
  const uint64_t now = platform::microseconds();
  int ran = 0;
  while (pacer.hostFrameDue(now)) {
    pacer.hostFrameRan(now);
    ran++;
    window->hostShows_ = !pacer.hostFrameDue(now);
    if (windowGL_.loopFrame()) continue;
    platform::hostFramesRan(ran);
    platform::stopHostFrames();
    windowGL_.loopWindow = nullptr;
    if (windowGL_.loopEnded) windowGL_.loopEnded();
    platform::hostProgramEnded();
    return;
  }
  platform::hostFramesRan(ran);
}

// ---------------------------------------------------------------- size

bool KWindowGL::setWindowScale(double scale) {
  // An open window is never made larger than the desktop; the scale asked
  // before it opens is taken as it is.
  if (!(scale == 0 || scale >= 1) || (platform::windowOpen() && scale > getLargestWindowScale())) return false;
  chosenScale_ = scale;
  return platform::setWindowScale(scale);
}

double KWindowGL::getWindowScale() { return platform::windowScale(); }
double KWindowGL::getLargestWindowScale() { return platform::largestWindowScale(_windowWidth, _windowHeight); }
void KWindowGL::setWholeScaling(bool whole) { platform::setWholeScaling(whole); }
bool KWindowGL::isWholeScaling() { return platform::wholeScaling(); }
void KWindowGL::setApplicationId(const char *applicationId, const char *windowClass) {
  platform::setApplicationId(applicationId, windowClass);
}
bool KWindowGL::setDesktopFullScreen(bool on) { return platform::setDesktopFullScreen(on); }
bool KWindowGL::isDesktopFullScreen() { return platform::desktopFullScreen(); }
void KWindowGL::setShortcutKeys(int fullScreen, int screenshot) {
  fullScreenKey_ = fullScreen;
  screenshotKey_ = screenshot;
}

// ---------------------------------------------------------------- events

bool KWindowGL::isQuit() { return _quitGL; }
void KWindowGL::setQuit(bool quit) { _quitGL = quit; }
void KWindowGL::terminate() { _quitGL = true; }
bool KWindowGL::hasFocus() { return window ? platform::windowHasFocus() : true; }
void KWindowGL::setCallBack(bool (*callback)(EventRef)) { eventCallback = callback; }
void KWindowGL::setVexoCallBack(bool (*callback)(KEvent *)) { vexoEventCallback = callback; }

void KWindowGL::processEvents() {
  static int32_t sscount = 0;
  // Quit combination: Ctrl+Q, the convention of this platform; a page's
  // is the browser's, and a page is not closed by its program.
  if ((platform::keyDown(kScanLCtrl) || platform::keyDown(kScanRCtrl)) && hasFocus() &&
      KInput::isPressed(K_VK_Q) && !platform::hostIsPage())
    _quitGL = true;
  const auto pressed = [](int key) { return key >= 0 && key < K_VK_ERROR && KInput::isPressed(static_cast<EKeyboardLayout>(key)); };
  const bool screenshotKeys = (KInput::isPressed(K_VK_SHIFT) || KInput::isPressed(K_VK_RSHIFT)) && pressed(screenshotKey_);
  const bool screenshotAgain = screenshotKeys && !screenshotKeysHeld_;
  // A host that runs the frames cannot wait below for the keys' release:
  // one screenshot a press of them.
  screenshotKeysHeld_ = screenshotKeys && platform::hostRunsFrames();
  if (screenshotAgain) {
    sscount++;
    char name[64];
    std::snprintf(name, sizeof name, "screenshot%d.tga", sscount);
    // A read-only data folder (an installed game) sends the file to the
    // user's own data folder instead of losing it.
    if (platform::hostIsPage()) offerScreenshot(sscount);
    else saveBackBuffer(KMiscTools::makeWritableFilePath(name), 2, 0, 0);
    KInput::waitForKeyRelease(static_cast<EKeyboardLayout>(screenshotKey_));
    KInput::waitForKeyRelease(K_VK_SHIFT);
  }
  // F11: full screen at the desktop's resolution, the game as tall as the screen.
  if (pressed(fullScreenKey_) && hasFocus()) {
    platform::setDesktopFullScreen(!platform::desktopFullScreen());
    KInput::waitForKeyRelease(static_cast<EKeyboardLayout>(fullScreenKey_));
  }
  platform::Event e;
  if (!platform::pollEvent(e)) return;
  if (eventCallback && !eventCallback(&e)) return;
  handleEvent(e);
}

void KWindowGL::dispatchOneEvent() {
  platform::Event e;
  if (!platform::pollEvent(e)) return;
  if (windowGL_.currentWindow) windowGL_.currentWindow->handleEvent(e);
}

void KWindowGL::deliver(KEvent &event, int type) {
  event.type = type;
  vexoEventCallback(&event);
}

void KWindowGL::handleEvent(const platform::Event &e) {
  KEvent ke;
  std::memset(&ke, 0, sizeof ke);
  const bool cb = vexoEventCallback != nullptr;
  if (cb) {
    ke.button = e.button;
    ke.charCode = e.charCode;
    ke.keyCode = static_cast<uint32_t>(e.scancode);
    ke.mouseX = KInput::getMouseX();
    ke.mouseY = KInput::getMouseY();
    ke.nativeEvent = &e;
    ke.key = KInput::getVexoKey(static_cast<unsigned short>(e.scancode));
  }
  switch (e.kind) {
  case platform::Event::MouseDown:
    if (e.button == 2) KInput::_rbuttonstate = true;
    if (cb) deliver(ke, e.clicks >= 2 ? K_EVENT_DOUBLE_CLICK : K_EVENT_MOUSE_DOWN);
    break;
  case platform::Event::MouseUp:
    if (e.button == 2) KInput::_rbuttonstate = false;
    if (cb) deliver(ke, K_EVENT_MOUSE_UP);
    break;
  case platform::Event::MouseMoved:
    if (cb) deliver(ke, K_EVENT_MOUSE_MOVED);
    break;
  case platform::Event::MouseWheel:
    KInput::setLastWheelValue(static_cast<short>(e.wheel));
    if (cb) {
      ke.wheelDelta = static_cast<int16_t>(e.wheel);
      deliver(ke, K_EVENT_WHEEL);
    }
    break;
  case platform::Event::WindowClose:
  case platform::Event::Quit:
    _quitGL = true;
    break;
  case platform::Event::WindowExposed:
    if (cb) deliver(ke, K_EVENT_EXPOSED);
    break;
  case platform::Event::KeyDown:
  case platform::Event::KeyRepeat:
    if (cb) {
      ke.type = K_EVENT_KEY_DOWN;
      if (vexoEventCallback(&ke)) deliver(ke, K_EVENT_KEY_DOWN_AGAIN);
    }
    break;
  case platform::Event::KeyUp:
    if (cb) deliver(ke, K_EVENT_KEY_UP);
    break;
  case platform::Event::AppActivated:
    if (cb) {
      std::memset(&ke, 0, sizeof ke);
      deliver(ke, K_EVENT_ACTIVATED);
    }
    break;
  default:
    break;
  }
}

// ---------------------------------------------------------------- saving

bool KWindowGL::readBackBuffer(std::vector<uint32_t> &pixels, long &width, long &height) {
  const int W = _windowWidth, H = _windowHeight;
  try {
    pixels.resize(static_cast<size_t>(W) * H);
  } catch (const std::bad_alloc &) {
    return false;
  }
  // What is gathered belongs to the frame being saved.
  batch::flush();
  std::vector<unsigned char> shown;
  if (scaledInBuffer_ && shownframe::read(shown) && shown.size() == pixels.size() * 4) {
    // Just after a scaled frame was shown (a key seen during the flip's
    // wait): that frame, as the game drew it.
    std::memcpy(pixels.data(), shown.data(), shown.size());
  } else {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, platform::gameAreaBottom(), W, H, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  }
  // R, G, B, A bytes become B, G, R, A.
  for (uint32_t &p : pixels) p = (p & 0xFF00FF00u) | ((p & 0xFF) << 16) | ((p >> 16) & 0xFF);
  if (width <= 0) width = W;
  if (height <= 0) height = H;
  // A size beyond the window is cut to the window: there is nothing more to read.
  if (width > W) width = W;
  if (height > H) height = H;
  if (width < W || height < H) {
    // A smaller picture is the top-left part of the screen.
    std::vector<uint32_t> part(static_cast<size_t>(width) * height);
    for (long y = 0; y < height; y++)
      std::memcpy(&part[static_cast<size_t>(y) * width], &pixels[static_cast<size_t>(H - height + y) * W],
                  static_cast<size_t>(width) * 4);
    pixels.swap(part);
  }
  return true;
}

bool KWindowGL::saveBackBuffer(const char *fileName, long format, long width, long height) {
  std::vector<uint32_t> pixels;
  if (!readBackBuffer(pixels, width, height)) return false;
  savePicFile(fileName, pixels.data(), width, height, format);
  return true;
}

void KWindowGL::offerScreenshot(int number) {
  std::vector<uint32_t> pixels;
  long width = 0, height = 0;
  if (!readBackBuffer(pixels, width, height)) return;
  const std::string name = "zunk-screenshot-" + std::to_string(number) + ".png", path = "/tmp/" + name;
  if (platform::encodePicture(path.c_str(), platform::PictureFormat::PNG, static_cast<int>(width),
                              static_cast<int>(height), reinterpret_cast<const unsigned char *>(pixels.data())))
    platform::offerFile(path, name);
  std::remove(path.c_str());
}

bool KWindowGL::savePicFile(const char *fileName, const uint32_t *pixels, long width, long height, long format) {
  if (width <= 0 || height <= 0 || !fileName || !pixels) return false;
  if (format < 0 || format > 3) {
    KMiscTools::report(K_REPORT_WARNING, "no picture format of that number (0 to 3)", fileName, "nothing is written");
    return false;
  }
  KInput::showPointer();
  // The codec takes the pixels in this order and turns them as its format wants.
  if (platform::encodePicture(fileName, static_cast<platform::PictureFormat>(format), static_cast<int>(width),
                              static_cast<int>(height), reinterpret_cast<const unsigned char *>(pixels))) {
    KMiscTools::report(K_REPORT_NOTE, "export ok", fileName, "");
    return true;
  }
  KMiscTools::report(K_REPORT_ERROR, "can't do export", "GraphicsExportDoExport error -1",
                     platform::lastReason().c_str());
  return false;
}
