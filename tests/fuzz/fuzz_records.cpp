#include <cstdint>
#include <string>

#include "recordsfile.h"

// A records file: any bytes read; what is taken is written again the same,
// and read again as it was.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  CarriedRecords records;
  Refusal why;
  std::string error;
  if (!decodeRecords(bytes, records, why, error)) {
    if (why == Refusal::kNone || error.empty()) __builtin_trap();
    return 0;
  }
  const std::string again = encodeRecords(records);
  CarriedRecords back;
  if (!decodeRecords(again, back, why, error) || encodeRecords(back) != again) __builtin_trap();
  return 0;
}
