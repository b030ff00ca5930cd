#include "KSound.h"

#include <dumb.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "KMiscTools.h"
#include "KResource.h"
#include "SoundFiles.h"
#include "SoundStreams.h"
#include "platform/SoundChannel.h"

using platform::SoundChannel;
using platform::SoundCommand;
using platform::SoundLock;
using platform::soundLock;

int KSound::_masterMUSICvolume = 100;
int KSound::_masterSFXvolume = 100;
int KSound::_instanceCount = 0;

namespace {
const uint32_t kStreamBuffer = soundstreams::kBlockBytes;
// The memory reader's four routines, as vorbisfile takes them.
const ov_callbacks ogg_CallBacks = {KSound::ogg_Read, KSound::ogg_Seek, KSound::ogg_Close, KSound::ogg_Tell};

SoundCommand command(uint16_t code, intptr_t param2 = 0) {
  SoundCommand c;
  c.cmd = code;
  c.param2 = param2;
  return c;
}
} // namespace

KSound::KSound()
    : channelCount(1), volume(80), soundKind(2), currentChannel(0), pan(0), module(nullptr), moduleRenderer(nullptr),
      moduleLoops(false), format(nullptr), buffer{nullptr, nullptr}, dataLength(0), formatRecord{}, vorbisFile(new OggVorbis_File()),
      vorbisOpen(false), channels{}, soundHeaders{nullptr, nullptr}, nextBuffer(1), stopRequested(false),
      playing(false), loop(false), memoryPosition(0), memorySize(0), memoryData(nullptr), endInBuffer_(false),
      finishing_(false), retiredRenderer_(nullptr), rendering_(nullptr), appliedMusicMaster_(-1) {
  errorText[0] = 0;
  fileName[0] = 0;
  if (!SoundChannel::outputStarted()) SoundChannel::startOutput(SoundChannel::Output::Device);
  SoundLock guard(soundLock());
  init();
}

void KSound::init() {
  SoundLock guard(soundLock());
  if (_instanceCount == 0) soundstreams::openModuleLibrary();
  _instanceCount++;
}

KSound::~KSound() {
  bool last;
  {
    SoundLock guard(soundLock());
    _instanceCount--;
    playing = false;
    stopRequested = true;
    stopSample();
    stopModule();
    stopStream();
    freeAllocatedData();
    delete vorbisFile;
    vorbisFile = nullptr;
    last = _instanceCount <= 0;
    if (last) soundstreams::closeModuleLibrary();
  }
  // The device is closed without the lock held: its thread may be waiting for it.
  if (last && !SoundChannel::manualOutput()) SoundChannel::stopOutput();
}

// ---------------------------------------------------------------- channels and headers

SoundChannel *KSound::createSoundChannel(unsigned long kind, short index) {
  if (index < 0 || index > 9) return nullptr;
  platform::CompletionRoutine routine =
      kind == 0 ? &KSound::modCallBackProcPtr : kind == 1 ? &KSound::oggCallBackProcPtr : &KSound::wavCallBackProcPtr;
  SoundLock guard(soundLock());
  delete channels[index];
  channels[index] = new (std::nothrow) SoundChannel(routine);
  return channels[index];
}

void KSound::disposeChannels() {
  SoundLock guard(soundLock());
  for (SoundChannel *&c : channels) {
    delete c;
    c = nullptr;
  }
}

void KSound::freeChannel() { disposeChannels(); }

void KSound::disposeHeader(int index) {
  if (!soundHeaders[index]) return;
  delete[] soundHeaders[index]->data;
  delete soundHeaders[index];
  soundHeaders[index] = nullptr;
}

