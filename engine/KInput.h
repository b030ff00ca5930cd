#pragma once

#include <cstdint>
#include <string>

/// The engine's key values. Their order is fixed; KInput::KeyboardLayout
/// maps each to the platform's key code.
enum EKeyboardLayout {
  K_VK_LEFT = 0, K_VK_UP, K_VK_DOWN, K_VK_RIGHT, K_VK_SPACE, K_VK_SHIFT, K_VK_RSHIFT, K_VK_RETURN, K_VK_R_CONTROL,
  K_VK_L_CONTROL,
  K_VK_F1 = 10, K_VK_F2, K_VK_F3, K_VK_F4, K_VK_F5, K_VK_F6, K_VK_F7, K_VK_F8, K_VK_F9, K_VK_F10, K_VK_F11, K_VK_F12,
  K_VK_BACK = 22, K_VK_TAB, K_VK_ESCAPE,
  K_VK_A = 25, K_VK_B, K_VK_C, K_VK_D, K_VK_E, K_VK_F, K_VK_G, K_VK_H, K_VK_I, K_VK_J, K_VK_K, K_VK_L, K_VK_M, K_VK_N,
  K_VK_O, K_VK_P, K_VK_Q, K_VK_R, K_VK_S, K_VK_T, K_VK_U, K_VK_V, K_VK_W, K_VK_X, K_VK_Y, K_VK_Z,
  K_VK_0 = 51, K_VK_1, K_VK_2, K_VK_3, K_VK_4, K_VK_5, K_VK_6, K_VK_7, K_VK_8, K_VK_9,
  K_VK_NUM0 = 61, K_VK_NUM1, K_VK_NUM2, K_VK_NUM3, K_VK_NUM4, K_VK_NUM5, K_VK_NUM6, K_VK_NUM7, K_VK_NUM8, K_VK_NUM9,
  K_VK_MULTIPLY = 71, K_VK_ADD, K_VK_SUBTRACT, K_VK_DECIMAL, K_VK_DIVIDE, K_VK_CLEAR,
  K_VK_COMMAND = 77, K_VK_OPTION, K_VK_R_OPTION, K_VK_CAPS, K_VK_F14,
  K_VK_SEMI = 82, K_VK_EQUAL, K_VK_COMMA, K_VK_MINUS, K_VK_PERIOD, K_VK_SLASH, K_VK_GRAVE, K_VK_LBRACKET,
  K_VK_BACKSLASH, K_VK_RBRACKET, K_VK_QUOTE,
  K_VK_END = 93, K_VK_HOME, K_VK_DEL, K_VK_INSERT, K_VK_F13, K_VK_PAGE_UP, K_VK_PAGE_DOWN,
  K_VK_ERROR = 100
};

/// Gamepad buttons as joyButtonN numbers them: a standard pad's layout.
enum EJoyButton {
  K_JOY_A = 0, K_JOY_B, K_JOY_X, K_JOY_Y, K_JOY_BACK, K_JOY_GUIDE, K_JOY_START, K_JOY_LEFT_STICK, K_JOY_RIGHT_STICK,
  K_JOY_LEFT_SHOULDER, K_JOY_RIGHT_SHOULDER, K_JOY_DPAD_UP, K_JOY_DPAD_DOWN, K_JOY_DPAD_LEFT, K_JOY_DPAD_RIGHT
};

/// One entry of the key table: an engine key and its platform key code.
struct KKeyboardLayoutEntry {
  int32_t key;
  uint16_t code;
};

/// Mouse, keyboard and pointer, all static, read from the platform at the
/// moment of the call (a press shorter than a frame is kept for the frame's
/// look; a finger on the window is the mouse). The right button and the wheel arrive as window
/// events and are kept here by the window's handler.
class KInput {
public:
  KInput();
  ~KInput();

  /// Called by the window when it is made (null in full screen).
  static void initInput(void *window);
  /// Mouse position in game pixels; may lie outside the window.
  static short getMouseX();
  static short getMouseY();
  /// Whether the mouse is the pointer: the mouse moved or pressed last, not
  /// a finger on the window, a key of the play (modifiers and function keys
  /// aside) or a gamepad. A program that draws a pointer of its own draws
  /// it only then. (A page's mouse points once it has moved over the page.)
  static bool isMousePointing();
  /// Whether the left button (or a finger on the window) is down now; a
  /// click whose release came before the look reads as down until the
  /// frame that saw it is shown.
  static bool getLeftButtonState();
  /// Whether the right button is down (from window events).
  static bool getRightButtonState();
  /// The last wheel delta, reported once: the next call gives 0.
  static short getWheelValue();
  static void setLastWheelValue(short value);
  /// Whether `key` is down now; a tap whose release came before the look
  /// reads as down until the frame that saw it is shown.
  static bool isPressed(EKeyboardLayout key);
  /// Returns once `key` is up, following the state as the platform updates it.
  static void waitForKeyRelease(EKeyboardLayout key);
  /// The engine key of a platform key code; K_VK_ERROR (100) when unknown.
  static EKeyboardLayout getVexoKey(unsigned short code);
  /// Shows the system pointer (repeated calls are harmless).
  static void showPointer();
  /// Hides the system pointer (repeated calls are harmless).
  static void hidePointer();
  /// Moves the pointer to (x, y) in game pixels.
  static void mousePointerTo(long x, long y);
  static void clipPointer(bool clip);
  static void displayMouse();
  static void freeMouse();
  static void generateMouse();
  /// The file the user dropped on the window since the last call (its full
  /// path; the last one when several were), or "" for none. Taking it
  /// forgets it: call it once a frame and act on what it gives.
  static std::string takeDroppedFile();

  // Gamepads, index 0 or 1: the controllers in the order they were plugged
  // in. Each is read only while enabled; pulled out, it reads as released.
  /// Opens gamepads plugged in since the last look and lets go of those
  /// pulled out (the window also does this when one comes or goes).
  static void RescanJoysticks();
  /// Enables gamepad `index`: true if one is plugged in there.
  static bool joyEnable(char index);
  static void joyDisable(char index);
  /// The D-pad, or the left stick pushed past a third of its travel.
  static bool joyLeft(char index);
  static bool joyRight(char index);
  static bool joyUp(char index);
  static bool joyDown(char index);
  /// Stick `axis` (0 left, 1 right) from -32768 to 32767: x grows rightwards,
  /// y downwards; 0 for a gamepad not enabled.
  static long joyX(char index, long axis);
  static long joyY(char index, long axis);
  /// Whether `button` (an EJoyButton) is down.
  static bool joyButtonN(char index, long button);
  /// Returns once `button` is up, or the gamepad is gone.
  static void joyWaitForJoyButtonUp(char index, long button);

  static void *_hwnd;
  static bool _rbuttonstate;
  static int16_t _lastWheelValue;
  static int32_t _cursorVis;
  static bool _cursorVisibility;
  static bool joystick[2]; ///< enabled by joyEnable and not disabled since
  static uint32_t mousePattern[2 + 256];
  static uint32_t *_mousePointerBuffer;
  static const KKeyboardLayoutEntry KeyboardLayout[101];
};
