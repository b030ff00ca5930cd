#pragma once

// The platform layer: the window, its OpenGL context, events, mouse and
// keyboard state, the pointer, the clock, message boxes, desktop launching,
// the locale and the executable's folder. This is the only part of the
// engine (with PictureCodec and the audio device in SoundChannel) that talks
// to SDL; the K classes call these functions instead. Window.cpp owns the
// window and its presentation, Input.cpp the events and input state,
// Gamepad.cpp the game controllers, System.cpp the folders, clock, message
// box, launching and locale.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "KReport.h"
#include "Placement.h"

namespace platform {

/// One window or application event, translated from the platform's queue.
struct Event {
  enum Kind {
    None,
    MouseDown,
    MouseUp,
    MouseMoved,
    MouseWheel,
    KeyDown,
    KeyRepeat,
    KeyUp,
    WindowClose,    ///< the close box or the window manager's close request
    WindowExposed,  ///< the window's content must be drawn again
    AppActivated,   ///< the window gained keyboard focus
    AppDeactivated, ///< the window lost keyboard focus
    Quit,           ///< the session asks the program to end
    FingerDown,     ///< a finger touched the window
    FingerMoved,
    FingerUp
  };
  Kind kind = None;
  int button = 0;     ///< 1 left, 2 right, 3 middle
  int clicks = 0;     ///< click count of a press
  int wheel = 0;      ///< wheel movement, positive away from the user
  int scancode = 0;   ///< key of a key event
  char charCode = 0;  ///< character of a key event, when it has one
  int x = 0, y = 0;   ///< mouse position in game pixels
  int64_t finger = 0; ///< which finger, of a finger event
  float touchX = 0, touchY = 0; ///< where a finger is, from 0 to 1 across the window
};

/// A display mode of the main display.
struct DisplayMode {
  int width, height, bitsPerPixel, refreshRate;
};

// ---- start-up -------------------------------------------------------------

/// Starts the video side of the platform; safe to call more than once.
bool initVideo();
/// Full path of the folder holding the executable, without a trailing '/'.
std::string executableFolder();
/// The user's home folder ($HOME, when it is an absolute path), or empty.
std::string homeFolder();
/// The user's configuration folder ($XDG_CONFIG_HOME or ~/.config), or empty.
std::string configFolder();
/// The user's data folder ($XDG_DATA_HOME or ~/.local/share), or empty,
/// with the reason in `problem` (HOME not set, or not absolute).
std::string userDataFolder(std::string *problem = nullptr);

// ---- the window -----------------------------------------------------------

/// Size of the main display's desktop in pixels.
void screenSize(int &width, int &height);
/// The kinds of OpenGL context the window can have: desktop OpenGL 2.1 or
/// later (compatibility profile), or OpenGL ES 2.0.
enum class ContextKind { Desktop, ES2 };
/// The kind asked for by the environment: ZUNK_GL=es2 for ES, ZUNK_GL=gl
/// (or nothing) for desktop OpenGL. `byName` tells whether ZUNK_GL named a
/// kind; another value is reported on standard error and asks for desktop.
ContextKind askedContextKind(bool *byName = nullptr);
/// The kind of the window's context (the last one made).
ContextKind contextKind();
/// Who the program is to the desktop: the application id a Wayland
/// compositor matches with its desktop entry, and the X11 window class
/// (the desktop entry's StartupWMClass). Taken when the video starts, so
/// called before anything opens a window; the environment's
/// SDL_VIDEO_WAYLAND_WMCLASS and SDL_VIDEO_X11_WMCLASS still win.
void setApplicationId(const char *applicationId, const char *windowClass);
/// Opens the one window with a double-buffered OpenGL context of the kind
/// asked for, of `width` by `height` game pixels at (x, y) on the screen.
/// The window may be larger than the game area (see setWindowScale); the
/// player may resize it, down to the game's size, and the game area fills
/// it. Where desktop OpenGL was not asked for by name and cannot be had, ES
/// is tried.
bool openWindow(const char *title, int x, int y, int width, int height, bool depthBuffer);
/// Why the last openWindow failed, as the system said (for each kind of
/// context tried).
std::string windowError();
/// Whether the window is open.
bool windowOpen();
/// Closes the window and its context.
void closeWindow();
void setWindowTitle(const char *title);
void showWindow();
void minimizeWindow();
void restoreWindow();
/// Switches to full screen at the display mode closest to the size at
/// `refreshRate` Hz, or back to the window.
bool setFullScreen(bool on, int width, int height, int refreshRate);
/// Whether the window has keyboard focus (scripted input: its `focused`).
bool windowHasFocus();
/// Position of the game area's top-left corner on the screen.
void windowPosition(int &x, int &y);
/// Makes the window's context current; false if that failed.
bool makeContextCurrent();
/// Whether the window's context is lost: a browser took its WebGL context
/// away (a driver reset, too many contexts) and may give it back. Nothing
/// drawn meanwhile is seen, and none of the objects made in it is left.
bool contextLost();
/// Called when the window's context has come back empty, current: a
/// browser gave back the WebGL context it had taken (the page's refusal of
/// the loss asked it to), or renewContext replaced it. Whoever drew in it
/// makes its textures, buffers and programs again: none of the old ones is
/// there, and none may be deleted. Null for none.
using ContextRenewedHandler = void (*)();
void setContextRenewedHandler(ContextRenewedHandler handler);
/// A new context of the same kind takes the place of the window's, which
/// goes with every object in it, as a lost context comes back; made
/// current, then the handler is called. For tests of what must survive a
/// loss. False (the old context kept) where none can be made, and in a
/// browser, whose context is the page's.
bool renewContext();
/// The context's OpenGL function of that name, or null: for the calls
/// outside the set every context has (the fixed function of desktop OpenGL).
void *glFunction(const char *name);
/// Whether presentation waits for the display's refresh: 0 never, 1 always,
/// -1 unless the frame is late (adaptive). False where the driver refuses.
bool setSwapInterval(int interval);
/// Microseconds between the window's display's refreshes; 0 when unknown.
uint64_t refreshPeriod();
/// Measures the window and places the game area in it (placeGameIn), at
/// any factor or, with whole scaling, at whole factors only. The mouse and
/// touch are mapped by the last placement.
Placement placeGameArea();
/// Shows the frame drawn since the last swap.
void swapBuffers();
/// For tests: called in every swap, once the window's own framebuffer holds
/// the frame as it will be shown (scaled, with its margins) and is bound for
/// reading, just before it is shown; `width` and `height` are the window's
/// size in pixels. Null for none.
using PresentHook = void (*)(int width, int height);
void setPresentHook(PresentHook hook);
/// The window's size as `scale` times the game's (any factor from 1, its
/// size rounded to whole pixels), or 0 for the largest whole multiple that
/// fits the desktop (the default). Taken when the window opens, and at once
/// by an open window; false for a scale below 1 (but 0), or 0 for an open
/// window.
bool setWindowScale(double scale);
/// The factor the game area is shown at now (its height's).
double windowScale();
/// The largest factor at which a window of `width` by `height` game pixels
/// fits the desktop's work area, its frame included once the window is
/// open; 1 at least.
double largestWindowScale(int width, int height);
/// Whole scaling only: the game area is shown at the largest whole factor
/// that fits the window or the screen, each game pixel a square of pixels.
/// Off by default: any factor, drawn sharp.
void setWholeScaling(bool whole);
bool wholeScaling();
/// The game area's lowest row in the buffer being drawn, counted upwards:
/// where the view and the clipping box start.
int gameAreaBottom();
/// Full screen at the desktop's own resolution, the game area as tall as
/// the screen (whole scaling: the largest whole factor) and centred; false
/// where that is not possible.
bool setDesktopFullScreen(bool on);
bool desktopFullScreen();
/// The display modes of the main display, in the platform's order.
std::vector<DisplayMode> displayModes();

// ---- events ---------------------------------------------------------------

/// Takes one event off the queue without waiting; false when there is none.
bool pollEvent(Event &event);
/// Waits up to `milliseconds` for an event to arrive, leaving it queued.
void waitForEvent(int milliseconds);
/// Lets the platform update its mouse and keyboard state.
void pumpEvents();
/// Called from pollEvent when an audio output device goes away, with its id:
/// the sound side reopens the default device.
using AudioDeviceLost = void (*)(uint32_t device);
void setAudioDeviceLostHandler(AudioDeviceLost handler);

// ---- mouse and keyboard state ---------------------------------------------

/// The mouse position in game pixels, read now; may lie outside the window.
void mousePosition(int &x, int &y);
/// Whether the left mouse button is down now, or was pressed since the
/// last look (see endOfFrame). A finger on the window counts as the button.
bool leftButtonDown();
/// Whether the key of `scancode` is down now, or was pressed since the
/// last look: a tap whose release came before the look reads as down until
/// the end of the frame that saw it.
bool keyDown(int scancode);
/// Whether the key of `scancode` is held down now, as the device says.
bool keyHeld(int scancode);
/// The press of `scancode` has been dealt with (its release waited for):
/// it reads as held or not from now on.
void forgetPress(int scancode);
/// The frame's reads are done: presses they saw, and released since, read
/// as up from now on. Called as each frame is shown.
void endOfFrame();
/// Whether the mouse is the pointer: it was the last to point (moved or
/// pressed, scripted input's mouse moved or pressed too), not a finger, a
/// key of the play (not a modifier or function key) or a gamepad. A page's
/// mouse points once it has moved over the page.
bool mousePointing();
void showCursor(bool show);
/// Moves the pointer to (x, y) in game pixels.
void warpMouse(int x, int y);
/// The file the user dropped on the window since the last call (the last
/// one, when several were), as its full path; empty for none. Reading it
/// forgets it.
std::string takeDroppedFile();

/// Scripted input for tests: while set, the mouse and keyboard state and
/// the window's focus come from this record instead of the devices.
struct ScriptedInput {
  int mouseX = 0, mouseY = 0;
  bool leftButton = false;
  bool keys[512] = {};
  bool focused = true;
};
void setScriptedInput(const ScriptedInput *input);
/// Scripted events for tests: a mouse press or motion, a key press, a
/// finger (touch positions from 0 to 1 across the window), taken as the
/// same events from the devices would be, the moment they arrive.
void feedInput(const Event &event);

// ---- game controllers -------------------------------------------------------

/// How many controllers are followed at once.
constexpr int kControllerSlots = 2;
/// Starts following game controllers (those attached now are opened); safe
/// to call more than once; false where the platform has no controller support.
bool initControllers();
/// Opens controllers plugged in since the last call, in the first free slot,
/// and frees the slots of those pulled out. Also run for every plug event.
void rescanControllers();
/// Lets every controller go.
void closeControllers();
/// Whether slot `index` holds an attached controller.
bool controllerAttached(int index);
/// Whether `button` of the controller in slot `index` is down. Buttons are
/// numbered as on a standard pad: A, B, X, Y, back, guide, start, left
/// stick, right stick, left shoulder, right shoulder, then the D-pad's up,
/// down, left and right (0 to 14).
bool controllerButton(int index, int button);
/// Axis `axis` (0 left stick x, 1 left stick y, 2 right stick x, 3 right
/// stick y; y grows downwards) from -32768 to 32767; 0 when not attached.
int controllerAxis(int index, int axis);

// ---- system services --------------------------------------------------------

/// Microseconds from an arbitrary start, monotonic, 64 bits.
uint64_t microseconds();
/// A scripted clock for tests: while set, microseconds() reads this value.
void setScriptedClock(const uint64_t *microseconds);
/// The current year of the local calendar.
int localYear();
/// Sleeps the calling thread.
void sleepMilliseconds(int milliseconds);
/// Shows a modal box with a heading and a detail text; with no display, or
/// with K_MESSAGES_TO_STDERR set in the environment, the texts go to
/// standard error. A hook set for tests receives them instead.
void messageBox(const char *heading, const char *detail);
using MessageHook = void (*)(const char *heading, const char *detail);
void setMessageHook(MessageHook hook);
/// Asks the desktop to open an address; false on failure.
bool openURL(const char *url);
/// Puts `text` on the clipboard, for the user to paste elsewhere: the
/// desktop's (the window must be open), or in a browser the page's, as the
/// browser allows it (it may still refuse later: the page then says so).
/// False when it could not be.
bool setClipboardText(const std::string &text);
/// The address of the page the program runs in, without its fragment (what
/// follows '#'); empty outside a browser.
std::string pageAddress();
/// The languages the user asks for, most wanted first, read from the
/// environment as gettext reads it: LANGUAGE's colon-separated list (unless
/// the locale is C or POSIX), then the first of LC_ALL, LC_MESSAGES and
/// LANG. Each is "ll" or "ll_CC" (codeset and modifier dropped); values
/// that are not language tags are left out. The locale need not be
/// installed on the machine. In a browser: the browser's languages.
std::vector<std::string> preferredLanguages();
/// The first of preferredLanguages(), or empty.
std::string preferredLocale();

// ---- what the user asked of every program ------------------------------------

/// Whether the user asked for less motion, and for more contrast: in a
/// browser its media queries (prefers-reduced-motion: reduce,
/// prefers-contrast: more), asked anew each call; on the desktop the
/// settings portal on the session bus (GNOME's animations switched off;
/// the appearance's contrast set to more), read once. False where nothing
/// says.
bool prefersReducedMotion();
bool prefersMoreContrast();
/// Asks the host for a data file the program did not start with (a
/// browser fetches a language's sheet into the data folder); it is there
/// once fileExists says so. Nothing to do where every data file is there.
void fetchDataFile(const char *name);

// ---- ending from outside ------------------------------------------------------

/// The signals that ask a program to end (SIGTERM, SIGINT, SIGHUP as its
/// terminal closes, SIGQUIT) end this one as its close box does: pollEvent
/// gives a Quit event, and the program runs its end. While a modal message
/// box is shown they end it at once, as the system would. Set up as the
/// video starts; safe to call more than once.
void watchEndSignals();
/// The signal that asked the program to end (0 for none).
int endSignal();
/// The display is lost (its connection broken, the window destroyed by
/// another program): the program can show nothing more, and is ended right
/// after the handler, with the status it returns. What the program keeps
/// at its end, it keeps there; it must not touch the window. Null: none
/// (the program ends with status 1).
using DisplayLostHandler = int (*)();
void setDisplayLostHandler(DisplayLostHandler handler);
/// Starts watching the window's display for its loss (X11: its connection's
/// errors); called as the window opens.
void watchDisplay();

// ---- reports ----------------------------------------------------------------

/// Reports a failure of the engine or of this layer (KReport.h): to the
/// handler set, else by its level: a message box (heading; detail and
/// reason) for a note or an error, a line on standard error for a warning.
/// The one way the engine says what went wrong; KMiscTools::report is its
/// door in the engine's interface. Any thread.
void report(EReportLevel level, const char *heading, const char *detail, const char *reason);
/// Null: reports are routed by their level.
void setReportHandler(KReportHandler handler);
/// The last report made, whoever received it (empty texts before any).
KReport lastReport();
/// The reason of the last report: what a caller reporting the same
/// failure again, in its own words, gives as its reason.
std::string lastReason();
/// Writes a line to standard error: where reports and message boxes go
/// with no display to show them.
void toStandardError(const std::string &line);

// ---- the host: a process on a desktop, or a page in a browser ---------------

/// Whether the host runs the frame loop from its display's refreshes (a
/// browser): the program returns to it after every call and must never wait.
bool hostRunsFrames();
/// Hands the frame loop to the host: `callback` is called once a display
/// refresh until stopHostFrames(). In a browser this does not return (the
/// program lives on in the callbacks); elsewhere it returns once stopped.
void runHostFrames(void (*callback)());
void stopHostFrames();
/// A call of the host ran `frames` frames of the game: a page counts them
/// (Module.zunkGameFrames) for whoever measures its pace.
void hostFramesRan(int frames);
/// The program has ended: a page says so to its player.
void hostProgramEnded();
/// Files in the user's folders have been written or removed: the host keeps
/// them (a browser writes them through to its storage; a desktop's files
/// are kept already).
void userFilesChanged();
/// Whether the host keeps the user's folders in storage of its own that
/// other programs of its (a browser's other tabs) change too: every change
/// of them is then made between takeUserFiles and giveUserFiles.
bool hostKeepsUserFiles();
/// Takes the host's lock on the user's folders, waiting for the other tabs
/// (the program is suspended meanwhile, and goes on where it was), and
/// brings their files up to date with what storage holds now. False, with
/// the reason in `why`, when storage cannot be had now (it has not
/// answered yet, or another tab kept the lock too long).
bool takeUserFiles(std::string &why);
/// Writes what changed in the user's folders since takeUserFiles through
/// to storage, file by file, and lets the lock go once it is written.
void giveUserFiles();
/// `handler` is called when storage that answered late has come in: the
/// user's files are there now, and what could not be kept before can be.
/// Null for none.
void setUserFilesArrivedHandler(void (*handler)());
/// `handler` is called when the host is about to hide the program, after
/// which it may end it without notice (a page hidden, closed or reloaded):
/// once a hiding, from within the host's event. What the program saves
/// there is written through to the host's storage at once. Never called
/// on a desktop, whose program ends with notice. Null for none.
using HidingHandler = void (*)();
void setHidingHandler(HidingHandler handler);
/// Whether the host is a web page: the browser owns the window's end, some
/// keys (Ctrl+Q, Ctrl+Plus and Minus, the function keys), and the files a
/// player reaches (a download, a file chosen in a picker).
bool hostIsPage();
/// The player's files are worth keeping for good: a host that may drop them
/// to make room (a browser clears a site's storage) is asked not to, once a
/// visit. Nothing on a desktop.
void askForLastingStorage();
/// Hands the file at `path` to the player under `name`: a page downloads
/// it. False where the host has no such way (a desktop: the file is where
/// it was written).
bool offerFile(const std::string &path, const std::string &name);
/// Files given to a page's program (dropped on the page, chosen in its
/// picker; a desktop's come dropped on its window, by takeDroppedFile) are
/// taken while `maxBytes` is above 0; a page writes at most one
/// byte more of a larger one, for the reader to refuse. 0: none is taken
/// (and a page does not open one dropped on it).
void acceptGivenFiles(size_t maxBytes);
/// A page opens its file picker for the player to choose a file to give;
/// false where there is none (a desktop's files come dropped on its window).
bool askForFile();
/// The path of the file given last and not taken yet, or "" (taken now).
std::string takeGivenFile();
/// A file was given (a page's, dropped or chosen): kept for takeGivenFile while
/// files are accepted.
void fileGiven(const std::string &path);
/// The browser's languages (BCP 47 tags as navigator.languages gives them,
/// most wanted first) as "ll" or "ll_CC" tags; tags of other shapes
/// ("zh-Hant-TW", "x-klingon") are left out.
std::vector<std::string> browserLanguageTags(const std::vector<std::string> &bcp47);

} // namespace platform
