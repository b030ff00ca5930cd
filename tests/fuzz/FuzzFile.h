#pragma once

// Writes the fuzzer's bytes to a scratch file, for parsers that read paths.

#include <unistd.h>

#include <cstdio>
#include <string>

inline std::string fuzzFile(const uint8_t *data, size_t size, const char *suffix) {
  static std::string path;
  if (path.empty()) path = "/tmp/zunkfuzz-" + std::to_string(getpid()) + suffix;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}
