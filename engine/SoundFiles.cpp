#include "SoundFiles.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>

#include "ByteOrder.h"
#include "KResource.h"

namespace soundfiles {
namespace {
// The readers' state.
struct SoundFilesContext {
  void (*decodeHook)() = nullptr;
};
SoundFilesContext soundFiles_;

} // namespace

void setDecodeHook(void (*hook)()) { soundFiles_.decodeHook = hook; }

bool readWholeFile(const char *path, std::vector<char> &bytes) {
  bytes.clear();
  FILE *f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) return false;
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  bool ok = size > 0 && static_cast<unsigned long>(size) <= K_MAX_LOADED_BYTES && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    ok = !bytes.empty();
  }
  std::fclose(f);
  return ok;
}

WavChunks findWavChunks(const unsigned char *bytes, size_t size) {
  WavChunks chunks;
  for (size_t i = 0; i + 8 <= size; i++) {
    if (std::memcmp(bytes + i, "data", 4) == 0) {
      chunks.data = reinterpret_cast<const char *>(bytes + i + 8);
      const uint32_t declared = readLE32(bytes + i + 4);
      chunks.length = declared > size - (i + 8) ? static_cast<uint32_t>(size - (i + 8)) : declared;
      break;
    }
  }
  for (size_t j = 0; j + 8 + sizeof(KSoundFormat) <= size; j++) {
    if (std::memcmp(bytes + j, "fmt ", 4) == 0) {
      chunks.format = bytes + j + 8;
      break;
    }
  }
  return chunks;
}

bool readWav(const char *path, Pcm &pcm) {
  std::vector<char> file;
  if (!readWholeFile(path, file)) return false;
  const WavChunks chunks = findWavChunks(reinterpret_cast<const unsigned char *>(file.data()), file.size());
  if (!chunks.format || !chunks.data) return false;
  KSoundFormat f;
  std::memcpy(&f, chunks.format, sizeof f);
  // A format this mixer cannot play is refused rather than played as noise.
  const bool playable = (f.channels == 1 || f.channels == 2) && f.sampleRate > 0 &&
                        (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
                        chunks.length >= f.channels * f.bitsPerSample / 8u; // at least one whole frame
  if (!playable) return false;
  pcm.format = f;
  pcm.bytes.assign(chunks.data, chunks.data + chunks.length);
  return true;
}

KSoundFormat decodedFormat(int channels, long rate) {
  return KSoundFormat{1, static_cast<uint16_t>(channels), static_cast<uint32_t>(rate),
                      static_cast<uint32_t>(rate * channels * 2), static_cast<uint16_t>(channels * 2), 16};
}

bool decodeOgg(const char *path, Pcm &pcm, size_t ceiling) {
  FILE *f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) return false;
  OggVorbis_File vf;
  if (ov_open(f, &vf, nullptr, 0) != 0) {
    std::fclose(f);
    return false;
  }
  const vorbis_info *info = ov_info(&vf, -1);
  bool ok = info && (info->channels == 1 || info->channels == 2);
  if (ok) pcm.format = decodedFormat(info->channels, info->rate);
  pcm.bytes.clear();
  const size_t kChunk = 4096;
  bool hooked = false;
  int bitstream = 0;
  while (ok) {
    const size_t at = pcm.bytes.size();
    // A small, highly compressed file must not make us decode gigabytes.
    if (at + kChunk > ceiling) {
      ok = false;
      break;
    }
    pcm.bytes.resize(at + kChunk);
    const long n = ov_read(&vf, pcm.bytes.data() + at, static_cast<int>(kChunk), 0, 2, 1, &bitstream);
    pcm.bytes.resize(at + (n > 0 ? static_cast<size_t>(n) : 0));
    if (n <= 0) break;
    if (!hooked && soundFiles_.decodeHook) {
      hooked = true;
      soundFiles_.decodeHook();
    }
  }
  ov_clear(&vf);
  return ok && !pcm.bytes.empty();
}

} // namespace soundfiles
