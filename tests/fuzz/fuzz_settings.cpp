#include <cstdint>
#include <string>

#include "settings.h"
#include "storage.h"

// A settings file: any bytes give settings within their ranges, and the line
// shown for what was not understood is printable.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::string garbled;
  const Settings s = parseSettings(text, garbled);
  if (s.scale < 0 || s.scale > kMaxScale) __builtin_trap();
  for (char c : printable(garbled, 80))
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) __builtin_trap();
  return 0;
}
