#include "SoundChannel.h"
#include "Platform.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace platform {

namespace {
const int kOutputRate = 44100;
// The output's state: the device, the channels live on it, the silent mixer.
struct OutputContext {
  SoundChannel *live = nullptr;
  SDL_AudioDeviceID device = 0;
  std::thread silentMixer;
  std::atomic<bool> silentRunning{false};
  bool started = false;
  bool manual = false;
};
OutputContext output_;

void deviceCallback(void *, Uint8 *stream, int len) {
  SoundChannel::mixAll(reinterpret_cast<int16_t *>(stream), len / 4);
}

#ifndef __EMSCRIPTEN__
// Without a device, time still passes for the channels: buffers end and
// completion routines run as they would on a real device.
void silentMixer() {
  std::vector<int16_t> scratch(441 * 2);
  auto next = std::chrono::steady_clock::now();
  while (output_.silentRunning.load()) {
    SoundChannel::mixAll(scratch.data(), 441);
    next += std::chrono::milliseconds(10);
    std::this_thread::sleep_until(next);
  }
}
#endif
} // namespace

std::recursive_mutex &soundLock() {
  static std::recursive_mutex lock;
  return lock;
}

SoundChannel::SoundChannel(CompletionRoutine routine) : routine_(routine) {
  SoundLock guard(soundLock());
  nextLive_ = output_.live;
  if (output_.live) output_.live->prevLive_ = this;
  output_.live = this;
}

SoundChannel::~SoundChannel() {
  SoundLock guard(soundLock());
  if (prevLive_) prevLive_->nextLive_ = nextLive_;
  else output_.live = nextLive_;
  if (nextLive_) nextLive_->prevLive_ = prevLive_;
}

void SoundChannel::play(const SoundBuffer &buffer) {
  SoundLock guard(soundLock());
  current_ = buffer;
  position_ = 0;
  // A buffer without one whole frame plays nothing (and cannot loop forever).
  const uint32_t frameBytes = (buffer.bitsPerSample == 8 ? 1u : 2u) * (buffer.channels == 2 ? 2u : 1u);
  playing_ = buffer.data && buffer.byteCount >= frameBytes && buffer.sampleRate > 0;
  paused_ = false;
}

void SoundChannel::doImmediate(const SoundCommand &c) {
  SoundLock guard(soundLock());
  switch (c.cmd) {
  case kQuietCmd: playing_ = false; break;
  case kFlushCmd: queue_.clear(); break;
  case kReInitCmd:
    rateMultiplier_ = 0x10000;
    paused_ = false;
    break;
  case kPauseCmd: paused_ = true; break;
  case kResumeCmd: paused_ = false; break;
  case kVolumeCmd:
    left_ = static_cast<uint16_t>(std::min<intptr_t>(c.param2 & 0xFFFF, 255));
    right_ = static_cast<uint16_t>(std::min<intptr_t>((c.param2 >> 16) & 0xFFFF, 255));
    break;
  case kRateMultiplierCmd: rateMultiplier_ = static_cast<uint32_t>(c.param2); break;
  case kCallBackCmd:
    if (routine_) routine_(this, c);
    break;
  default: break;
  }
}

void SoundChannel::doCommand(const SoundCommand &c) {
  SoundLock guard(soundLock());
  queue_.push_back(c);
  if (!playing_) runQueue();
}

// Runs queued commands while nothing plays; stops as soon as a command (a
// completion routine) starts a buffer. Commands that a completion routine
// queues from inside the run wait for the next one, so a routine that only
// queues itself again cannot spin.
void SoundChannel::runQueue() {
  if (runningQueue_) return;
  runningQueue_ = true;
  for (size_t n = queue_.size(); n > 0 && !playing_ && !queue_.empty(); n--) {
    SoundCommand c = queue_.front();
    queue_.pop_front();
    doImmediate(c);
  }
  runningQueue_ = false;
}

