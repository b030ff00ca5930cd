#pragma once

#include <string>

/// Synthesises the game's sounds and writes them as Ogg Vorbis files into `folder`.
bool makeSounds(const std::string &folder);
