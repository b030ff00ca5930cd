#pragma once

// The smallest tracker modules of each kind, written by the tests: one
// pattern that plays one 8-bit sample on its first row. Each takes the
// pattern's row count and the sample's declared length, so that a test can
// make one lie about itself.

#include <cstdint>
#include <cstring>
#include <string>

namespace modules {

inline void put16(std::string &m, size_t at, uint32_t v) {
  m[at] = static_cast<char>(v & 0xFF);
  m[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string &m, size_t at, uint32_t v) {
  put16(m, at, v & 0xFFFF);
  put16(m, at + 2, v >> 16);
}
inline void text(std::string &m, size_t at, const char *t) { std::memcpy(&m[at], t, std::strlen(t)); }
// 64 bytes of a square wave.
inline std::string square(bool isSigned) {
  std::string s;
  for (int i = 0; i < 64; i++) s += static_cast<char>((i % 8 < 4 ? 100 : -100) + (isSigned ? 0 : 128));
  return s;
}
const uint32_t kSampleLength = 64;

/// FastTracker 2, two channels, one instrument of one sample.
inline std::string xm(uint32_t rows = 64, uint32_t sampleLength = kSampleLength) {
  std::string m(336, '\0');
  text(m, 0, "Extended Module: test");
  m[37] = 0x1A;
  put16(m, 58, 0x0104);
  put32(m, 60, 276); // header size, from here
  put16(m, 64, 1);   // song length
  put16(m, 68, 2);   // channels
  put16(m, 70, 1);   // patterns
  put16(m, 72, 1);   // instruments
  put16(m, 74, 1);   // linear frequencies
  put16(m, 76, 6);   // tempo
  put16(m, 78, 125); // beats a minute
  std::string packed = "\x83\x31\x01\x80"; // row 0: C-4 with instrument 1; the other channel empty
  for (uint32_t r = 1; r < rows; r++) packed += "\x80\x80";
  std::string pattern(9, '\0');
  put32(pattern, 0, 9);
  put16(pattern, 5, rows);
  put16(pattern, 7, static_cast<uint32_t>(packed.size()));
  m += pattern + packed;
  std::string instrument(263, '\0');
  put32(instrument, 0, 263);
  put16(instrument, 27, 1);  // samples
  put32(instrument, 29, 40); // sample header size
  std::string sample(40, '\0');
  put32(sample, 0, sampleLength);
  sample[12] = 64;  // volume
  sample[15] = static_cast<char>(128); // panning
  std::string deltas = square(true);
  for (size_t i = deltas.size() - 1; i > 0; i--) deltas[i] = static_cast<char>(deltas[i] - deltas[i - 1]);
  return m + instrument + sample + deltas;
}

/// Scream Tracker 3, one sample, one pattern.
inline std::string s3m(uint32_t sampleLength = kSampleLength) {
  std::string m(112, '\0');
  text(m, 0, "test");
  m[28] = 0x1A;
  m[29] = 16;
  put16(m, 32, 2); // orders
  put16(m, 34, 1); // instruments
  put16(m, 36, 1); // patterns
  put16(m, 40, 0x1320);
  put16(m, 42, 2); // unsigned samples
  text(m, 44, "SCRM");
  m[48] = 64;
  m[49] = 6;
  m[50] = 125;
  m[51] = static_cast<char>(0xB0);
  for (int c = 0; c < 32; c++) m[64 + c] = static_cast<char>(c == 0 ? 0 : c == 1 ? 8 : 255);
  m[96] = 0;
  m[97] = static_cast<char>(255);
  put16(m, 98, 112 / 16);  // the instrument
  put16(m, 100, 192 / 16); // the pattern
  std::string instrument(80, '\0');
  instrument[0] = 1;
  put16(instrument, 14, 272 / 16); // where the sample's data lies
  put32(instrument, 16, sampleLength);
  instrument[28] = 64;
  put32(instrument, 32, 8363);
  text(instrument, 76, "SCRS");
  m += instrument;
  std::string pattern(2, '\0');
  pattern += std::string("\x20\x40\x01\x00", 4); // row 0: C-4 with instrument 1
  pattern += std::string(63, '\0');
  put16(pattern, 0, static_cast<uint32_t>(pattern.size()));
  m += pattern;
  m.resize(272, '\0');
  return m + square(false);
}

/// Impulse Tracker, sample mode, one sample, one pattern.
inline std::string it(uint32_t rows = 64, uint32_t sampleLength = kSampleLength) {
  std::string m(202, '\0');
  text(m, 0, "IMPMtest");
  put16(m, 32, 2); // orders
  put16(m, 34, 0); // instruments
  put16(m, 36, 1); // samples
  put16(m, 38, 1); // patterns
  put16(m, 40, 0x0214);
  put16(m, 42, 0x0214);
  put16(m, 44, 1); // stereo
  m[48] = static_cast<char>(128);
  m[49] = 48;
  m[50] = 6;
  m[51] = 125;
  m[52] = static_cast<char>(128);
  for (int c = 0; c < 64; c++) {
    m[64 + c] = 32;
    m[128 + c] = 64;
  }
  m[192] = 0;
  m[193] = static_cast<char>(255);
  put32(m, 194, 202); // the sample header
  put32(m, 198, 346); // the pattern
  std::string sample(80, '\0');
  text(sample, 0, "IMPS");
  sample[17] = 64;
  sample[18] = 1; // present, 8 bits
  sample[19] = 64;
  sample[46] = 1; // signed
  sample[47] = 32;
  put32(sample, 48, sampleLength);
  put32(sample, 60, 8363);
  put32(sample, 72, 282);
  m += sample + square(true);
  std::string packed = std::string("\x81\x03\x3C\x01\x00", 5); // row 0: C-5 with sample 1
  for (uint32_t r = 1; r < rows; r++) packed += '\0';
  std::string pattern(8, '\0');
  put16(pattern, 0, static_cast<uint32_t>(packed.size()));
  put16(pattern, 2, rows);
  return m + pattern + packed;
}

} // namespace modules