char *KSound::makeSoundHandle(short count, long sampleRate, long sampleSize, unsigned long byteCount,
                              char headerIndex) {
  SoundLock guard(soundLock());
  int index = headerIndex ? 1 : 0;
  dataLength = static_cast<uint32_t>(byteCount);
  disposeHeader(index);
  Header *h = new (std::nothrow) Header();
  char *data = new (std::nothrow) char[byteCount + 100]();
  if (!h || !data) {
    delete h;
    delete[] data;
    std::snprintf(errorText, 256, "%s", "can't create sound header ( makeSoundHandle ) ");
    return nullptr;
  }
  h->data = data;
  h->byteCount = static_cast<uint32_t>(byteCount);
  h->channels = count;
  h->rate = static_cast<int>(sampleRate);
  h->bits = static_cast<int>(sampleSize);
  soundHeaders[index] = h;
  return data;
}

void KSound::playHeader(int channel, int header) {
  Header *h = soundHeaders[header];
  if (!channels[channel] || !h) return;
  platform::SoundBuffer b;
  b.data = h->data;
  b.byteCount = h->byteCount;
  b.channels = h->channels;
  b.bitsPerSample = h->bits;
  b.sampleRate = h->rate;
  channels[channel]->play(b);
}

// Quiet, flush and re-initialise, at once: the channel stops and no queued
// completion routine follows.
void KSound::silence(SoundChannel *channel) {
  if (!channel) return;
  channel->doImmediate(command(platform::kQuietCmd));
  channel->doImmediate(command(platform::kFlushCmd));
  channel->doImmediate(command(platform::kReInitCmd));
}

void KSound::queueCallBack(int channel) {
  if (channels[channel]) channels[channel]->doCommand(command(platform::kCallBackCmd, reinterpret_cast<intptr_t>(this)));
}

void KSound::freeAllocatedData() {
  SoundLock guard(soundLock());
  disposeChannels();
  if (vorbisOpen) {
    ov_clear(vorbisFile);
    vorbisOpen = false;
  }
  // Whatever the object held before, a sample, a stream's compressed file
  // or a module, is released whatever kind it is loaded as next.
  delete[] memoryData;
  memoryData = nullptr;
  memoryPosition = 0;
  memorySize = 0;
  if (moduleRenderer) duh_end_sigrenderer(moduleRenderer);
  if (module) unload_duh(module);
  moduleRenderer = nullptr;
  module = nullptr;
  disposeHeader(0);
  disposeHeader(1);
  buffer[0] = buffer[1] = nullptr;
  dataLength = 0;
}

long KSound::loadFileToRam(const char *path) {
  FILE *f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) return 0;
  std::fclose(f);
  std::vector<char> file;
  if (!soundfiles::readWholeFile(path, file)) return -1;
  return transferFileToRam(file.data(), file.size());
}

long KSound::transferFileToRam(const char *source, unsigned long length) {
  delete[] memoryData;
  memoryData = nullptr;
  if (!source || length > K_MAX_LOADED_BYTES) return -1;
  memoryData = new (std::nothrow) char[length + 1024];
  if (!memoryData) return -1;
  std::memcpy(memoryData, source, length);
  memoryPosition = 0;
  memorySize = static_cast<uint32_t>(length);
  return static_cast<long>(length);
}

long KSound::ParseWavHeader(unsigned char *data, unsigned long size) {
  const soundfiles::WavChunks chunks = soundfiles::findWavChunks(data, size);
  format = reinterpret_cast<const KSoundFormat *>(chunks.format);
  buffer[0] = const_cast<char *>(chunks.data);
  dataLength = chunks.length;
  return static_cast<long>(dataLength);
}

void KSound::clearSoundBuffer(long index) {
  if (index < 0 || index > 1) return;
  // A sample's buffer may be shorter than a stream buffer.
  if (channels[0] && soundHeaders[index] && buffer[index])
    std::memset(buffer[index], 0, std::min(kStreamBuffer, soundHeaders[index]->byteCount));
}

// ---------------------------------------------------------------- samples

