// Micro-benchmarks of the engine's per-frame and load-time work.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "KSound.h"
#include "platform/PictureCodec.h"
#include "platform/SoundChannel.h"

namespace {

// One 4096-byte stream refill is 23 ms of sound: it must take far less.
void StreamRefill(benchmark::State &state) {
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  KSound music;
  if (!music.loadStream(ZUNK_DATA_DIR "/monkey.ogg")) {
    state.SkipWithError("no music file");
    return;
  }
  music.playStream(true);
  for (auto _ : state) music.fillOggBuffer(0);
}
BENCHMARK(StreamRefill)->Unit(benchmark::kMicrosecond);

// One 4096-byte module refill (1024 stereo frames, 23 ms of sound).
void ModuleRefill(benchmark::State &state) {
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  KSound module;
  if (!module.loadModule(ZUNK_SOURCE_DIR "/tests/fuzz/corpus/module_mod/seed.mod")) {
    state.SkipWithError("no module file");
    return;
  }
  module.playModule(true);
  for (auto _ : state) module.fillModBuffer(0);
}
BENCHMARK(ModuleRefill)->Unit(benchmark::kMicrosecond);

// Mixing 23 ms of sound with ten sample channels playing.
void Mix(benchmark::State &state) {
  if (!platform::SoundChannel::outputStarted())
    platform::SoundChannel::startOutput(platform::SoundChannel::Output::Manual);
  KSound effect;
  if (!effect.loadSample(ZUNK_DATA_DIR "/bomb.ogg", 100, true, 10)) {
    state.SkipWithError("no sound file");
    return;
  }
  for (int i = 0; i < 10; i++) effect.playSample();
  std::vector<int16_t> out(2048);
  for (auto _ : state) platform::SoundChannel::mixAll(out.data(), 1024);
}
BENCHMARK(Mix)->Unit(benchmark::kMicrosecond);

// Decoding the sprite sheet, the bulk of the game's start-up.
void DecodeSheet(benchmark::State &state) {
  FILE *f = std::fopen(ZUNK_DATA_DIR "/zunk.png", "rb");
  std::vector<unsigned char> bytes(1 << 20);
  size_t n = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
  if (f) std::fclose(f);
  for (auto _ : state) {
    int w, h;
    std::vector<unsigned char> argb;
    benchmark::DoNotOptimize(platform::decodePicture(bytes.data(), n, "PNG", w, h, argb));
  }
}
BENCHMARK(DecodeSheet)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
