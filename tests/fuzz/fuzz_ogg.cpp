#include <cstdint>
#include <vector>

#include "KSound.h"
#include "platform/SoundChannel.h"
#include "QuietReports.h"

// Ogg Vorbis held in memory, decoded as a stream while it plays.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  keepReportsQuiet();
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  KSound sound;
  if (sound.loadStreamFromPtr(reinterpret_cast<const char *>(data), size)) {
    sound.playStream(false);
    std::vector<int16_t> out(4096);
    for (int i = 0; i < 8; i++) platform::SoundChannel::mixAll(out.data(), 2048);
  }
  return 0;
}
