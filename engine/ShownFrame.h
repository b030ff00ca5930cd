#pragma once

#include <cstdint>
#include <vector>

namespace platform {
struct Placement;
}

/// The frame the window shows, kept in a texture of the game's size: a
/// window larger than the game gets it drawn at its place (scaled), and a
/// read finds the frame last shown whenever it comes. The game itself is
/// always drawn into the window, at the top of its buffer, so its pixels
/// are the same at every scale.
namespace shownframe {

/// Makes the texture, in the window's fresh context.
bool start(int width, int height);
void stop();
/// The context's objects are gone (a lost context given back, or a new one
/// in its place): makes the texture again, black until the next frame is
/// shown, without deleting the old one.
bool renew();

/// Just before the swap: keeps the frame drawn (at `placement.drawBottom`
/// rows from the buffer's bottom), and draws it scaled into
/// the window at its place when the window is larger than the game: at a
/// whole factor each game pixel a square of pixels, at any other first by
/// nearest at the whole factor above, then smoothly down to its size, so
/// every game pixel shows as wide as the others and stays sharp.
void present(const platform::Placement &placement);
/// Draws the kept frame into the window at (x, y) (y downward from the
/// window's top), each game pixel `scale` by `scale` window pixels, after
/// clearing what it leaves uncovered; `width` and `height` are the window's.
void drawAt(int x, int y, int scale, int width, int height);

/// The frame last shown (black before the first), `width` x `height` pixels
/// R, G, B, A, bottom row first. False without a window.
bool read(std::vector<unsigned char> &rgba);

} // namespace shownframe
