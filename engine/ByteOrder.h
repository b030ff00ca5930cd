#pragma once

// Little-endian fields of files (WAV, Targa, BMP, modules, the high scores),
// read and written byte by byte, whatever the host's own order.

#include <cstdint>

inline uint16_t readLE16(const unsigned char *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t readLE32(const unsigned char *p) {
  return static_cast<uint32_t>(readLE16(p)) | (static_cast<uint32_t>(readLE16(p + 2)) << 16);
}

inline void writeLE32(unsigned char *p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
