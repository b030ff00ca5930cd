#include <cstdint>
#include <string>

#include "catalogue.h"

// A compiled message catalogue: any bytes read, then every text looked up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Catalogue words;
  if (words.read(std::string(reinterpret_cast<const char *>(data), size))) {
    words.translate("PLAY");
    words.translate("game over, upper panel", "GAME");
  }
  return 0;
}
