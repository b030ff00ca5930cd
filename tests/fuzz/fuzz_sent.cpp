#include <cstdint>
#include <string>

#include "sentgame.h"

// A game received: any bytes, as a file and as a link's fragment. Whatever
// they hold, the reader gives a verdict with its reason and never a
// verified game that does not replay to the score it claims; a link read
// back from a verified game's file is the same game.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Long games replay for long: the fuzzer's time goes to many short ones.
  const size_t kMostBytes = 1 << 16;
  if (size > kMostBytes) return 0;
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const Received file = receiveGame(bytes);
  if (file.verdict != Verdict::kVerified && file.reason.empty()) __builtin_trap();
  if (file.verdict == Verdict::kVerified) {
    const Received linked = receiveLink(sentLink("https://example.org/", bytes));
    if (linked.verdict != Verdict::kVerified || linked.game.score != file.game.score) __builtin_trap();
  }
  const Received link = receiveLink(bytes);
  if (link.verdict != Verdict::kVerified && link.reason.empty()) __builtin_trap();
  return 0;
}
