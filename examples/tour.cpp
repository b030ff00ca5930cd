// A tour of the engine, as a program of its own would use it: a window,
// pictures blitted, turned and zoomed, a sound sample and a music stream,
// the mouse and the keys, a screenshot, and the engine's reports routed.
//
//   tour [folder for screenshots]
//
// Its pictures and sounds lie in "data" beside the program. The mouse's
// pointer is drawn where the mouse is; the bar at the bottom lights while the
// left button is held. Space plays the sample, M pauses or resumes the music,
// the arrow keys move the turning ball, S saves the window as tour-shot.png
// in the folder given (the current one by default), Escape or the close box
// ends the tour. What happens is printed, one line each, on standard output.

#include <cmath>
#include <cstdio>
#include <string>

#include "KGraphic.h"
#include "KInput.h"
#include "KMiscTools.h"
#include "KSound.h"
#include "KVexo.h"
#include "KWindow.h"

namespace {

const int kWidth = 320, kHeight = 480;

// Rectangles of the sprite sheet the tour draws from: x1, y1, x2, y2.
struct Rect {
  float x1, y1, x2, y2;
};
const Rect kBackdrop{640, 0, 960, 480};
const Rect kBall{10, 496, 92, 577};
const Rect kBrick{0, 621, 31, 652}; // the first of a row of bricks, each 31 wide
const int kBricks = 7;

// The bar at the bottom: dark, or lit while the left button is held.
const float kBarTop = 460;
const float kDark[3] = {0.1f, 0.1f, 0.3f}, kLit[3] = {0.2f, 0.9f, 0.3f};

// Every report of the engine's is a line of ours: no message box stops the
// tour, and whoever runs it reads what happened.
void printReport(const KReport &report) {
  std::printf("report %d: %s%s%s%s%s\n", report.level, report.heading, *report.detail ? ": " : "", report.detail,
              *report.reason ? " - " : "", report.reason);
  std::fflush(stdout);
}

void say(const std::string &line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// A key's press, seen once however long it is held.
struct Key {
  EKeyboardLayout key;
  bool down = false;
  bool pressed() {
    const bool now = KInput::isPressed(key);
    const bool press = now && !down;
    down = now;
    return press;
  }
};

} // namespace

int main(int argc, char **argv) {
  const std::string shots = argc > 1 ? argv[1] : ".";
  KMiscTools::setReportHandler(printReport);
  KMiscTools::initMiscTools();
  KMiscTools::setFileSource(true); // the data folder beside the program

  KWindow *window = KVexo::createKWindow(K_OPENGL, false);
  if (!window->createGameWindow(kWidth, kHeight, 32, true, "Engine tour")) {
    delete window;
    return 1;
  }
  window->setMaxFrameRate(60);
  window->setClearColor(0, 0, 0, 1);

  KGraphic *sheet = KVexo::createKGraphic();
  KGraphic *pointer = KVexo::createKGraphic();
  KGraphic *plain = KVexo::createKGraphic(); // for rectangles alone
  if (!sheet->loadPicture(KMiscTools::makeFilePath("zunk.png"), true, true) ||
      !pointer->loadPicture(KMiscTools::makeFilePath("curseur.png"), true, true)) {
    say("no pictures");
    delete plain;
    delete pointer;
    delete sheet;
    delete window;
    return 1;
  }

  KSound sample, music;
  const bool haveSample = sample.loadSample(KMiscTools::makeFilePath("good1.ogg"), 100, false, 2);
  const bool haveMusic = music.loadStream(KMiscTools::makeFilePath("monkey.ogg"));
  if (haveMusic) {
    music.setVolume(60);
    music.playStream(true);
  }
  say(std::string("ready") + (haveSample ? " sample" : "") + (haveMusic ? " music" : ""));

  Key space{K_VK_SPACE}, mute{K_VK_M}, shot{K_VK_S}, escape{K_VK_ESCAPE};
  float ballX = kWidth / 2.0f, ballY = 300;
  bool musicOn = haveMusic, held = false;
  int lastX = -1, lastY = -1;
  for (long frame = 0; !window->isQuit(); frame++) {
    window->setWorldView(0, 0, 0, 1, true);

    // The backdrop, opaque, then a row of bricks blended over it.
    sheet->blitRect(kBackdrop.x1, kBackdrop.y1, kBackdrop.x2, kBackdrop.y2, 0, 0, false, false);
    for (int i = 0; i < kBricks; i++) {
      const float x = kBrick.x1 + (kBrick.x2 - kBrick.x1) * i;
      sheet->blitAlphaRect(x, kBrick.y1, x + (kBrick.x2 - kBrick.x1), kBrick.y2, static_cast<short>(20 + 40 * i), 80,
                           false, false);
    }
    // The ball, turning and breathing about its middle, smoothly filtered.
    const float angle = static_cast<float>(frame % 360) * 2;
    const float zoom = 1 + 0.4f * std::sin(static_cast<float>(frame) * 0.05f);
    sheet->setTextureQuality(true);
    sheet->blitAlphaRectFx(kBall.x1, kBall.y1, kBall.x2, kBall.y2, static_cast<short>(ballX - (kBall.x2 - kBall.x1) / 2),
                           static_cast<short>(ballY - (kBall.y2 - kBall.y1) / 2), angle, zoom, 1, false, false, 0, 0);
    sheet->setTextureQuality(false);

    // The mouse and its left button.
    const short mx = KInput::getMouseX(), my = KInput::getMouseY();
    const bool button = KInput::getLeftButtonState();
    if (mx != lastX || my != lastY) say("mouse " + std::to_string(mx) + " " + std::to_string(my));
    if (button != held) say(button ? "button down" : "button up");
    lastX = mx, lastY = my, held = button;
    const float *bar = button ? kLit : kDark;
    plain->drawRect(0, kBarTop, kWidth, kHeight, bar[0], bar[1], bar[2], 1);
    pointer->blitAlphaRect(0, 0, pointer->getWidth(), pointer->getHeight(), mx, my, false, false);

    // The keys.
    if (KInput::isPressed(K_VK_LEFT)) ballX -= 2;
    if (KInput::isPressed(K_VK_RIGHT)) ballX += 2;
    if (KInput::isPressed(K_VK_UP)) ballY -= 2;
    if (KInput::isPressed(K_VK_DOWN)) ballY += 2;
    if (space.pressed() && haveSample) {
      sample.playSample();
      say("sample");
    }
    if (mute.pressed() && haveMusic) {
      musicOn = !musicOn;
      // Pausing channel 0 pauses a stream as it does a module.
      if (musicOn) music.continueModule();
      else music.pauseModule();
      say(musicOn ? "music on" : "music off");
    }
    if (shot.pressed()) {
      // What has been drawn of this frame: the whole window, as a PNG.
      const std::string path = shots + "/tour-shot.png";
      if (window->saveBackBuffer(path.c_str(), 3, 0, 0)) say("screenshot " + path);
    }
    if (escape.pressed()) window->terminate();

    window->flipBackBuffer(false, true);
  }

  say("bye");
  delete plain;
  delete pointer;
  delete sheet;
  delete window;
  return 0;
}
