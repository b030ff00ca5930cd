#pragma once

// The sounds a frame of play asked for, played from the sound set.

#include <vector>

#include "assets.h"
#include "play.h"

void playSounds(const Sounds &set, const std::vector<PlaySound> &sounds);
