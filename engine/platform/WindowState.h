#pragma once

// What the window side (Window.cpp) and the input side (Input.cpp) let
// each other reach: the SDL window and where the game area lies in it; the
// watch that sees input events as they arrive.

struct SDL_Window;

namespace platform {

struct Placement;

/// The one window, or null.
SDL_Window *sdlWindow();
/// Whether SDL's video subsystem is up.
bool videoUp();
/// Where the game area lay in the window when it was last measured.
const Placement &lastPlacement();
/// Starts seeing input events the moment they arrive (before they are
/// taken off the queue): run once the video is up.
void watchInput();

} // namespace platform