bool KSound::loadSample(const char *path, int vol, bool lp, short count) {
  // Read and decoded before the lock is taken: what already plays goes on.
  soundfiles::Pcm pcm;
  const bool decoded =
      path && (std::strstr(path, ".ogg") ? soundfiles::decodeOgg(path, pcm) : soundfiles::readWav(path, pcm));
  bool loaded;
  {
    SoundLock guard(soundLock());
    channelCount = count > 0 ? count : 1;
    if (channelCount > 9) channelCount = 10;
    currentChannel = 0;
    std::snprintf(fileName, sizeof fileName, "%s", path ? path : "");
    freeAllocatedData();
    soundKind = 2;
    loop = lp;
    volume = vol;
    playing = false;
    loaded = decoded && installSample(pcm);
  }
  // Reported outside the lock: whoever receives it may play a sound.
  if (!loaded) report("could not load sound", path, "not a WAV or Ogg Vorbis file it can play, or unreadable");
  return loaded;
}

bool KSound::installSample(const soundfiles::Pcm &pcm) {
  for (short i = 0; i < channelCount; i++) {
    if (!createSoundChannel(2, i)) {
      freeAllocatedData();
      return false;
    }
  }
  char *data = makeSoundHandle(static_cast<short>(pcm.format.channels), static_cast<long>(pcm.format.sampleRate),
                               pcm.format.bitsPerSample, pcm.bytes.size(), 0);
  if (!data) {
    freeAllocatedData();
    return false;
  }
  std::memcpy(data, pcm.bytes.data(), pcm.bytes.size());
  buffer[0] = data;
  formatRecord = pcm.format;
  format = &formatRecord;
  return true;
}

void KSound::setVolume(int value) {
  SoundLock guard(soundLock());
  if (value >= 0) volume = value;
  else if (value != -1) volume = 0;
  float s = volume * 2.55f;
  if (s < 0) s = 0;
  if (s > 255) s = 255;
  if (!channels[0] || !playing) return;
  int master = soundKind == 2 ? _masterSFXvolume : _masterMUSICvolume;
  int level = static_cast<int>(s * master / 100.0f);
  if (level < 0) level = 0;
  if (level > 255) level = 255;
  int left = level, right = level;
  if (pan < 0) right = static_cast<int>(level * (100 + pan) / 100.0f);
  else if (pan > 0) left = static_cast<int>(level * (100 - pan) / 100.0f);
  for (SoundChannel *c : channels)
    if (c) c->doImmediate(command(platform::kVolumeCmd, (static_cast<intptr_t>(right) << 16) | left));
}

void KSound::setPan(long value) {
  SoundLock guard(soundLock());
  if (currentChannel < 0 || currentChannel > 9 || !channels[currentChannel]) return;
  pan = static_cast<int32_t>(value < -100 ? -100 : value > 100 ? 100 : value);
  setVolume(volume);
}

void KSound::setGlobalVolumes(int musicVolume, int sfxVolume) {
  SoundLock guard(soundLock());
  if (musicVolume > 100) musicVolume = 100;
  if (sfxVolume > 100) sfxVolume = 100;
  if (musicVolume >= 0) _masterMUSICvolume = musicVolume;
  if (sfxVolume >= 0) _masterSFXvolume = sfxVolume;
}

void KSound::setFrequency(long frequency) {
  SoundLock guard(soundLock());
  if (currentChannel < 0 || currentChannel > 9 || !channels[currentChannel]) return;
  intptr_t multiplier = frequency <= 0 ? 0x10000 : static_cast<intptr_t>((static_cast<int64_t>(frequency) << 16) / 22050);
  channels[currentChannel]->doImmediate(command(platform::kRateMultiplierCmd, multiplier));
}

void KSound::setLoop(bool value) {
  SoundLock guard(soundLock());
  if (soundKind == 2 && channels[0]) loop = value;
}

bool KSound::isPlaying() {
  SoundLock guard(soundLock());
  return channels[0] ? playing : false;
}

void KSound::playSample() {
  SoundLock guard(soundLock());
  if (!channels[0]) return;
  stopSample(static_cast<short>(currentChannel));
  setVolume(volume);
  startOnCurrentChannel();
}

