#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KMiscTools.h"
#include "scores.h"

// The high-score file: any bytes read over the table, then written back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool ready = false;
  if (!ready) {
    // The records' folder: /tmp/zunkfuzz-scores/zunk.
    setenv("XDG_DATA_HOME", "/tmp/zunkfuzz-scores", 1);
    KMiscTools::initMiscTools();
    ready = true;
  }
  FILE *f = std::fopen(scoresPath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  int32_t table[10];
  std::memcpy(table, topScoresOld, sizeof table);
  std::string said;
  Cause cause;
  loadScores(table, said);
  writeTable(table, said, cause);
  return 0;
}
