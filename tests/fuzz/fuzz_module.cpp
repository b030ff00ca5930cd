// One target a module kind: the input gets that kind's signature stamped on
// it, so every run goes through that kind's checks and reader.
//   MODULE_KIND 0 IT, 1 XM, 2 S3M, 3 MOD

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzFile.h"
#include "KSound.h"
#include "platform/SoundChannel.h"
#include "QuietReports.h"

namespace {
void stamp(std::string &m, size_t at, const char *signature) {
  const size_t n = std::strlen(signature);
  if (m.size() < at + n) m.resize(at + n, '\0');
  std::memcpy(&m[at], signature, n);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  keepReportsQuiet();
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  std::string m(reinterpret_cast<const char *>(data), size);
#if MODULE_KIND == 0
  stamp(m, 0, "IMPM");
#elif MODULE_KIND == 1
  stamp(m, 0, "Extended Module: ");
  stamp(m, 58, "\x04\x01");
#elif MODULE_KIND == 2
  stamp(m, 44, "SCRM");
#else
  stamp(m, 1080, "M.K.");
#endif
  std::string path = fuzzFile(reinterpret_cast<const uint8_t *>(m.data()), m.size(), ".mod");
  KSound sound;
  if (sound.loadModule(path.c_str())) {
    sound.playModule(false);
    std::vector<int16_t> out(4096);
    for (int i = 0; i < 4; i++) platform::SoundChannel::mixAll(out.data(), 2048);
  }
  return 0;
}
