#pragma once

#include <string>
#include <vector>

/// Encodes sound as an Ogg Vorbis file: `left` (and `right` when `stereo`)
/// hold samples from -1 to 1 at `rate` Hz; `quality` is Vorbis's 0 to 1.
bool writeOgg(const std::string &path, const std::vector<float> &left, const std::vector<float> &right, bool stereo,
              int rate, float quality);
