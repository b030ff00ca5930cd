#include <cstdint>
#include <cstdlib>
#include <string>

#include "recording.h"
#include "replayer.h"

// A replay file: any bytes read; what is read is written again the same,
// then played, as --replay-check and CONTINUE play it: whatever the file
// says, the play stays within its wall, its sounds and its pictures.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Long games play for long: the fuzzer's time goes to many short ones.
  const size_t kMostFramesPlayed = 20000;
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  Recording r;
  std::string error;
  if (!decodeRecording(bytes, r, error)) return 0;
  Recording again;
  if (!decodeRecording(encodeRecording(r), again, error) || again.frames != r.frames || again.draws != r.draws)
    __builtin_trap();
  if (r.frames.size() <= kMostFramesPlayed) Replay(r).playToEnd();
  setRandomPosition(r.randomAfter);
  std::rand();
  return 0;
}
