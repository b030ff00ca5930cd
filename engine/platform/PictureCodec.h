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

/// The same, giving the pixels in the engine's order: B, G, R, A, bottom
/// row first (a raw picture block's).
bool decodePictureBlock(const unsigned char *bytes, size_t length, const char *type, int &width, int &height,
                        std::vector<unsigned char> &bgra, const char *name = "");

enum class PictureFormat { BMP = 0, JPEG = 1, TGA = 2, PNG = 3 };

/// How the pixels handed to encodePicture lie: the engine's order (B, G,
/// R, A, bottom row first), or R, G, B, A top row first (what a window's
/// rows read top down give).
enum class PixelOrder { Engine, TopDownRGBA };

/// Writes width x height pixels, lying as `order` says, to `path` in
/// `format`. False, reported with why, if the file could not be
/// written.
bool encodePicture(const char *path, PictureFormat format, int width, int height, const unsigned char *pixels,
                   PixelOrder order = PixelOrder::Engine);

} // namespace platform
