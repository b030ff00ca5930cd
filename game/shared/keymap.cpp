#include "keymap.h"

#include <algorithm>
#include <iterator>

namespace {
struct Named {
  EKeyboardLayout key;
  const char *name;
};
// Every key the player may see named: letters and digits as printed,
// the rest as keyboards print them, in ASCII.
const Named kKeyNames[] = {
    {K_VK_LEFT, "Left"},       {K_VK_UP, "Up"},           {K_VK_DOWN, "Down"},       {K_VK_RIGHT, "Right"},
    {K_VK_SPACE, "Space"},     {K_VK_SHIFT, "Shift"},     {K_VK_RSHIFT, "RShift"},   {K_VK_RETURN, "Return"},
    {K_VK_R_CONTROL, "RCtrl"}, {K_VK_L_CONTROL, "Ctrl"},  {K_VK_F1, "F1"},           {K_VK_F2, "F2"},
    {K_VK_F3, "F3"},           {K_VK_F4, "F4"},           {K_VK_F5, "F5"},           {K_VK_F6, "F6"},
    {K_VK_F7, "F7"},           {K_VK_F8, "F8"},           {K_VK_F9, "F9"},           {K_VK_F10, "F10"},
    {K_VK_F11, "F11"},         {K_VK_F12, "F12"},         {K_VK_BACK, "Backspace"},  {K_VK_TAB, "Tab"},
    {K_VK_ESCAPE, "Esc"},      {K_VK_NUM0, "Num0"},       {K_VK_NUM1, "Num1"},       {K_VK_NUM2, "Num2"},
    {K_VK_NUM3, "Num3"},       {K_VK_NUM4, "Num4"},       {K_VK_NUM5, "Num5"},       {K_VK_NUM6, "Num6"},
    {K_VK_NUM7, "Num7"},       {K_VK_NUM8, "Num8"},       {K_VK_NUM9, "Num9"},       {K_VK_MULTIPLY, "Num*"},
    {K_VK_ADD, "Num+"},        {K_VK_SUBTRACT, "Num-"},   {K_VK_DECIMAL, "Num."},    {K_VK_DIVIDE, "Num/"},
    {K_VK_CLEAR, "Clear"},     {K_VK_COMMAND, "Super"},   {K_VK_OPTION, "Alt"},      {K_VK_R_OPTION, "AltGr"},
    {K_VK_CAPS, "CapsLock"},   {K_VK_F14, "F14"},         {K_VK_SEMI, ";"},          {K_VK_EQUAL, "="},
    {K_VK_COMMA, ","},         {K_VK_MINUS, "-"},         {K_VK_PERIOD, "."},        {K_VK_SLASH, "/"},
    {K_VK_GRAVE, "`"},         {K_VK_LBRACKET, "["},      {K_VK_BACKSLASH, "\\"},    {K_VK_RBRACKET, "]"},
    {K_VK_QUOTE, "'"},         {K_VK_END, "End"},         {K_VK_HOME, "Home"},       {K_VK_DEL, "Del"},
    {K_VK_INSERT, "Insert"},   {K_VK_F13, "F13"},         {K_VK_PAGE_UP, "PgUp"},    {K_VK_PAGE_DOWN, "PgDn"},
};
// The keys the menus answer to whatever the map says, and the modifiers
// (Shift makes the screenshot, Ctrl the window's size and Ctrl+Q).
const EKeyboardLayout kKeptKeys[] = {K_VK_ESCAPE, K_VK_RETURN,    K_VK_TAB,     K_VK_SHIFT,  K_VK_RSHIFT,
                                     K_VK_L_CONTROL, K_VK_R_CONTROL, K_VK_COMMAND, K_VK_OPTION, K_VK_R_OPTION,
                                     K_VK_CAPS};
const char *const kPadNames[] = {"A",      "B",      "X",  "Y",  "Back", "Guide", "Start", "LStick",
                                 "RStick", "LB",     "RB", "Up", "Down", "Left",  "Right"};
const char *const kActionNames[kKeyActions] = {"throw", "pullleft", "pullright", "pullup",     "pulldown",  "pause",
                                               "back",  "music",    "sounds",    "fullscreen", "screenshot"};
const char *const kPadActionNames[kPadActions] = {"throw", "back"};
} // namespace

bool KeyMap::operator==(const KeyMap &other) const {
  return std::equal(std::begin(keys), std::end(keys), std::begin(other.keys)) &&
         std::equal(std::begin(pad), std::end(pad), std::begin(other.pad));
}

std::string keyName(EKeyboardLayout key) {
  for (const Named &n : kKeyNames)
    if (n.key == key) return n.name;
  if (key >= K_VK_A && key <= K_VK_Z) return std::string(1, static_cast<char>('A' + (key - K_VK_A)));
  if (key >= K_VK_0 && key <= K_VK_9) return std::string(1, static_cast<char>('0' + (key - K_VK_0)));
  return "";
}

EKeyboardLayout keyNamed(const std::string &name) {
  if (name.empty()) return K_VK_ERROR;
  for (int k = 0; k < K_VK_ERROR; k++)
    if (keyName(static_cast<EKeyboardLayout>(k)) == name) return static_cast<EKeyboardLayout>(k);
  return K_VK_ERROR;
}

std::string padButtonName(int button) {
  return button >= 0 && button < static_cast<int>(std::size(kPadNames)) ? kPadNames[button] : "";
}

int padButtonNamed(const std::string &name) {
  for (int b = 0; b < static_cast<int>(std::size(kPadNames)); b++)
    if (name == kPadNames[b]) return b;
  return -1;
}

const char *keyActionName(int action) { return action >= 0 && action < kKeyActions ? kActionNames[action] : ""; }
const char *padActionName(int action) { return action >= 0 && action < kPadActions ? kPadActionNames[action] : ""; }

bool assignableKey(EKeyboardLayout key) {
  return !keyName(key).empty() && std::find(std::begin(kKeptKeys), std::end(kKeptKeys), key) == std::end(kKeptKeys);
}

bool assignablePadButton(int button) {
  return button >= 0 && button <= K_JOY_RIGHT_SHOULDER && button != K_JOY_START && button != K_JOY_GUIDE;
}

int keyTakenBy(const KeyMap &map, int action, EKeyboardLayout key) {
  for (int a = 0; a < kKeyActions; a++)
    if (a != action && map.keys[a] == key) return a;
  return -1;
}

int padButtonTakenBy(const KeyMap &map, int action, int button) {
  for (int a = 0; a < kPadActions; a++)
    if (a != action && map.pad[a] == button) return a;
  return -1;
}

bool distinctKeys(const KeyMap &map) {
  for (int a = 0; a < kKeyActions; a++)
    if (keyTakenBy(map, a, map.keys[a]) >= 0) return false;
  for (int a = 0; a < kPadActions; a++)
    if (padButtonTakenBy(map, a, map.pad[a]) >= 0) return false;
  return true;
}
