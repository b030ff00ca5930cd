#pragma once

// Sound channels: the engine's stand-in for a channel-based sound system.
// One audio device (44100 Hz, 16-bit stereo) mixes every live channel. A
// channel plays one prepared buffer at a time and runs commands: some at
// once, and queued ones after the buffer before them has finished. A queued
// call-back command runs the channel's completion routine on the audio
// thread; a buffer it starts there is heard without a gap.
//
// All channel state is guarded by one recursive lock, held by the mixer
// while it mixes and runs completion routines. Code on other threads that
// shares data with a completion routine takes the same lock (SoundLock).

#include <cstdint>
#include <deque>
#include <mutex>

namespace platform {

/// A prepared buffer of sound: interleaved samples, 8-bit unsigned or 16-bit
/// signed little-endian, one or two channels, any rate.
struct SoundBuffer {
  const char *data = nullptr;
  uint32_t byteCount = 0;
  int channels = 1;
  int bitsPerSample = 16;
  int sampleRate = 44100;
};

enum SoundCommandCode : uint16_t {
  kQuietCmd = 3,
  kFlushCmd = 4,
  kReInitCmd = 5,
  kPauseCmd = 11,
  kResumeCmd = 12,
  kCallBackCmd = 13,
  kVolumeCmd = 46,
  kRateMultiplierCmd = 86
};

struct SoundCommand {
  uint16_t cmd = 0;
  int16_t param1 = 0;
  intptr_t param2 = 0;
};

class SoundChannel;
using CompletionRoutine = void (*)(SoundChannel *channel, const SoundCommand &command);

/// The lock shared by the mixer and every caller that touches channel state.
std::recursive_mutex &soundLock();
using SoundLock = std::lock_guard<std::recursive_mutex>;

class SoundChannel {
public:
  /// A new silent channel whose call-back commands run `routine`.
  explicit SoundChannel(CompletionRoutine routine);
  /// Silences the channel at once and removes it from the mix.
  ~SoundChannel();
  SoundChannel(const SoundChannel &) = delete;
  SoundChannel &operator=(const SoundChannel &) = delete;

  /// Starts `buffer` at once, replacing what was playing. The data must stay
  /// valid while it plays.
  void play(const SoundBuffer &buffer);
  /// Runs a command at once, ahead of the queue.
  void doImmediate(const SoundCommand &command);
  /// Appends a command to the queue; it runs once nothing is playing.
  void doCommand(const SoundCommand &command);

  uint16_t leftLevel() const { return left_; }
  uint16_t rightLevel() const { return right_; }

  /// Mixes every live channel into `out`: `frames` stereo 16-bit frames at
  /// 44100 Hz. Called by the audio device, or by tests that drive the mix.
  static void mixAll(int16_t *out, int frames);

  enum class Output { Device, Manual };
  /// Opens the audio device (Device), falling back to a silent real-time
  /// mixer when there is none; or mixes only when mixAll is called (Manual).
  static void startOutput(Output output);
  /// Closes the device or stops the silent mixer.
  static void stopOutput();
  /// Whether sound reaches a real device.
  static bool hasDevice();
  /// Whether startOutput has run (and stopOutput not since).
  static bool outputStarted();
  /// Whether the output is mixed only by explicit mixAll calls.
  static bool manualOutput();
  /// The open audio device's number, or 0.
  static uint32_t deviceId();
  /// The device `id` went away (unplugged): the default device is opened in
  /// its place and every channel plays on where it was.
  static void deviceLost(uint32_t id);

private:
  void runQueue();
  void mixInto(int32_t *acc, int frames);

  CompletionRoutine routine_;
  SoundBuffer current_;
  bool playing_ = false;
  bool paused_ = false;
  uint64_t position_ = 0; // source frame position, 32.32 fixed point
  uint16_t left_ = 255, right_ = 255;
  uint32_t rateMultiplier_ = 0x10000; // 16.16
  std::deque<SoundCommand> queue_;
  bool runningQueue_ = false;
  SoundChannel *nextLive_ = nullptr;
  SoundChannel *prevLive_ = nullptr;
};

} // namespace platform
