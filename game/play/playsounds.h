#pragma once

// The sounds a frame of play asked for, played from the sound set.

#include <vector>

#include "play.h"

void playSounds(const std::vector<PlaySound> &sounds);