void SoundChannel::mixInto(int32_t *acc, int frames) {
  int done = 0;
  while (done < frames) {
    if (!playing_) {
      runQueue();
      if (!playing_) return;
    }
    if (paused_) return;
    const int bytesPerSample = current_.bitsPerSample == 8 ? 1 : 2;
    const int ch = current_.channels == 2 ? 2 : 1;
    const uint64_t totalFrames = current_.byteCount / (static_cast<uint32_t>(bytesPerSample) * ch);
    // Source frames advanced per output frame, in 32.32 fixed point.
    const uint64_t step =
        (static_cast<uint64_t>(current_.sampleRate) * rateMultiplier_ << 16) / kOutputRate;
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(current_.data);
    while (done < frames) {
      uint64_t index = position_ >> 32;
      if (index >= totalFrames) {
        playing_ = false;
        break;
      }
      int32_t l, r;
      if (bytesPerSample == 1) {
        l = (static_cast<int32_t>(bytes[index * ch]) - 128) * 256;
        r = ch == 2 ? (static_cast<int32_t>(bytes[index * ch + 1]) - 128) * 256 : l;
      } else {
        const unsigned char *p = bytes + index * ch * 2;
        l = static_cast<int16_t>(p[0] | (p[1] << 8));
        r = ch == 2 ? static_cast<int16_t>(p[2] | (p[3] << 8)) : l;
      }
      acc[done * 2] += l * left_ / 255;
      acc[done * 2 + 1] += r * right_ / 255;
      position_ += step;
      done++;
    }
  }
}

void SoundChannel::mixAll(int16_t *out, int frames) {
  static thread_local std::vector<int32_t> acc;
  static thread_local std::vector<SoundChannel *> live;
  acc.assign(static_cast<size_t>(frames) * 2, 0);
  {
    SoundLock guard(soundLock());
    // A completion routine may create or dispose of channels: walk a copy.
    live.clear();
    for (SoundChannel *c = output_.live; c; c = c->nextLive_) live.push_back(c);
    for (SoundChannel *c : live) {
      bool stillLive = false;
      for (SoundChannel *d = output_.live; d; d = d->nextLive_)
        if (d == c) stillLive = true;
      if (stillLive) c->mixInto(acc.data(), frames);
    }
  }
  for (int i = 0; i < frames * 2; i++) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
}

void SoundChannel::startOutput(Output output) {
  stopOutput();
  output_.started = true;
  output_.manual = output == Output::Manual;
  if (output_.manual) return;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    SDL_AudioSpec want{}, have{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = deviceCallback;
    output_.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (output_.device) {
      // A device that goes away is replaced by whichever is the default now.
      setAudioDeviceLostHandler(&SoundChannel::deviceLost);
      SDL_PauseAudioDevice(output_.device, 0);
      return;
    }
    report(K_REPORT_WARNING, "sound: no audio device", "", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else {
    report(K_REPORT_WARNING, "sound: no audio device", "", SDL_GetError());
  }
#ifndef __EMSCRIPTEN__
  // A page has one thread: there, without a device, sounds are silent and
  // simply never end.
  output_.silentRunning = true;
  output_.silentMixer = std::thread(silentMixer);
#endif
}

void SoundChannel::stopOutput() {
  if (output_.device) {
    SDL_CloseAudioDevice(output_.device);
    output_.device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  if (output_.silentRunning.exchange(false) && output_.silentMixer.joinable()) output_.silentMixer.join();
  output_.started = false;
  output_.manual = false;
}

bool SoundChannel::hasDevice() { return output_.device != 0; }
bool SoundChannel::outputStarted() { return output_.started; }
bool SoundChannel::manualOutput() { return output_.manual; }
uint32_t SoundChannel::deviceId() { return output_.device; }

void SoundChannel::deviceLost(uint32_t id) {
  if (!output_.device || id != output_.device) return;
  stopOutput();
  startOutput(Output::Device);
}

} // namespace platform
