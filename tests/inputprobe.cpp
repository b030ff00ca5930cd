// Opens the game window and reports what KInput and the window see, one
// line per change, until the window is asked to quit. Driven through a
// real X server by input.sh.

#include <cstdio>

#include "KInput.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "KWindowGL.h"

namespace {
bool gKeyEvent(KEvent *e) {
  if (e->type == K_EVENT_KEY_DOWN && e->key == K_VK_A) std::printf("event key a\n");
  return true;
}
} // namespace

int main() {
  KMiscTools::initMiscTools();
  KWindow *window = KVexo::createKWindow(K_OPENGL, false);
  // A depth above 32 is taken as 32.
  if (!window->createGameWindow(320, 480, 64, true, "Zunk input")) return 1;
  std::printf("depth %d\n", KWindowGL::_windowDepth);
  window->setMaxFrameRate(80);
  window->setVexoCallBack(gKeyEvent);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("ready\n");
  int x = -1000, y = -1000, wheel = 0;
  bool left = false, right = false, space = false;
  while (!window->isQuit()) {
    window->setWorldView(0, 0, 0, 1, true);
    window->flipBackBuffer(false, true);
    int nx = KInput::getMouseX(), ny = KInput::getMouseY();
    if (nx != x || ny != y) std::printf("mouse %d %d\n", x = nx, y = ny);
    if (KInput::getLeftButtonState() != left) std::printf("left %d\n", left = !left);
    if (KInput::getRightButtonState() != right) std::printf("right %d\n", right = !right);
    if (int w = KInput::getWheelValue()) std::printf("wheel %d (total %d)\n", w, wheel += w);
    if (KInput::isPressed(K_VK_SPACE) != space) std::printf("space %d\n", space = !space);
  }
  std::printf("quit\n");
  delete window;
  return 0;
}
