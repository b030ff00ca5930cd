#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "KMiscTools.h"
#include "scores.h"

// The high-score file: any bytes read over the table, then written back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool ready = false;
  if (!ready) {
    KMiscTools::initMiscTools();
    std::snprintf(KMiscTools::currentAppPath, 260, "/tmp");
    std::snprintf(KMiscTools::_resourcePath, 260, "zunkfuzz-scores");
    KMiscTools::setFileSource(true);
    KMiscTools::createDirectory("/tmp/zunkfuzz-scores");
    ready = true;
  }
  FILE *f = std::fopen(scoresPath(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  std::memcpy(topScores, topScoresOld, sizeof topScores);
  std::string said;
  loadScores(said);
  saveScores(said);
  return 0;
}
