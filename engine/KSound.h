#pragma once

#include <cstddef>
#include <cstdint>

#include "SoundFormat.h"

namespace platform {
class SoundChannel;
struct SoundCommand;
} // namespace platform
struct DUH;
// The Ogg Vorbis decoder's state (vorbisfile's); users of KSound need not see it.
struct OggVorbis_File;
struct DUH_SIGRENDERER;
namespace soundfiles {
struct Pcm;
} // namespace soundfiles

/// One sound: a sample (WAV or Ogg Vorbis, decoded whole, played on up to
/// ten channels), a stream (Ogg Vorbis decoded while it plays through two
/// 4096-byte buffers) or a tracker module (IT, XM, S3M, MOD rendered the
/// same way). Volumes are 0 to 100, combined with the class-wide music and
/// effects masters into channel levels 0 to 255. Every operation on an
/// object that holds no loaded sound does nothing.
///
/// Completion routines run on the audio thread; every operation takes the
/// sound lock, so the two threads never touch the object at once.
class KSound {
public:
  KSound();
  /// Stops and releases everything.
  ~KSound();
  KSound(const KSound &) = delete;
  KSound &operator=(const KSound &) = delete;

  // ---- samples ----

  /// Loads a WAV file, or an Ogg Vorbis file when the path contains ".ogg".
  /// `channelCount` (1 to 10) copies may overlap.
  bool loadSample(const char *path, int volume = 100, bool loop = false, short channelCount = 1);
  /// Plays the sample on the next of its channels (cutting the oldest copy).
  void playSample();
  /// Sets rate (relative to 22050 Hz), volume, pan and looping, then plays.
  void playSample(long frequency, long volume, long pan, bool loop);
  /// Stops every channel of the sample.
  void stopSample();
  void stopSample(short channelIndex);
  /// Mutes the current channel; it keeps running.
  void pauseSample();
  void continueSample();
  /// 0..100 (above 100 acts as 100); -1 re-applies the present volume.
  void setVolume(int volume);
  /// -100 left only .. +100 right only.
  void setPan(long pan);
  /// Playback rate relative to 22050 Hz; 0 or less: the recorded speed.
  void setFrequency(long frequency);
  void setLoop(bool loop);
  bool isPlaying();
  /// Masters 0..100; a negative value leaves that master alone.
  static void setGlobalVolumes(int musicVolume, int sfxVolume);
  int getError() { return 0; }
  bool initDone() { return true; }
  /// The text of the last failure, or "".
  const char *getErrorText() const { return errorText; }
  void init();

  // ---- Ogg Vorbis ----

  bool loadOggSample(const char *path);
  /// Loads a stream; the compressed file is kept in memory.
  bool loadStream(const char *path);
  /// Loads a stream from a copy of `length` bytes at `data`.
  bool loadStreamFromPtr(const char *data, unsigned long length);
  /// Starts the stream from its beginning.
  void playStream(bool loop);
  void stopStream();
  bool pollStream(bool unused = false);
  bool isMusicPaused();

  // ---- modules ----

  /// Loads an IT, XM, S3M or MOD module (tried in that order).
  bool loadModule(const char *path);
  /// Starts from the beginning; without `loop` it stops at the loop point.
  void playModule(bool loop);
  /// Stops and rewinds to the beginning.
  void stopModule();
  void pauseModule();
  void continueModule();
  /// Continues from `order` after the two buffers already rendered. A module
  /// playing without loop still stops at its loop point from there: the
  /// stop is set on the new renderer too (left off, the module would play
  /// for ever once moved).
  void setModulePosition(int order);
  /// Renders the module into a headerless 16-bit stereo 44100 Hz file, in
  /// 4096-byte blocks, at most `maxBytes` (0: up to the loop point).
  bool modToRaw(const char *path, unsigned long maxBytes);
  void killModule() {}
  bool startNotifiers() { return true; }
  /// Called at a module's loop point.
  static int loopFunc(void *data);

  // ---- byte order ----
  static short flipShort(short v) { return v; }
  static long flipLong(long v) { return v; }
  static float flipFloat(float v) { return v; }

  // ---- internals, exposed for the completion routines and tests ----

