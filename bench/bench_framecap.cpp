// The frame cap at 80 frames a second: how close the frames keep to their
// 12 ms, and what the wait costs, on the engine's window (SDL's offscreen
// OpenGL driver) with nothing drawn but the clear.
//   bench_framecap [frames]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "KMiscTools.h"
#include "KVexo.h"

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 240;
  const int kCap = 80;
  KMiscTools::initMiscTools();
  KWindow *window = KVexo::createKWindow(K_OPENGL, false);
  if (!window->createGameWindow(320, 480, 32, true, "bench")) {
    std::fprintf(stderr, "bench_framecap: no window\n");
    return 1;
  }
  window->setMaxFrameRate(kCap);
  using Clock = std::chrono::steady_clock;
  std::vector<double> gaps;
  std::clock_t cpu0 = std::clock();
  auto t0 = Clock::now(), last = t0;
  for (int i = 0; i < frames; i++) {
    window->setWorldView(0, 0, 0, 1, true);
    window->flipBackBuffer(false, true);
    auto now = Clock::now();
    if (i > 0) gaps.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }
  const double wall = std::chrono::duration<double>(last - t0).count();
  const double cpu = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  std::sort(gaps.begin(), gaps.end());
  std::printf("%-28s %10s\n", "frame cap 80, frame time", "12 ms");
  std::printf("%-28s %7.2f ms\n", "shortest gap", gaps.front());
  std::printf("%-28s %7.2f ms\n", "median gap", gaps[gaps.size() / 2]);
  std::printf("%-28s %7.2f ms\n", "mean gap", wall * 1000 / static_cast<double>(gaps.size()));
  std::printf("%-28s %7.2f ms\n", "longest gap", gaps.back());
  std::printf("%-28s %7.0f %%\n", "CPU of a core", 100 * cpu / wall);
  delete window;
  return 0;
}