// Plays the sample on the current channel with its completion routine
// queued, then moves to the next channel.
void KSound::startOnCurrentChannel() {
  playHeader(currentChannel, 0);
  playing = true;
  queueCallBack(currentChannel);
  currentChannel++;
  if (currentChannel >= channelCount) currentChannel = 0;
  setVolume(volume);
}

void KSound::playSample(long frequency, long vol, long p, bool lp) {
  SoundLock guard(soundLock());
  if (!channels[0]) return;
  stopSample();
  volume = static_cast<int32_t>(vol);
  setFrequency(frequency);
  setLoop(lp);
  if (channels[currentChannel]) {
    pan = static_cast<int32_t>(p < -100 ? -100 : p > 100 ? 100 : p);
    setVolume(volume);
  }
  setVolume(volume);
  startOnCurrentChannel();
}

void KSound::stopSample() {
  SoundLock guard(soundLock());
  if (soundKind != 2 || !channels[0]) return;
  for (SoundChannel *c : channels) silence(c);
  playing = false;
}

void KSound::stopSample(short index) {
  SoundLock guard(soundLock());
  if (soundKind != 2 || index < 0 || index > 9 || !channels[index]) return;
  silence(channels[index]);
  playing = false;
}

void KSound::pauseSample() {
  SoundLock guard(soundLock());
  if (soundKind != 2 || !channels[0] || !channels[currentChannel]) return;
  channels[currentChannel]->doImmediate(command(platform::kVolumeCmd, 0));
}

void KSound::continueSample() {
  SoundLock guard(soundLock());
  if (soundKind != 2 || !channels[currentChannel]) return;
  setVolume(volume);
}

void KSound::wavCallBackProcPtr(SoundChannel *channel, const SoundCommand &c) {
  KSound *s = reinterpret_cast<KSound *>(c.param2);
  if (!s || !s->playing) return;
  if (s->loop) {
    for (int i = 0; i < 10; i++)
      if (s->channels[i] == channel) {
        s->playHeader(i, 0);
        s->queueCallBack(i);
      }
    s->playing = true;
  } else {
    s->playing = false;
  }
}

// ---------------------------------------------------------------- Ogg Vorbis

void KSound::setDecodedFormat(int channelsInFile, long rate) {
  formatRecord = soundfiles::decodedFormat(channelsInFile, rate);
  format = &formatRecord;
}

bool KSound::loadOggSample(const char *path) {
  soundfiles::Pcm pcm;
  const bool decoded = path && soundfiles::decodeOgg(path, pcm);
  SoundLock guard(soundLock());
  freeAllocatedData();
  return decoded && installSample(pcm);
}

bool KSound::loadStream(const char *path) {
  {
    SoundLock guard(soundLock());
    std::snprintf(fileName, sizeof fileName, "%s", path ? path : "");
  }
  std::vector<char> file;
  soundfiles::readWholeFile(path, file);
  return loadStreamFromPtr(file.empty() ? nullptr : file.data(), file.size());
}

void KSound::report(const char *heading, const char *path, const char *reason) {
  KMiscTools::report(K_REPORT_WARNING, heading, path ? path : "", reason);
}

bool KSound::loadStreamFromPtr(const char *data, unsigned long length) {
  // The copy is made before the lock is taken.
  char *copy = data && length > 0 && length <= K_MAX_LOADED_BYTES ? new (std::nothrow) char[length] : nullptr;
  if (copy) std::memcpy(copy, data, length);
  bool opened = false;
  {
    SoundLock guard(soundLock());
    freeAllocatedData();
    soundKind = 1;
    playing = false;
    if (copy) {
      memoryData = copy;
      memoryPosition = 0;
      memorySize = static_cast<uint32_t>(length);
      opened = openStream();
    }
  }
  if (!opened)
    report("could not load stream", fileName,
           copy ? "not an Ogg Vorbis stream of one or two channels" : "no bytes, unreadable, or too large");
  return opened;
}

