#pragma once

// What the window side (Window.cpp) lets the rest of the platform layer
// read: the SDL window and where the game area lies in it.

struct SDL_Window;

namespace platform {

/// The one window, or null.
SDL_Window *sdlWindow();
/// Whether SDL's video subsystem is up.
bool videoUp();
/// Window pixels to game pixels (rounding down, also left of or above the
/// game area) and back.
int gameX(int windowX);
int gameY(int windowY);
int windowX(int gameX);
int windowY(int gameY);

} // namespace platform
