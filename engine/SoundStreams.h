#pragma once

// The decoders behind a playing stream or module, one 4096-byte block at a
// time: Ogg Vorbis from a file held in memory, and tracker modules. KSound
// owns the state (the decoder, the renderer, the bytes and the read
// position); these functions do the decoding and know nothing of channels,
// buffers or the sound lock.

#include <cstddef>
#include <cstdint>
#include <vorbis/vorbisfile.h>

struct DUH;
struct DUH_SIGRENDERER;

namespace soundstreams {

/// Bytes in one stream or module block.
constexpr uint32_t kBlockBytes = 4096;

// ---- a file held in memory, read by the Ogg Vorbis decoder ----

/// Copies up to size * count bytes from `data` at `position` into
/// `destination` and advances `position`; the bytes copied, 0 at the end, or
/// (size_t)-1 when size * count overflows.
size_t readMemory(const char *data, uint32_t length, uint32_t &position, void *destination, size_t size,
                  size_t count);
/// Moves `position` as fseek would (SEEK_SET, SEEK_CUR, SEEK_END); a position
/// before the start or past the end lands at the end. Always 0.
int seekMemory(uint32_t length, uint32_t &position, int64_t offset, int whence);

// ---- Ogg Vorbis ----

/// How a block's decode ended.
enum class OggBlock {
  Full,  ///< the block is full and the stream goes on
  Error, ///< a decoding error: the block is silence, decoding goes on next time
  End,   ///< the stream ended after `bytes` decoded bytes (the rest is silence)
};
/// Decodes the next block of 16-bit signed PCM into `block` (kBlockBytes,
/// cleared first); `bytes` is set to the bytes decoded.
OggBlock decodeOggBlock(OggVorbis_File &file, char *block, uint32_t &bytes);

// ---- modules ----

/// Readies the module library; calling it again does nothing until
/// closeModuleLibrary.
void openModuleLibrary();
void closeModuleLibrary();
/// Reads a module file, checks what it declares against its size, and parses
/// it from memory as IT, XM, S3M or MOD, in that order; null when none fits.
/// The song is not played through: its length stays unknown.
DUH *readModule(const char *path);
/// Renders the next block of 16-bit stereo 44100 Hz sound into `block`
/// (cleared first); the samples per channel produced, 0 at the end.
long renderModuleBlock(DUH_SIGRENDERER *renderer, char *block);

} // namespace soundstreams