  platform::SoundChannel *createSoundChannel(unsigned long kind, short index);
  char *makeSoundHandle(short channelCount, long sampleRate, long sampleSize, unsigned long byteCount,
                        char headerIndex);
  void freeChannel();
  void freeAllocatedData();
  long loadFileToRam(const char *path);
  long transferFileToRam(const char *source, unsigned long length);
  long ParseWavHeader(unsigned char *data, unsigned long size);
  void clearSoundBuffer(long index);
  void fillOggBuffer(short index);
  void fillModBuffer(short index);
  static void wavCallBackProcPtr(platform::SoundChannel *channel, const platform::SoundCommand &command);
  static void oggCallBackProcPtr(platform::SoundChannel *channel, const platform::SoundCommand &command);
  static void modCallBackProcPtr(platform::SoundChannel *channel, const platform::SoundCommand &command);
  static size_t ogg_Read(void *destination, size_t size, size_t count, void *source);
  static int ogg_Seek(void *source, int64_t offset, int whence);
  static int ogg_Close(void *source);
  static long ogg_Tell(void *source);

  /// A playable sound header: its format and its data.
  struct Header {
    char *data;
    uint32_t byteCount;
    int channels, rate, bits;
  };

  int16_t channelCount;
  char errorText[260];
  char fileName[260];
  int32_t volume;
  uint8_t soundKind; ///< 2 sample, 1 stream, 0 module
  int32_t currentChannel;
  int32_t pan;
  DUH *module;
  DUH_SIGRENDERER *moduleRenderer;
  bool moduleLoops;
  const KSoundFormat *format;
  char *buffer[2];
  uint32_t dataLength;
  KSoundFormat formatRecord;
  /// The stream's decoder state, owned (made with the sound).
  OggVorbis_File *vorbisFile;
  bool vorbisOpen;
  platform::SoundChannel *channels[10];
  Header *soundHeaders[2];
  int32_t nextBuffer;
  bool stopRequested;
  bool playing;
  bool loop;
  uint32_t memoryPosition;
  uint32_t memorySize;
  char *memoryData;

  static int _masterMUSICvolume;
  static int _masterSFXvolume;
  static int _instanceCount;

private:
  void disposeChannels();
  void disposeHeader(int index);
  void playHeader(int channel, int header);
  void queueCallBack(int channel);
  static void silence(platform::SoundChannel *channel);
  void startOnCurrentChannel();
  void setDecodedFormat(int channelsInFile, long rate);
  void retireRenderer();
  /// Renders the next 4096 bytes of the module into `block`; the bytes the
  /// renderer produced (0 at the end).
  long renderModule(char *block);
  /// Loads the module parsed (`renderer` its renderer), under the sound lock.
  bool loadModuleRendered(const char *path, DUH *loaded, DUH_SIGRENDERER *renderer);
  /// Reports a load that failed (a warning), outside the sound lock.
  static void report(const char *heading, const char *path, const char *reason);
  /// Puts a decoded sample on its channels.
  bool installSample(const soundfiles::Pcm &pcm);
  void clearStreamEnd();
  bool openStream();

  // Streams and modules alike play from two block buffers in turn, on
  // channel 0: one plays while the other is refilled.

  /// Creates channel 0 with the completion routine of `kind` and both buffers.
  bool prepareBlocks(unsigned long kind, short channelsInBlocks, long rate);
  /// Refills one buffer from the stream's decoder or the module's renderer.
  void fillBuffer(short index);
  /// Refills both from the present position; buffer 0 plays first.
  void fillBothBuffers();
  /// Plays buffer 0 with its completion routine queued.
  void startBlocks();
  /// The buffer that was playing has been heard: the other one plays while
  /// it is refilled.
  void playNextBlock();

  // A stream that does not loop plays its last, partly filled buffer:
  // the end was decoded into a buffer that is still to be heard.
  bool endInBuffer_;
  // That last buffer is playing; the stream ends when it has finished.
  bool finishing_;
  // A renderer replaced while it was rendering, released after the render.
  DUH_SIGRENDERER *retiredRenderer_;
  // The renderer rendering now, or null.
  DUH_SIGRENDERER *rendering_;
  // The music master this sound's level was last set with.
  int appliedMusicMaster_;
};