// Opens the decoder over the file held in memory and prepares the buffers.
bool KSound::openStream() {
  soundKind = 1;
  if (ov_open_callbacks(this, vorbisFile, nullptr, 0, ogg_CallBacks) != 0) return false;
  vorbisOpen = true;
  vorbis_info *info = ov_info(vorbisFile, -1);
  if (!info || info->channels < 1 || info->channels > 2) {
    freeAllocatedData();
    return false;
  }
  setDecodedFormat(info->channels, info->rate);
  if (!prepareBlocks(1, static_cast<short>(info->channels), info->rate)) {
    freeAllocatedData();
    return false;
  }
  ov_time_seek(vorbisFile, 0.0);
  stopRequested = false;
  clearStreamEnd();
  fillBothBuffers();
  return true;
}

void KSound::clearStreamEnd() {
  endInBuffer_ = false;
  finishing_ = false;
}

void KSound::playStream(bool lp) {
  SoundLock guard(soundLock());
  if (!channels[0] || soundKind != 1) return;
  stopStream();
  ov_time_seek(vorbisFile, 0.0);
  stopRequested = false;
  clearStreamEnd();
  loop = lp;
  fillBothBuffers();
  startBlocks();
}

void KSound::stopStream() {
  SoundLock guard(soundLock());
  if (soundKind != 1 || !channels[0]) return;
  // Cleared first, so that a completion routine flushed out of the queue
  // below finds the stream stopped.
  playing = false;
  channels[0]->doImmediate(command(platform::kQuietCmd));
  channels[0]->doCommand(command(platform::kFlushCmd));
  channels[0]->doCommand(command(platform::kReInitCmd));
  if (soundHeaders[0] && buffer[0]) std::memset(buffer[0], 0, kStreamBuffer);
  if (soundHeaders[1] && buffer[1]) std::memset(buffer[1], 0, kStreamBuffer);
  playing = false;
  stopRequested = true;
  clearStreamEnd();
}

bool KSound::pollStream(bool) {
  SoundLock guard(soundLock());
  return channels[0] && playing;
}

bool KSound::isMusicPaused() {
  SoundLock guard(soundLock());
  return channels[0] ? playing : false;
}

void KSound::fillOggBuffer(short index) {
  if (!channels[0] || index < 0 || index > 1 || !buffer[index]) return;
  if (stopRequested) {
    stopStream();
    return;
  }
  if (endInBuffer_ || !vorbisOpen) {
    std::memset(buffer[index], 0, kStreamBuffer);
    return;
  }
  uint32_t bytes = 0;
  if (soundstreams::decodeOggBlock(*vorbisFile, buffer[index], bytes) != soundstreams::OggBlock::End) return;
  // The end of the file: a looping stream starts again at the next block; a
  // stream that does not loop plays out the part of a block it decoded.
  if (loop) ov_time_seek(vorbisFile, 0.0);
  else if (bytes > 0) endInBuffer_ = true;
  else stopRequested = true;
}

void KSound::oggCallBackProcPtr(SoundChannel *, const SoundCommand &c) {
  KSound *s = reinterpret_cast<KSound *>(c.param2);
  // A completion flushed out of a stopped stream's queue does nothing.
  if (s && s->playing) s->playNextBlock();
}

// The memory reader's data source is the sound itself: its compressed file.
size_t KSound::ogg_Read(void *destination, size_t size, size_t count, void *source) {
  KSound *s = static_cast<KSound *>(source);
  if (!s) return static_cast<size_t>(-1);
  return soundstreams::readMemory(s->memoryData, s->memorySize, s->memoryPosition, destination, size, count);
}

int KSound::ogg_Seek(void *source, int64_t offset, int whence) {
  KSound *s = static_cast<KSound *>(source);
  return s ? soundstreams::seekMemory(s->memorySize, s->memoryPosition, offset, whence) : -1;
}

int KSound::ogg_Close(void *) { return 0; }

