#pragma once

// Sound files read and decoded into memory apart from any sound object and
// its lock: a load reads and decodes here, while everything already playing
// goes on, and takes the sound lock only to swap the result in.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "KResource.h"
#include "SoundFormat.h"

namespace soundfiles {

/// Reads a whole file; false when it is missing, empty, or larger than
/// K_MAX_LOADED_BYTES.
bool readWholeFile(const char *path, std::vector<char> &bytes);

/// Where a WAV file's chunks lie in its bytes. Every field read lies inside
/// the file; a data chunk that claims more than the file holds gives the
/// bytes present.
struct WavChunks {
  const unsigned char *format = nullptr; ///< the format chunk's body, or null
  const char *data = nullptr;            ///< the sample data, or null
  uint32_t length = 0;                   ///< bytes of sample data
};
WavChunks findWavChunks(const unsigned char *bytes, size_t size);

/// A whole sound in memory, ready to play.
struct Pcm {
  KSoundFormat format{};
  std::vector<char> bytes;
};

/// Reads a WAV file that this mixer can play: 1 or 2 channels, 8 or 16
/// bits, a rate, and at least one whole frame.
bool readWav(const char *path, Pcm &pcm);
/// Decodes a whole Ogg Vorbis file of 1 or 2 channels; false when it is not
/// one, or when the sound decoded would pass `ceiling` bytes.
bool decodeOgg(const char *path, Pcm &pcm, size_t ceiling = K_MAX_LOADED_BYTES);
/// The format of decoded Ogg Vorbis: 16-bit signed PCM in the file's
/// channels and rate.
KSoundFormat decodedFormat(int channels, long rate);

/// For tests: called once in the middle of every Ogg Vorbis decode, with no
/// lock held; null for none.
void setDecodeHook(void (*hook)());

} // namespace soundfiles
