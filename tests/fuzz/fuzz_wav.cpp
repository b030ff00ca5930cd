#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "KSound.h"
#include "platform/SoundChannel.h"
#include "QuietReports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  keepReportsQuiet();
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  std::string path = fuzzFile(data, size, ".wav");
  KSound sound;
  if (sound.loadSample(path.c_str(), 100, false, 2)) {
    sound.playSample();
    sound.playSample(44100, 80, -30, true);
    std::vector<int16_t> out(2048);
    platform::SoundChannel::mixAll(out.data(), 1024);
  }
  return 0;
}
