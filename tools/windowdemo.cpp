// A small demo of the engine's window: opens the 320 by 480 window, draws a
// turning square and a pulsing bar at 80 frames a second, and quits on
// Ctrl+Q or the close box.

#include <cmath>

#include "KGraphic.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "KWindow.h"

int main() {
  KMiscTools::initMiscTools();
  KWindow *window = KVexo::createKWindow(K_OPENGL, false);
  if (!window->createGameWindow(320, 480, -1, true, "Engine demo")) {
    delete window;
    return 1;
  }
  window->setMaxFrameRate(80);
  window->setClearColor(0.1f, 0.12f, 0.2f, 1);
  KGraphic *pixel = KVexo::createKGraphic();
  int frame = 0;
  while (!window->isQuit()) {
    window->setWorldView(0, 0, static_cast<float>(frame % 360), 1, true);
    pixel->drawRect(110, 190, 210, 290, 0.9f, 0.6f, 0.2f, 1);
    window->setDefaultWorldView();
    float a = 0.5f + 0.5f * std::sin(frame * 0.05f);
    pixel->drawRect(20, 440, 300, 460, 0.3f, 0.8f, 0.9f, a);
    window->flipBackBuffer(false, true);
    frame++;
  }
  delete pixel;
  delete window;
  return 0;
}
