#include "KInput.h"

#include "KMiscTools.h"
#include "platform/Platform.h"

void *KInput::_hwnd = nullptr;
bool KInput::_rbuttonstate = false;
int16_t KInput::_lastWheelValue = 0;
int32_t KInput::_cursorVis = 0;
bool KInput::_cursorVisibility = true;
bool KInput::joystick[2] = {false, false};

namespace {
// A 16 x 16 arrow: tip at the top-left pixel, white outline, black fill.
const char *const kArrow[16] = {
    "X.........", "XX........", "XoX.......", "XooX......", "XoooX.....", "XooooX....", "XoooooX...", "XooooooX..",
    "XoooooooX.", "XooooXXXXX", "XooXooX...", "XoX.XooX..", "XX..XooX..", "X....XooX.", ".....XXXX.", ".........."};
} // namespace

uint32_t KInput::mousePattern[2 + 256] = {16, 16};
uint32_t *KInput::_mousePointerBuffer = KInput::mousePattern;

// Platform key codes are SDL scancodes (USB usage numbers).
const KKeyboardLayoutEntry KInput::KeyboardLayout[101] = {
    {0, 80},   {1, 82},   {2, 81},   {3, 79},   {4, 44},   {5, 225},  {6, 229},  {7, 40},   {8, 228},  {9, 224},
    {10, 58},  {11, 59},  {12, 60},  {13, 61},  {14, 62},  {15, 63},  {16, 64},  {17, 65},  {18, 66},  {19, 67},
    {20, 68},  {21, 69},  {22, 42},  {23, 43},  {24, 41},  {25, 4},   {26, 5},   {27, 6},   {28, 7},   {29, 8},
    {30, 9},   {31, 10},  {32, 11},  {33, 12},  {34, 13},  {35, 14},  {36, 15},  {37, 16},  {38, 17},  {39, 18},
    {40, 19},  {41, 20},  {42, 21},  {43, 22},  {44, 23},  {45, 24},  {46, 25},  {47, 26},  {48, 27},  {49, 28},
    {50, 29},  {51, 39},  {52, 30},  {53, 31},  {54, 32},  {55, 33},  {56, 34},  {57, 35},  {58, 36},  {59, 37},
    {60, 38},  {61, 98},  {62, 89},  {63, 90},  {64, 91},  {65, 92},  {66, 93},  {67, 94},  {68, 95},  {69, 96},
    {70, 97},  {71, 85},  {72, 87},  {73, 86},  {74, 99},  {75, 84},  {76, 83},  {77, 227}, {78, 226}, {79, 230},
    {80, 57},  {81, 105}, {82, 51},  {83, 46},  {84, 54},  {85, 45},  {86, 55},  {87, 56},  {88, 53},  {89, 47},
    {90, 49},  {91, 48},  {92, 52},  {93, 77},  {94, 74},  {95, 76},  {96, 73},  {97, 104}, {98, 75},  {99, 78},
    {100, 255}};

namespace {
struct PatternInit {
  PatternInit() {
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) {
        char c = x < 10 ? kArrow[y][x] : '.';
        KInput::mousePattern[2 + y * 16 + x] = c == 'X' ? 0xFFFFFFFFu : c == 'o' ? 0xFF000000u : 0u;
      }
  }
} gPatternInit;
} // namespace

KInput::KInput() { _lastWheelValue = 0; }
KInput::~KInput() { _lastWheelValue = 0; }

void KInput::initInput(void *window) {
  _cursorVis = 0;
  _hwnd = window;
  joystick[0] = joystick[1] = false;
  platform::initControllers();
}

short KInput::getMouseX() {
  int x, y;
  platform::mousePosition(x, y);
  return static_cast<short>(x);
}

short KInput::getMouseY() {
  int x, y;
  platform::mousePosition(x, y);
  return static_cast<short>(y);
}

bool KInput::isMousePointing() { return platform::mousePointing(); }

bool KInput::getLeftButtonState() { return platform::leftButtonDown(); }
bool KInput::getRightButtonState() { return _rbuttonstate; }

short KInput::getWheelValue() {
  short v = _lastWheelValue;
  _lastWheelValue = 0;
  return v;
}

void KInput::setLastWheelValue(short value) { _lastWheelValue = value; }

