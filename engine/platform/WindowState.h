#pragma once

// What the window side (Window.cpp), the input side (Input.cpp) and the
// system's (System.cpp, Ending.cpp) let each other reach: the SDL window and
// where the game area lies in it; the watch that sees input events as they
// arrive; a message box shown, an end asked for.

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
/// Whether a modal message box is shown now (System.cpp).
bool modalBoxShown();
/// Whether a signal asked the program to end since the last look
/// (Ending.cpp): pollEvent then gives a Quit event.
bool endAsked();

} // namespace platform
