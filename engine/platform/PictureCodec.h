#pragma once

// Picture decoding and encoding through the platform's image library.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

/// Decodes an encoded PNG, JPEG or TGA picture held in memory. `type` names
/// the decoder ("PNG", "JPG", "TGA") or is null to decide from the content
/// (PNG, JPEG and BMP are recognised). A header that declares more than 2^26
/// pixels, a side over 32767, or more pixels than the file can hold, is
/// refused before anything is allocated.
/// On success `argb` holds width x height pixels, top row first, each four
/// bytes A, R, G, B; a picture without alpha gives 255. A failure is
/// reported (a warning naming `name` and why).
bool decodePicture(const unsigned char *bytes, size_t length, const char *type, int &width, int &height,
                   std::vector<unsigned char> &argb, const char *name = "");

enum class PictureFormat { BMP = 0, JPEG = 1, TGA = 2, PNG = 3 };

/// Writes width x height pixels given top row first as R, G, B, A bytes to
/// `path` in `format`. False, reported with why, if the file could not be
/// written.
bool encodePicture(const char *path, PictureFormat format, int width, int height, const unsigned char *rgba);

} // namespace platform