long KSound::ogg_Tell(void *source) {
  KSound *s = static_cast<KSound *>(source);
  return s ? static_cast<long>(s->memoryPosition) : -1;
}

// ---------------------------------------------------------------- modules

bool KSound::loadModule(const char *path) {
  // Read, checked and parsed before the lock is taken: what already plays
  // goes on meanwhile.
  DUH *loaded = path ? soundstreams::readModule(path) : nullptr;
  DUH_SIGRENDERER *renderer = loaded ? duh_start_sigrenderer(loaded, 0, 2, 0) : nullptr;
  if (loaded && !renderer) {
    unload_duh(loaded);
    loaded = nullptr;
  }
  const bool ready = loadModuleRendered(path, loaded, renderer);
  if (!ready)
    report("could not load module", path,
           loaded ? "no memory for its buffers" : "not an IT, XM, S3M or MOD module it can play, or unreadable");
  return ready;
}

bool KSound::loadModuleRendered(const char *path, DUH *loaded, DUH_SIGRENDERER *renderer) {
  SoundLock guard(soundLock());
  std::snprintf(fileName, sizeof fileName, "%s", path ? path : "");
  // A module loaded again releases the previous one and its renderer.
  freeAllocatedData();
  soundKind = 0;
  nextBuffer = 0;
  playing = false;
  // Nothing of a stream loaded before is still to be played out.
  clearStreamEnd();
  if (!loaded) return false;
  module = loaded;
  moduleRenderer = renderer;
  formatRecord = KSoundFormat{1, 2, 44100, 176400, 4, 16};
  format = &formatRecord;
  if (!prepareBlocks(0, 2, 44100)) {
    std::snprintf(errorText, 256, "%s", "impossible to create sound buffer ( loadModule ) ");
    disposeChannels();
    return false;
  }
  fillBothBuffers();
  return true;
}

void KSound::retireRenderer() {
  if (!moduleRenderer) return;
  // The renderer that is rendering right now (a loop callback stops the
  // module from inside the render) is released once the render returns.
  // Any other, such as one started by an earlier callback of the same
  // render (a song shorter than a block ends several times in it), at once.
  if (moduleRenderer == rendering_) retiredRenderer_ = moduleRenderer;
  else duh_end_sigrenderer(moduleRenderer);
  moduleRenderer = nullptr;
}

long KSound::renderModule(char *block) {
  rendering_ = moduleRenderer;
  const long n = soundstreams::renderModuleBlock(moduleRenderer, block);
  rendering_ = nullptr;
  if (retiredRenderer_) {
    duh_end_sigrenderer(retiredRenderer_);
    retiredRenderer_ = nullptr;
  }
  return n;
}

void KSound::fillModBuffer(short index) {
  if (!channels[0] || index < 0 || index > 1 || !buffer[index]) return;
  renderModule(buffer[index]);
}

void KSound::playModule(bool lp) {
  SoundLock guard(soundLock());
  if (!channels[0] || soundKind != 0) return;
  stopModule();
  stopRequested = false;
  moduleLoops = lp;
  fillBothBuffers();
  if (!lp && moduleRenderer) dumb_it_set_loop_callback(duh_get_it_sigrenderer(moduleRenderer), &KSound::loopFunc, this);
  startBlocks();
}

void KSound::stopModule() {
  SoundLock guard(soundLock());
  if (soundKind != 0 || !channels[0]) return;
  silence(channels[0]);
  playing = false;
  if (module && moduleRenderer) {
    retireRenderer();
    moduleRenderer = dumb_it_start_at_order(module, 2, 0);
  }
}

void KSound::pauseModule() {
  SoundLock guard(soundLock());
  if (!channels[0]) return;
  channels[0]->doImmediate(command(platform::kPauseCmd));
  playing = false;
}

void KSound::continueModule() {
  SoundLock guard(soundLock());
  if (!channels[0]) return;
  channels[0]->doImmediate(command(platform::kResumeCmd));
  playing = true;
}

