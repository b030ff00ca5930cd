#pragma once

// Which key does what: each action of the keyboard table has one key, and
// the gamepad's grab-and-throw and back one button each. The player may give
// any of them another, as long as no two share one; the menus' own keys
// (Esc, Return, Tab, the arrows on a menu) and the modifiers stay as they
// are, so that a player can always find the way back.

#include <string>

#include "KInput.h"

/// The keyboard's actions, in the order the keys' page lists them.
enum KeyAction : int {
  kActThrow = 0, ///< held: grab the ball; let go: throw
  kActPullLeft,
  kActPullRight,
  kActPullUp,
  kActPullDown,
  kActPause,
  kActBack, ///< a paused game back to the menu; back from help and high scores
  kActMusic,
  kActSounds,
  kActFullScreen,
  kActScreenshot, ///< with Shift held
  kKeyActions
};
/// The gamepad's two buttons that may be given another.
enum PadAction : int { kPadThrow = 0, kPadBack, kPadActions };

struct KeyMap {
  EKeyboardLayout keys[kKeyActions] = {K_VK_SPACE, K_VK_LEFT, K_VK_RIGHT, K_VK_UP, K_VK_DOWN, K_VK_P,
                                       K_VK_BACK,  K_VK_M,    K_VK_S,     K_VK_F11, K_VK_F6};
  int pad[kPadActions] = {K_JOY_A, K_JOY_B};
  bool operator==(const KeyMap &other) const;
  bool operator!=(const KeyMap &other) const { return !(*this == other); }
};

/// The name of a key as the screen and the settings file write it, ASCII
/// ("Space", "F11", "A", "Num5"); "" for a key without one.
std::string keyName(EKeyboardLayout key);
/// The key of that name; K_VK_ERROR for none.
EKeyboardLayout keyNamed(const std::string &name);
/// The same for a gamepad's buttons ("A", "LB"); -1 for none.
std::string padButtonName(int button);
int padButtonNamed(const std::string &name);
/// The names the settings file gives the actions ("throw", "pullleft"...).
const char *keyActionName(int action);
const char *padActionName(int action);

/// Whether a key may be given to an action: one with a name that is not a
/// menu's own key nor a modifier.
bool assignableKey(EKeyboardLayout key);
/// Whether a gamepad button may be: not Start, Guide nor the D-pad.
bool assignablePadButton(int button);
/// The action other than `action` that has `key`, or -1.
int keyTakenBy(const KeyMap &map, int action, EKeyboardLayout key);
int padButtonTakenBy(const KeyMap &map, int action, int button);
/// Whether every action has a key (and a button) of its own.
bool distinctKeys(const KeyMap &map);
