#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "KSound.h"
#include "platform/SoundChannel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  std::string path = fuzzFile(data, size, ".mod");
  KSound sound;
  if (sound.loadModule(path.c_str())) {
    sound.playModule(false);
    std::vector<int16_t> out(4096);
    for (int i = 0; i < 4; i++) platform::SoundChannel::mixAll(out.data(), 2048);
  }
  return 0;
}