bool KInput::isPressed(EKeyboardLayout key) {
  if (key < 0 || key > K_VK_ERROR) return false;
  return platform::keyDown(KeyboardLayout[key].code);
}

void KInput::waitForKeyRelease(EKeyboardLayout key) {
  if (key < 0 || key > K_VK_ERROR) return;
  // The platform clears its key state when the window loses focus, so this
  // ends even if the key-up never reaches the window. A tap already over
  // is over for isPressed too: one press, one wait. A host that runs the
  // frames (a browser) delivers no event while the program holds it.
  if (platform::hostRunsFrames()) return;
  const int code = KeyboardLayout[key].code;
  for (;;) {
    platform::pumpEvents();
    if (!platform::keyHeld(code)) break;
    platform::sleepMilliseconds(1);
  }
  platform::forgetPress(code);
}

EKeyboardLayout KInput::getVexoKey(unsigned short code) {
  for (const KKeyboardLayoutEntry &e : KeyboardLayout) {
    if (e.code == code) return static_cast<EKeyboardLayout>(e.key);
    if (e.key == K_VK_ERROR) break;
  }
  return K_VK_ERROR;
}

void KInput::showPointer() {
  _cursorVisibility = true;
  while (_cursorVis < 0) {
    platform::showCursor(true);
    _cursorVis++;
  }
}

void KInput::hidePointer() {
  _cursorVisibility = false;
  while (_cursorVis >= 0) {
    platform::showCursor(false);
    _cursorVis--;
  }
}

void KInput::mousePointerTo(long x, long y) { platform::warpMouse(static_cast<int>(x), static_cast<int>(y)); }

std::string KInput::takeDroppedFile() { return platform::takeDroppedFile(); }

void KInput::clipPointer(bool) {}
void KInput::displayMouse() {}
void KInput::freeMouse() {}
void KInput::RescanJoysticks() { platform::rescanControllers(); }

void KInput::generateMouse() {
  for (int i = 0; i < 256; i++)
    _mousePointerBuffer[2 + i] = static_cast<uint32_t>(KMiscTools::flipUnsignedLong(_mousePointerBuffer[2 + i]));
}

namespace {
// The stick counts as a direction past a third of its travel.
const int kStickDirection = 32768 / 3;

bool enabled(char index) {
  return index >= 0 && index < 2 && KInput::joystick[static_cast<int>(index)] && platform::controllerAttached(index);
}
bool padButton(char index, int button) { return enabled(index) && platform::controllerButton(index, button); }
int padAxis(char index, int axis) { return enabled(index) ? platform::controllerAxis(index, axis) : 0; }
} // namespace

bool KInput::joyEnable(char index) {
  if (index < 0 || index >= 2) return false;
  platform::rescanControllers();
  joystick[static_cast<int>(index)] = platform::controllerAttached(index);
  return joystick[static_cast<int>(index)];
}

void KInput::joyDisable(char index) {
  if (index >= 0 && index < 2) joystick[static_cast<int>(index)] = false;
}

bool KInput::joyLeft(char index) { return padButton(index, K_JOY_DPAD_LEFT) || padAxis(index, 0) < -kStickDirection; }
bool KInput::joyRight(char index) { return padButton(index, K_JOY_DPAD_RIGHT) || padAxis(index, 0) > kStickDirection; }
bool KInput::joyUp(char index) { return padButton(index, K_JOY_DPAD_UP) || padAxis(index, 1) < -kStickDirection; }
bool KInput::joyDown(char index) { return padButton(index, K_JOY_DPAD_DOWN) || padAxis(index, 1) > kStickDirection; }
long KInput::joyX(char index, long axis) { return axis == 0 || axis == 1 ? padAxis(index, static_cast<int>(axis * 2)) : 0; }
long KInput::joyY(char index, long axis) {
  return axis == 0 || axis == 1 ? padAxis(index, static_cast<int>(axis * 2 + 1)) : 0;
}
bool KInput::joyButtonN(char index, long button) { return padButton(index, static_cast<int>(button)); }

void KInput::joyWaitForJoyButtonUp(char index, long button) {
  if (platform::hostRunsFrames()) return;
  for (;;) {
    platform::pumpEvents();
    platform::rescanControllers();
    if (!joyButtonN(index, button)) return;
    platform::sleepMilliseconds(1);
  }
}
