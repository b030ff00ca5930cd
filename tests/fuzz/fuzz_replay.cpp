#include <cstdint>
#include <string>

#include "replay.h"

// A replay file: any bytes read; what is read is written again the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  Recording r;
  std::string error;
  if (decodeRecording(bytes, r, error)) {
    Recording again;
    if (!decodeRecording(encodeRecording(r), again, error) || again.frames != r.frames || again.draws != r.draws)
      __builtin_trap();
  }
  return 0;
}
