#include "SoundStreams.h"

#include <dumb.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ModuleCheck.h"
#include "SoundFiles.h"

namespace soundstreams {
namespace {
// Samples of the module advance per output sample at 44100 Hz.
const float kModuleDelta = 65536.0f / 44100.0f;
// Voices mixed at once, as many as a module may use.
const int kModuleVoices = 64;
// The decoders' state.
struct StreamsContext {
  bool moduleLibraryUp = false;
};
StreamsContext streams_;
} // namespace

size_t readMemory(const char *data, uint32_t length, uint32_t &position, void *destination, size_t size,
                  size_t count) {
  if (position >= length) return 0;
  if (size != 0 && count > SIZE_MAX / size) return static_cast<size_t>(-1);
  size_t n = size * count;
  if (static_cast<long long>(n) < 0) return static_cast<size_t>(-1);
  const size_t left = length - position;
  if (n > left) n = left;
  std::memcpy(destination, data + position, n);
  position += static_cast<uint32_t>(n);
  return n;
}

int seekMemory(uint32_t length, uint32_t &position, int64_t offset, int whence) {
  int64_t to;
  switch (whence) {
  case SEEK_SET: to = offset; break;
  case SEEK_CUR: to = static_cast<int64_t>(position) + offset; break;
  case SEEK_END: to = static_cast<int64_t>(length) + offset; break;
  default: return 0;
  }
  if (to < 0 || to >= static_cast<int64_t>(length)) to = length;
  position = static_cast<uint32_t>(to);
  return 0;
}

OggBlock decodeOggBlock(OggVorbis_File &file, char *block, uint32_t &bytes) {
  std::memset(block, 0, kBlockBytes);
  bytes = 0;
  int bitstream = 0;
  while (bytes < kBlockBytes) {
    const long n = ov_read(&file, block + bytes, static_cast<int>(kBlockBytes - bytes), 0, 2, 1, &bitstream);
    if (n == 0) return OggBlock::End;
    if (n < 0) {
      std::memset(block, 0, kBlockBytes);
      bytes = 0;
      return OggBlock::Error;
    }
    bytes += static_cast<uint32_t>(n);
  }
  return OggBlock::Full;
}

void openModuleLibrary() {
  if (streams_.moduleLibraryUp) return;
  dumb_register_stdfiles();
  dumb_it_max_to_mix = kModuleVoices;
  streams_.moduleLibraryUp = true;
}

void closeModuleLibrary() {
  if (!streams_.moduleLibraryUp) return;
  dumb_exit();
  streams_.moduleLibraryUp = false;
}

DUH *readModule(const char *path) {
  std::vector<char> file;
  if (!soundfiles::readWholeFile(path, file)) return nullptr;
  if (!modulecheck::fitsItsFile(reinterpret_cast<const unsigned char *>(file.data()), file.size())) return nullptr;
  // The quick readers do not play the whole song through to measure it: a
  // file of a few hundred bytes can declare days of song, which took seconds
  // and hundreds of megabytes of checkpoints to go through. Playing from the
  // start or from an order needs neither the length nor the checkpoints.
  for (DUH *(*reader)(DUMBFILE *) : {dumb_read_it_quick, dumb_read_xm_quick, dumb_read_s3m_quick, dumb_read_mod_quick}) {
    DUMBFILE *f = dumbfile_open_memory(file.data(), static_cast<long>(file.size()));
    if (!f) return nullptr;
    DUH *module = reader(f);
    dumbfile_close(f);
    if (module) return module;
  }
  return nullptr;
}

long renderModuleBlock(DUH_SIGRENDERER *renderer, char *block) {
  std::memset(block, 0, kBlockBytes);
  if (!renderer) return 0;
  // 16-bit stereo: four bytes a sample.
  return duh_render(renderer, 16, 0, 1.0f, kModuleDelta, kBlockBytes / 4, block);
}

} // namespace soundstreams
