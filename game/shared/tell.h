#pragma once

// What the player is told of a problem the game met (a file it could not
// read or save, a picture or a sound it could not load): one line on
// standard error. The game's readers and savers only report; the screen or
// the shell that called them tells.

#include <string>

/// Tells `message`, unless it is empty.
void tell(const std::string &message);
