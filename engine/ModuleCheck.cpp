#include "ModuleCheck.h"

#include <cstdint>
#include <cstring>

#include "ByteOrder.h"
#include "KResource.h"

namespace modulecheck {
namespace {

// A sample's own rate: the library divides by it, and a rate in the
// thousands of millions makes it step through a sample for minutes. The
// trackers' own limit is 9999999.
const uint64_t kMaxSampleRate = 9999999;
bool sampleRateFits(uint64_t rate) { return rate >= 1 && rate <= kMaxSampleRate; }

// Little-endian fields read with their bounds checked: a field or a block
// past the end of the file marks the whole file as not fitting.
struct File {
  const unsigned char *data;
  size_t size;
  bool fits = true;

  bool has(uint64_t offset, uint64_t length) const { return offset <= size && length <= size - offset; }
  void need(uint64_t offset, uint64_t length) {
    if (!has(offset, length)) fits = false;
  }
  uint32_t u8(uint64_t o) {
    need(o, 1);
    return fits ? data[o] : 0;
  }
  uint32_t u16(uint64_t o) {
    need(o, 2);
    return fits ? readLE16(data + o) : 0;
  }
  uint32_t u32(uint64_t o) {
    need(o, 4);
    return fits ? readLE32(data + o) : 0;
  }
  bool says(uint64_t o, const char *text) const { return has(o, std::strlen(text)) && std::memcmp(data + o, text, std::strlen(text)) == 0; }
};

// FastTracker 2 (version 1.04): patterns, then instruments each followed by
// their sample headers and then their sample data.
bool xmFits(File &f) {
  const uint32_t kMaxRows = 256, kMaxPatterns = 256, kMaxInstruments = 128, kMaxSamples = 16, kSampleHeader = 40;
  if (f.u16(58) != 0x0104) return false;
  // The library divides by the speed and the tempo it starts with, each
  // kept in a byte: 256 would be 0.
  const uint32_t speed = f.u16(76), tempo = f.u16(78);
  if (speed == 0 || speed > 255 || tempo == 0 || tempo > 255) return false;
  const uint32_t patterns = f.u16(70), instruments = f.u16(72);
  if (patterns > kMaxPatterns || instruments > kMaxInstruments) return false;
  uint64_t pos = 60 + static_cast<uint64_t>(f.u32(60));
  for (uint32_t p = 0; p < patterns && f.fits; p++) {
    const uint32_t headerLength = f.u32(pos), rows = f.u16(pos + 5), packed = f.u16(pos + 7);
    if (rows == 0 || rows > kMaxRows || headerLength < 9) return false;
    pos += headerLength;
    f.need(pos, packed);
    pos += packed;
  }
  for (uint32_t i = 0; i < instruments && f.fits; i++) {
    const uint32_t headerSize = f.u32(pos), samples = f.u16(pos + 27);
    if (headerSize < 29) return false;
    if (samples == 0) {
      f.need(pos, headerSize);
      pos += headerSize;
      continue;
    }
    const uint32_t sampleHeaderSize = f.u32(pos + 29);
    if (samples > kMaxSamples || sampleHeaderSize < kSampleHeader) return false;
    const uint64_t headers = pos + headerSize;
    uint64_t dataBytes = 0;
    for (uint32_t s = 0; s < samples; s++) dataBytes += f.u32(headers + static_cast<uint64_t>(s) * sampleHeaderSize);
    pos = headers + static_cast<uint64_t>(samples) * sampleHeaderSize;
    f.need(pos, dataBytes);
    pos += dataBytes;
  }
  return f.fits;
}

// Scream Tracker 3: orders, then paragraph pointers to instruments and
// patterns; every pattern has 64 rows.
bool s3mFits(File &f) {
  const uint32_t kInstrumentHeader = 80, kEmptyKind = 0, kFirstSynthKind = 2, kLastSynthKind = 7, kStereo = 2,
                 kSixteenBits = 4;
  const uint32_t orders = f.u16(32), instruments = f.u16(34), patterns = f.u16(36);
  // The library divides by the speed and the tempo it starts with.
  if (f.u8(49) == 0 || f.u8(50) == 0) return false;
  const uint64_t table = 96 + static_cast<uint64_t>(orders);
  for (uint32_t i = 0; i < instruments && f.fits; i++) {
    const uint64_t at = static_cast<uint64_t>(f.u16(table + 2 * i)) * 16;
    if (at == 0) continue;
    f.need(at, kInstrumentHeader);
    // Kinds 2 to 7 are synthesised, with no sample data; the library reads
    // any other kind but an empty one as a sample, so it is checked as one.
    const uint32_t kind = f.u8(at);
    if (kind == kEmptyKind || (kind >= kFirstSynthKind && kind <= kLastSynthKind)) continue;
    if (!sampleRateFits(f.u32(at + 32))) return false;
    const uint64_t dataAt = ((static_cast<uint64_t>(f.u8(at + 13)) << 16) | f.u16(at + 14)) * 16;
    const uint32_t flags = f.u8(at + 31);
    const uint64_t bytes = static_cast<uint64_t>(f.u32(at + 16)) * (flags & kSixteenBits ? 2 : 1) * (flags & kStereo ? 2 : 1);
    f.need(dataAt, bytes);
  }
  for (uint32_t p = 0; p < patterns && f.fits; p++) {
    const uint64_t at = static_cast<uint64_t>(f.u16(table + 2 * instruments + 2 * p)) * 16;
    if (at != 0) f.need(at, f.u16(at));
  }
  return f.fits;
}

// Impulse Tracker: orders, then offsets of instruments, samples and
// patterns. Compressed samples come in blocks, each of which takes at least
// its two-byte length and one byte of data.
bool itFits(File &f) {
  const uint32_t kSampleHeader = 80, kMaxRows = 1024;
  const uint32_t kPresent = 1, kSixteenBits = 2, kStereo = 4, kCompressed = 8;
  const uint32_t orders = f.u16(32), instruments = f.u16(34), samples = f.u16(36), patterns = f.u16(38);
  // The library divides by the speed and the tempo it starts with.
  if (f.u8(50) == 0 || f.u8(51) == 0) return false;
  const uint64_t sampleTable = 192 + static_cast<uint64_t>(orders) + 4 * static_cast<uint64_t>(instruments);
  const uint64_t patternTable = sampleTable + 4 * static_cast<uint64_t>(samples);
  for (uint32_t s = 0; s < samples && f.fits; s++) {
    const uint64_t at = f.u32(sampleTable + 4 * s);
    if (at == 0) continue;
    f.need(at, kSampleHeader);
    const uint32_t flags = f.u8(at + 18);
    if (!(flags & kPresent)) continue;
    // The library cannot decompress a stereo sample: it ends the program.
    if ((flags & kCompressed) && (flags & kStereo)) return false;
    if (!sampleRateFits(f.u32(at + 60))) return false;
    const uint64_t length = f.u32(at + 48), dataAt = f.u32(at + 72);
    const uint64_t channels = flags & kStereo ? 2 : 1;
    const uint64_t bytes = length * (flags & kSixteenBits ? 2 : 1) * channels;
    if (bytes > K_MAX_LOADED_BYTES) return false;
    if (flags & kCompressed) {
      const uint64_t perBlock = flags & kSixteenBits ? 0x4000 : 0x8000;
      f.need(dataAt, (length + perBlock - 1) / perBlock * channels * 3);
    } else {
      f.need(dataAt, bytes);
    }
  }
  for (uint32_t p = 0; p < patterns && f.fits; p++) {
    const uint64_t at = f.u32(patternTable + 4 * p);
    if (at == 0) continue; // an empty pattern of 64 rows
    const uint32_t length = f.u16(at), rows = f.u16(at + 2);
    if (rows == 0 || rows > kMaxRows) return false;
    f.need(at + 8, length);
  }
  return f.fits;
}

} // namespace

bool fitsItsFile(const unsigned char *data, size_t size) {
  if (!data) return false;
  File f{data, size};
  if (f.says(0, "IMPM")) return itFits(f);
  if (f.says(0, "Extended Module: ")) return xmFits(f);
  if (f.says(44, "SCRM")) return s3mFits(f);
  return true;
}

} // namespace modulecheck