void KSound::setModulePosition(int order) {
  SoundLock guard(soundLock());
  if (!module || !moduleRenderer) return;
  // The renderer replaced is released, not leaked.
  retireRenderer();
  moduleRenderer = dumb_it_start_at_order(module, 2, order);
  if (moduleRenderer && !moduleLoops && playing)
    dumb_it_set_loop_callback(duh_get_it_sigrenderer(moduleRenderer), &KSound::loopFunc, this);
}

int KSound::loopFunc(void *data) {
  KSound *s = static_cast<KSound *>(data);
  if (s && !s->moduleLoops) {
    s->stopRequested = true;
    s->stopModule();
  }
  return 0;
}

void KSound::modCallBackProcPtr(SoundChannel *, const SoundCommand &c) {
  KSound *s = reinterpret_cast<KSound *>(c.param2);
  if (s) s->playNextBlock();
}

// ---------------------------------------------------------------- streams and modules alike

bool KSound::prepareBlocks(unsigned long kind, short channelsInBlocks, long rate) {
  if (!createSoundChannel(kind, 0)) return false;
  buffer[0] = makeSoundHandle(channelsInBlocks, rate, 16, kStreamBuffer, 0);
  buffer[1] = makeSoundHandle(channelsInBlocks, rate, 16, kStreamBuffer, 1);
  return buffer[0] && buffer[1];
}

void KSound::fillBuffer(short index) {
  if (soundKind == 1) fillOggBuffer(index);
  else fillModBuffer(index);
}

void KSound::fillBothBuffers() {
  nextBuffer = 0;
  fillBuffer(0);
  fillBuffer(1);
}

void KSound::startBlocks() {
  playHeader(0, 0);
  currentChannel = 0;
  queueCallBack(0);
  playing = true;
  setVolume(volume);
}

void KSound::playNextBlock() {
  if (finishing_) {
    // The last, partly filled buffer of a stream has been heard.
    finishing_ = false;
    stopRequested = true;
    playing = false;
    return;
  }
  const int finished = nextBuffer == 0 ? 0 : 1;
  nextBuffer = 1 - finished;
  playHeader(0, nextBuffer);
  if (endInBuffer_) {
    // The buffer now starting holds the end of the stream: play it out.
    endInBuffer_ = false;
    finishing_ = true;
  } else {
    fillBuffer(static_cast<short>(finished));
  }
  playing = !stopRequested;
  if (playing) queueCallBack(0);
  // The music master is followed from one block to the next.
  if (appliedMusicMaster_ != _masterMUSICvolume) {
    appliedMusicMaster_ = _masterMUSICvolume;
    setVolume(-1);
  }
}

bool KSound::modToRaw(const char *path, unsigned long maxBytes) {
  {
    SoundLock guard(soundLock());
    if (!channels[0] || soundKind != 0 || !moduleRenderer || !path) return false;
  }
  FILE *f = std::fopen(path, "wb");
  if (!f) return false;
  {
    SoundLock guard(soundLock());
    stopRequested = false;
    if (moduleRenderer) dumb_it_set_loop_callback(duh_get_it_sigrenderer(moduleRenderer), &KSound::loopFunc, this);
    moduleLoops = false;
  }
  const unsigned long limit = maxBytes / 4;
  unsigned long total = 0;
  char block[kStreamBuffer];
  // Each block is rendered under the lock and written without it, so that
  // whatever else plays goes on while the file is written.
  for (;;) {
    long n;
    bool atLoopPoint;
    {
      SoundLock guard(soundLock());
      n = renderModule(block);
      atLoopPoint = stopRequested;
    }
    if (n > 0) total += static_cast<unsigned long>(n);
    if ((limit != 0 && total > limit) || n <= 0) break;
    std::fwrite(block, 1, sizeof block, f);
    // Without a limit the rendering ends at the module's loop point.
    if (limit == 0 && atLoopPoint) break;
  }
  std::fclose(f);
  return true;
}
