#pragma once

#include <cstdint>

#include "KInput.h"

namespace platform {
struct Event;
}

/// The platform's own event, as handed to a raw event filter.
typedef const platform::Event *EventRef;
/// The platform window; the engine draws into its one OpenGL context.
typedef void *KWindowHandle;

/// Renderer asked of the factory; every value gives the OpenGL window.
enum Erenderer { K_OPENGL = 1 };

/// One display mode of the main display.
struct KDisplay {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;
  int32_t refreshRate;
};

/// The record handed to the engine event callback.
/// What a KEvent reports (its type).
enum KEventType : int32_t {
  K_EVENT_MOUSE_MOVED = 1,
  K_EVENT_MOUSE_UP = 2,
  K_EVENT_MOUSE_DOWN = 3,
  K_EVENT_KEY_DOWN_AGAIN = 5, ///< a key press, delivered a second time
  K_EVENT_KEY_DOWN = 6,       ///< a key press (or repeat), first delivery
  K_EVENT_KEY_UP = 7,
  K_EVENT_DOUBLE_CLICK = 8,
  K_EVENT_WHEEL = 11,
  K_EVENT_EXPOSED = 12,   ///< the window's content must be drawn again
  K_EVENT_ACTIVATED = 13, ///< the application became active
};

struct KEvent {
  int32_t type; ///< a KEventType
  int32_t mouseX, mouseY;
  int32_t button; ///< 1 left, 2 right, 3 middle
  int16_t wheelDelta;
  char charCode;
  uint32_t keyCode; ///< the platform key code (scancode)
  EventRef nativeEvent;
  EKeyboardLayout key;
};

/// The game window: one window (or the full screen) with its OpenGL
/// context, the frame pacing and the window's event handling. Made by
/// KVexo::createKWindow; coordinates are pixels of the game area, origin
/// top-left, y downward.
class KWindow {
public:
  /// Identity view; also handles one pending event.
  virtual void setDefaultWorldView() = 0;
  /// Sets the view for the following blits: rotation and zoom about the
  /// middle of the game area, translation in screen pixels; clears if asked.
  virtual void setWorldView(float translateX, float translateY, float rotation, float zoom, bool clearWorld) = 0;
  /// Stores the clear colour and applies it at once.
  virtual void setClearColor(float r, float g, float b, float a) = 0;
  virtual ~KWindow();
  /// Opens the window (or the full screen) with its context; false on failure.
  /// A depth of 0 or less means 16 bits, above 32 means 32.
  virtual bool createGameWindow(short width, short height, short depth, bool windowed, const char *title) = 0;
  /// Sets the quit flag.
  virtual void terminate() = 0;
  virtual void toggleFullScreen(bool fullScreen) = 0;
  /// Whether the window is the active one (always true in full screen).
  virtual bool hasFocus() = 0;
  virtual void setTitle(const char *title) = 0;
  /// Shows the frame, waits out the rest of the frame time handling events,
  /// pauses while the window is inactive if asked, and resets the view if asked.
  /// Where the host runs the frame loop (runFrameLoop in a browser) the frame
  /// is shown when the host's call returns, and nothing waits.
  virtual void flipBackBuffer(bool waitWhileInactive, bool resetView) = 0;
  /// Handles the window's own key combinations and at most one event.
  virtual void processEvents() = 0;
  virtual bool isQuit() = 0;
  virtual KWindowHandle getWindowHandle() = 0;
  /// Caps the frame rate: 1000 / fps whole milliseconds a frame; 0 or less: no cap.
  virtual void setMaxFrameRate(long framesPerSecond) = 0;
  virtual bool getRectangleTexCap() = 0;
  virtual bool getAccelerationCap() = 0;
  virtual void setRectangleTexCap(bool allowed) = 0;
  /// Below 1, every frame is darkened by a black overlay of alpha 1 - gamma.
  virtual void setGamma(float gamma) = 0;
  virtual long getWindowWidth() = 0;
  virtual long getWindowHeight() = 0;
  virtual void restore() = 0;
  virtual void minimize() = 0;
  /// Saves the back buffer: format 0 BMP, 1 JPEG, 2 TGA, 3 PNG; sizes of 0
  /// or less mean the window's. False only when the pixels cannot be
  /// allocated: a file that could not be written is told in a message box
  /// ("can't do export"), as success is ("export ok"). An unknown format
  /// writes nothing and leaves a file of that name as it was.
  virtual bool saveBackBuffer(const char *fileName, long format, long width, long height) = 0;
  virtual void displayMouse(bool on) = 0;
  /// Reports the main display's modes until the callback returns false.
  virtual void enumerateDisplays(bool (*callback)(KDisplay *)) = 0;
  /// A raw filter that sees each event first; returning false drops it.
  virtual void setCallBack(bool (*callback)(EventRef)) = 0;
  /// The engine event callback.
  virtual void setVexoCallBack(bool (*callback)(KEvent *)) = 0;
  virtual void setQuit(bool quit) = 0;
  /// Draws to a surface of the given size supplied from outside.
  virtual void setScreenSaverInfo(long width, long height) = 0;

  // Added to the operations above, after them, so that their slots stay.
  /// Runs the frame loop: `frame` (which draws a frame and flips it) until
  /// it returns false, then `ended` (which may delete the window). Here a
  /// plain loop, paced by flipBackBuffer. A browser runs the loop itself
  /// from its animation frames: each of its calls runs the frames due by
  /// then at the cap's pace and shows the last; this then never returns.
  virtual void runFrameLoop(bool (*frame)(), void (*ended)()) {
    while (frame()) {
    }
    if (ended) ended();
  }

  // The game area shown larger, at any factor (drawn sharp) or at whole
  // factors only, and full screen at the desktop's resolution (what F11
  // switches). A window without these keeps its one size.
  /// The window's size as `scale` times the game's (from 1, rounded to
  /// whole pixels), or 0 for the largest whole multiple that fits the
  /// desktop (the default). Taken when the window is created, and at once
  /// by a created window; false where it cannot be applied.
  virtual bool setWindowScale(double scale) { return scale == 0 || scale == 1; }
  /// The factor the game area is shown at now.
  virtual double getWindowScale() { return 1; }
  /// The largest factor at which the window fits the desktop's work area;
  /// 1 at least.
  virtual double getLargestWindowScale() { return 1; }
  /// Whole factors only: the game area at the largest whole factor that
  /// fits the window or the screen. Off by default.
  virtual void setWholeScaling(bool) {}
  virtual bool isWholeScaling() { return false; }
  /// Who the program is to the desktop: the application id (Wayland) and
  /// the window class (X11), before the window is created.
  virtual void setApplicationId(const char *, const char *) {}
  /// Full screen at the desktop's resolution, the game as tall as the
  /// screen (at whole scaling, the largest whole factor) and centred;
  /// false where that is not possible.
  virtual bool setDesktopFullScreen(bool on) { return !on; }
  virtual bool isDesktopFullScreen() { return false; }
  /// The keys the window answers by itself (EKeyboardLayout values):
  /// full screen and back (F11 at first), and with Shift held a
  /// screenshot (F6 at first); K_VK_ERROR (100) for none.
  virtual void setShortcutKeys(int fullScreen, int screenshot) {
    (void)fullScreen;
    (void)screenshot;
  }
};
