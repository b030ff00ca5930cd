// Sound as it would be heard: the mixer is driven by hand and its output
// checked sample by sample.

#include <dumb.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

#include "KSound.h"
#include "ModuleCheck.h"
#include "SoundFiles.h"
#include "SoundStreams.h"
#include "modules.h"
#include "oggwriter.h"
#include "platform/SoundChannel.h"

namespace {

using platform::SoundChannel;

class Sound : public ::testing::Test {
protected:
  std::string dir;
  static void SetUpTestSuite() { SoundChannel::startOutput(SoundChannel::Output::Manual); }
  void SetUp() override {
    char t[] = "/tmp/zunksoundXXXXXX";
    dir = mkdtemp(t);
    KSound::setGlobalVolumes(100, 100);
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  std::vector<int16_t> mix(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    SoundChannel::mixAll(out.data(), frames);
    return out;
  }
  // A 16-bit mono WAV at 44100 Hz holding `samples`, with a data length field of `declared`.
  std::string wav(const std::vector<int16_t> &samples, uint32_t declared = 0, int channels = 1, int bits = 16,
                  uint32_t rate = 44100) {
    std::string s("RIFF\0\0\0\0WAVEfmt ", 16);
    auto put32 = [&s](uint32_t v) { s.append(reinterpret_cast<const char *>(&v), 4); };
    auto put16 = [&s](uint16_t v) { s.append(reinterpret_cast<const char *>(&v), 2); };
    put32(16);
    put16(1);
    put16(static_cast<uint16_t>(channels));
    put32(rate);
    put32(rate * channels * bits / 8);
    put16(static_cast<uint16_t>(channels * bits / 8));
    put16(static_cast<uint16_t>(bits));
    s += "data";
    put32(declared ? declared : static_cast<uint32_t>(samples.size() * 2));
    s.append(reinterpret_cast<const char *>(samples.data()), samples.size() * 2);
    std::string path = dir + "/s" + std::to_string(counter++) + ".wav";
    std::ofstream(path, std::ios::binary) << s;
    return path;
  }
  // An Ogg Vorbis file of a sine tone.
  std::string ogg(int channels, int rate, double seconds) {
    std::string path = dir + "/t" + std::to_string(counter++) + ".ogg";
    std::vector<float> tone(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < tone.size(); i++) tone[i] = 0.5f * std::sin(i * 2 * 3.14159f * 440 / rate);
    EXPECT_TRUE(writeOgg(path, tone, tone, channels == 2, rate, 0.4f));
    return path;
  }
  int counter = 0;
};

TEST_F(Sound, VolumeArithmeticGivesTheDocumentedLevels) {
  KSound s;
  ASSERT_TRUE(s.loadSample(wav(std::vector<int16_t>(44100, 1000)).c_str(), 100, false, 1));
  s.playSample();
  auto check = [&](int volume, int pan, int left, int right) {
    s.setPan(pan);
    s.setVolume(volume);
    SoundChannel *c = s.channels[0];
    EXPECT_EQ(c->leftLevel(), left) << volume << " " << pan;
    EXPECT_EQ(c->rightLevel(), right) << volume << " " << pan;
  };
  check(100, 0, 255, 255);
  check(80, 0, 204, 204);
  check(50, 0, 127, 127);
  check(30, 0, 76, 76);
  check(10, 0, 25, 25);
  check(1, 0, 2, 2);
  check(80, -50, 204, 102);
  check(80, -200, 204, 0);
  KSound::setGlobalVolumes(-1, 50);
  check(80, 0, 102, 102);
  s.setVolume(-5);
  EXPECT_EQ(s.volume, 0);
  s.setVolume(150);
  EXPECT_EQ(s.volume, 150);
  EXPECT_EQ(s.channels[0]->leftLevel(), 127);
}

TEST_F(Sound, AWavSampleIsHeardAtItsVolumeAndPanThenEnds) {
  KSound s;
  ASSERT_TRUE(s.loadSample(wav(std::vector<int16_t>(1000, 10000)).c_str(), 50, false, 1));
  s.setPan(-50);
  s.playSample();
  auto out = mix(1200);
  EXPECT_EQ(out[0], 10000 * 127 / 255);
  EXPECT_EQ(out[1], 10000 * 63 / 255);
  EXPECT_EQ(out[999 * 2], 10000 * 127 / 255);
  EXPECT_EQ(out[1000 * 2], 0);
  EXPECT_FALSE(s.isPlaying());
}

TEST_F(Sound, ThreeChannelsStartedFourTimesCutTheFirstCopy) {
  KSound s;
  ASSERT_TRUE(s.loadSample(wav(std::vector<int16_t>(1000, 100)).c_str(), 100, false, 3));
  for (int i = 0; i < 4; i++) s.playSample();
  auto out = mix(1);
  EXPECT_EQ(out[0], 3 * 100); // three copies, not four
  KSound twelve, none;
  twelve.loadSample(wav(std::vector<int16_t>(10, 1)).c_str(), 100, false, 12);
  EXPECT_EQ(twelve.channelCount, 10);
  none.loadSample(wav(std::vector<int16_t>(10, 1)).c_str(), 100, false, 0);
  EXPECT_EQ(none.channelCount, 1);
}

TEST_F(Sound, ALoopingSampleRepeatsWithoutAGapUntilStopped) {
  KSound s;
  std::vector<int16_t> ramp(100);
  for (int i = 0; i < 100; i++) ramp[i] = static_cast<int16_t>(i * 100);
  ASSERT_TRUE(s.loadSample(wav(ramp).c_str(), 100, true, 1));
  s.playSample();
  auto out = mix(350);
  for (int i = 0; i < 350; i++) ASSERT_EQ(out[i * 2], ramp[i % 100] * 255 / 255) << i;
  EXPECT_TRUE(s.isPlaying());
  s.stopSample();
  out = mix(10);
  EXPECT_EQ(out[0], 0);
  EXPECT_FALSE(s.isPlaying());
}

TEST_F(Sound, FrequencyIsRelativeTo22050) {
  KSound s;
  std::vector<int16_t> ramp(100);
  for (int i = 0; i < 100; i++) ramp[i] = static_cast<int16_t>(i);
  ASSERT_TRUE(s.loadSample(wav(ramp).c_str(), 100, false, 1));
  s.playSample(44100, 100, 0, false);
  auto out = mix(10);
  EXPECT_EQ(out[2 * 3], 6); // twice the recorded speed
}

TEST_F(Sound, BrokenWavFilesFailToLoad) {
  KSound s;
  EXPECT_FALSE(s.loadSample((dir + "/missing.wav").c_str()));
  std::ofstream(dir + "/tiny.wav") << "data";
  EXPECT_FALSE(s.loadSample((dir + "/tiny.wav").c_str()));
  std::ofstream(dir + "/text.wav") << "this is not a sound at all, just words";
  EXPECT_FALSE(s.loadSample((dir + "/text.wav").c_str()));
  EXPECT_FALSE(s.loadSample(wav({1, 2, 3}, 0, 0).c_str()));          // no channels
  EXPECT_FALSE(s.loadSample(wav({1, 2, 3}, 0, 1, 16, 0).c_str()));   // no rate
  EXPECT_FALSE(s.loadSample(wav({1, 2, 3}, 0, 1, 12).c_str()));      // 12 bits
  EXPECT_FALSE(s.loadSample(wav({1, 2, 3}, 1).c_str()));             // less than one frame
  s.playSample(); // nothing loaded: nothing happens
  EXPECT_FALSE(s.isPlaying());
  // A data length past the end plays the bytes present.
  ASSERT_TRUE(s.loadSample(wav({5, 6, 7}, 1000000).c_str()));
  EXPECT_EQ(s.dataLength, 6u);
}

TEST_F(Sound, OggSamplesKeepTheirChannelsAndRate) {
  KSound s;
  ASSERT_TRUE(s.loadSample(ogg(1, 22050, 0.5).c_str(), 100, false, 1));
  EXPECT_EQ(s.soundHeaders[0]->channels, 1);
  EXPECT_EQ(s.soundHeaders[0]->rate, 22050);
  EXPECT_EQ(s.soundHeaders[0]->bits, 16);
  EXPECT_NEAR(s.dataLength / 2.0, 11025, 600);
  s.playSample();
  auto out = mix(2000);
  int loud = 0;
  for (int16_t v : out) loud += std::abs(v) > 3000;
  EXPECT_GT(loud, 500);
}

TEST_F(Sound, AStreamPlaysOnceToItsLastSampleAndRestartsFromTheStart) {
  std::string path = ogg(2, 44100, 0.3);
  KSound s;
  ASSERT_TRUE(s.loadStream(path.c_str()));
  s.setVolume(100);
  s.playStream(false);
  EXPECT_TRUE(s.pollStream());
  long heard = 0, last = 0;
  for (int block = 0; block < 60; block++) {
    auto out = mix(441);
    for (int i = 0; i < 441; i++)
      if (out[i * 2] != 0) last = heard + i;
    heard += 441;
  }
  EXPECT_FALSE(s.isMusicPaused());
  // The last, partly filled buffer is heard: sound reaches past 0.29 s.
  EXPECT_GT(last, static_cast<long>(0.29 * 44100));
  s.playStream(false);
  EXPECT_TRUE(s.isPlaying());
  s.stopStream();
  EXPECT_FALSE(s.pollStream());
  EXPECT_FALSE(s.isMusicPaused());
}

TEST_F(Sound, ALoopingStreamGoesOnAndTheMemoryReaderStaysInBounds) {
  std::string path = ogg(1, 44100, 0.1);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  KSound s;
  ASSERT_TRUE(s.loadStreamFromPtr(bytes.data(), bytes.size()));
  EXPECT_FALSE(s.loadStreamFromPtr(nullptr, 10)); // even with a stream loaded before
  EXPECT_EQ(s.channels[0], nullptr);
  EXPECT_FALSE(s.loadStreamFromPtr(bytes.data(), 0));
  ASSERT_TRUE(s.loadStreamFromPtr(bytes.data(), bytes.size()));
  s.playStream(true);
  for (int i = 0; i < 100; i++) mix(441); // a second of a 0.1 s stream
  EXPECT_TRUE(s.isPlaying());
  s.stopStream();
  // ogg_Seek to the end, then tell, gives the length; a read at the end gives 0.
  KSound::ogg_Seek(&s, 0, SEEK_END);
  EXPECT_EQ(KSound::ogg_Tell(&s), static_cast<long>(bytes.size()));
  char b[4];
  EXPECT_EQ(KSound::ogg_Read(b, 1, 4, &s), 0u);
  KSound::ogg_Seek(&s, -10, SEEK_SET);
  EXPECT_EQ(KSound::ogg_Tell(&s), static_cast<long>(bytes.size()));
  KSound::ogg_Seek(&s, 0, SEEK_SET);
  EXPECT_EQ(KSound::ogg_Read(b, 0, 4, &s), 0u);
  EXPECT_EQ(KSound::ogg_Tell(&s), 0);
}

TEST_F(Sound, CutOrGarbageOggFailsCleanly) {
  std::string path = ogg(1, 44100, 0.2);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t cut : {size_t(0), size_t(10), size_t(58), size_t(200), bytes.size() / 2}) {
    KSound s;
    bool ok = s.loadStreamFromPtr(bytes.data(), cut ? cut : 1);
    if (ok) {
      s.playStream(false);
      for (int i = 0; i < 20; i++) mix(441);
    }
    std::ofstream(dir + "/cut.ogg", std::ios::binary) << bytes.substr(0, cut);
    KSound sample;
    sample.loadSample((dir + "/cut.ogg").c_str());
  }
  KSound text;
  std::ofstream(dir + "/text.ogg") << "hello";
  EXPECT_FALSE(text.loadSample((dir + "/text.ogg").c_str()));
  EXPECT_FALSE(text.loadStream((dir + "/text.ogg").c_str()));
}

// A four-channel MOD of one pattern: a square-wave sample played on row 0.
std::string makeMod(const std::string &path) {
  std::string m(20, '\0');
  std::memcpy(&m[0], "testmod", 7);
  for (int i = 0; i < 31; i++) {
    std::string s(30, '\0');
    if (i == 0) {
      s[22] = 0;
      s[23] = 32; // 64 bytes
      s[25] = 64; // volume
      s[28] = 0;
      s[29] = 1; // no loop
    }
    m += s;
  }
  m += static_cast<char>(1); // song length
  m += static_cast<char>(127);
  m += std::string(128, '\0');
  m += "M.K.";
  std::string pattern(64 * 4 * 4, '\0');
  // Row 0, channel 0: sample 1, period 428 (C-2).
  pattern[0] = static_cast<char>(0x01);
  pattern[1] = static_cast<char>(0xAC);
  pattern[2] = static_cast<char>(0x10);
  m += pattern;
  for (int i = 0; i < 64; i++) m += static_cast<char>(i % 8 < 4 ? 100 : -100);
  std::ofstream(path, std::ios::binary) << m;
  return path;
}

TEST_F(Sound, ModulesPlayStopAtTheirLoopPointAndRenderToRaw) {
  KSound s;
  std::ofstream(dir + "/text.mod") << "just some text, no module here";
  EXPECT_FALSE(s.loadModule((dir + "/text.mod").c_str()));
  ASSERT_TRUE(s.loadModule(makeMod(dir + "/a.mod").c_str()));
  s.setVolume(100);
  s.playModule(false);
  bool heard = false;
  for (int i = 0; i < 400 && s.isPlaying(); i++) {
    auto out = mix(1024);
    for (int16_t v : out) heard = heard || v != 0;
  }
  EXPECT_TRUE(heard);
  EXPECT_FALSE(s.isPlaying()); // stopped at the loop point (one pattern: about 6 s)
  s.playModule(false);
  EXPECT_TRUE(s.isPlaying());
  s.pauseModule();
  EXPECT_FALSE(s.isPlaying());
  s.continueModule();
  EXPECT_TRUE(s.isPlaying());
  // Moved, a module played without loop still stops at its loop point.
  s.setModulePosition(0);
  for (int i = 0; i < 400 && s.isPlaying(); i++) mix(1024);
  EXPECT_FALSE(s.isPlaying());
  s.stopModule();
  ASSERT_TRUE(s.modToRaw((dir + "/limited.raw").c_str(), 10 * 4096));
  std::ifstream raw(dir + "/limited.raw", std::ios::binary | std::ios::ate);
  long size = static_cast<long>(raw.tellg());
  EXPECT_LE(size, 10 * 4096);
  EXPECT_EQ(size % 4096, 0);
  EXPECT_GT(size, 0);
  s.stopModule();
  ASSERT_TRUE(s.modToRaw((dir + "/whole.raw").c_str(), 0));
  std::ifstream whole(dir + "/whole.raw", std::ios::binary | std::ios::ate);
  EXPECT_GT(static_cast<long>(whole.tellg()), 10 * 4096);
  // A module loaded again releases the previous one.
  ASSERT_TRUE(s.loadModule((dir + "/a.mod").c_str()));
}

TEST_F(Sound, EightBitStereoIsCentredOnZero) {
  // Unsigned 8-bit: 0 is the most negative value, 128 silence, 255 the top.
  // Two frames: left 0, right 128; left 255, right 128.
  std::vector<int16_t> frames = {static_cast<int16_t>(0x8000), static_cast<int16_t>(0x80FF)};
  KSound s;
  ASSERT_TRUE(s.loadSample(wav(frames, 4, 2, 8).c_str(), 100, false, 1));
  s.playSample();
  auto out = mix(2);
  EXPECT_EQ(out[0], -128 * 256);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 127 * 256);
  EXPECT_EQ(out[3], 0);
}

// A reloaded sound keeps nothing of what it held: a stream's compressed
// file, a module, its buffers. Clearing a buffer stays inside a short sample.
TEST_F(Sound, AReloadedSoundReleasesWhatItHeld) {
  KSound s;
  ASSERT_TRUE(s.loadStream(ogg(1, 22050, 0.2).c_str()));
  ASSERT_NE(s.memoryData, nullptr);
  ASSERT_TRUE(s.loadSample(wav(std::vector<int16_t>(10, 5000)).c_str()));
  EXPECT_EQ(s.memoryData, nullptr);
  EXPECT_EQ(s.soundHeaders[1], nullptr);
  std::ofstream(dir + "/a.xm", std::ios::binary) << modules::xm();
  ASSERT_TRUE(s.loadModule((dir + "/a.xm").c_str()));
  ASSERT_TRUE(s.loadSample(wav(std::vector<int16_t>(10, 5000)).c_str()));
  EXPECT_EQ(s.module, nullptr);
  EXPECT_EQ(s.moduleRenderer, nullptr);
  // The sample's buffer holds 20 bytes (and a little slack), not 4096.
  s.clearSoundBuffer(0);
  s.playSample();
  EXPECT_EQ(mix(1)[0], 0);
}

// A small file that decodes to more than the ceiling is refused, not
// decoded into memory without end.
TEST_F(Sound, DecodingStopsAtTheCeiling) {
  const std::string second = ogg(1, 22050, 1); // 44100 bytes decoded
  soundfiles::Pcm pcm;
  EXPECT_FALSE(soundfiles::decodeOgg(second.c_str(), pcm, 16 * 1024));
  EXPECT_TRUE(soundfiles::decodeOgg(second.c_str(), pcm, 64 * 1024));
  EXPECT_EQ(pcm.bytes.size(), 44100u);
}

// While a load decodes, the sound lock is free: the mixer goes on mixing
// what already plays.
TEST_F(Sound, TheMixerGoesOnWhileASoundDecodes) {
  static KSound *playing = nullptr;
  static bool mixedDuringDecode = false;
  KSound tone;
  ASSERT_TRUE(tone.loadSample(wav(std::vector<int16_t>(44100, 3000)).c_str(), 100, true, 1));
  tone.playSample();
  playing = &tone;
  mixedDuringDecode = false;
  soundfiles::setDecodeHook([] {
    // Another thread stands for the audio device: it must get the lock now.
    std::thread mixer([] {
      std::unique_lock<std::recursive_mutex> lock(platform::soundLock(), std::try_to_lock);
      if (!lock.owns_lock()) return;
      std::vector<int16_t> out(64 * 2);
      SoundChannel::mixAll(out.data(), 64);
      mixedDuringDecode = out[0] == 3000 && playing->isPlaying();
    });
    mixer.join();
  });
  KSound other;
  EXPECT_TRUE(other.loadSample(ogg(1, 22050, 0.5).c_str()));
  soundfiles::setDecodeHook(nullptr);
  EXPECT_TRUE(mixedDuringDecode);
}

// Each kind of tracker module, the smallest that plays a note.
TEST_F(Sound, TrackerModulesOfEveryKindLoadAndPlay) {
  const std::pair<const char *, std::string> kinds[] = {
      {"a.xm", modules::xm()}, {"a.s3m", modules::s3m()}, {"a.it", modules::it()}};
  for (const auto &kind : kinds) {
    std::ofstream(dir + "/" + kind.first, std::ios::binary) << kind.second;
    KSound s;
    ASSERT_TRUE(s.loadModule((dir + "/" + kind.first).c_str())) << kind.first;
    s.setVolume(100);
    s.playModule(true);
    bool heard = false;
    for (int i = 0; i < 40 && !heard; i++)
      for (int16_t v : mix(1024)) heard = heard || v != 0;
    EXPECT_TRUE(heard) << kind.first;
  }
}

// Modules that lie about themselves are refused before the module library
// reads them: a pattern of 0 rows (it would loop for ever), a sample that
// claims 2 GiB in a file of a few hundred bytes (it would be allocated), a
// pattern that runs past the end of the file, a tempo or a sample rate of 0
// (they are divided by), a sample rate of 2^31 (the library steps for minutes),
// a compressed stereo sample (the library cannot read one and exits), a
// sample of 2 GB behind an instrument kind the format does not have.
TEST_F(Sound, ModulesThatLieAboutThemselvesAreRefused) {
  const uint32_t kHuge = 0x7FFFFFFF;
  std::string cut = modules::it();
  cut.resize(cut.size() - 30);
  std::string still = modules::it(), stillXm = modules::xm(), stillS3m = modules::s3m();
  still[51] = 0; // tempo 0: the library divides by it
  stillXm[78] = stillXm[79] = 0;
  stillS3m[50] = 0;
  std::string fastXm = modules::xm();
  fastXm[79] = 1; // tempo 256: the library keeps it in a byte
  std::string stereo = modules::it();
  stereo[202 + 18] = 1 | 4 | 8; // a compressed stereo sample: the library ends the program
  std::string stillSample = modules::it(), slowSample = modules::s3m();
  modules::put32(stillSample, 202 + 60, 0);        // a sample rate of 0: divided by
  modules::put32(slowSample, 112 + 32, 0x80000000); // 2^31: minutes of stepping
  std::string oddKind = modules::s3m(kHuge);
  oddKind[112] = static_cast<char>(0x81); // no kind of its own: the library reads it as a sample
  const std::pair<const char *, std::string> lies[] = {
      {"rows.xm", modules::xm(0)},
      {"rows.it", modules::it(0)},
      {"huge.xm", modules::xm(64, kHuge)},
      {"huge.s3m", modules::s3m(kHuge)},
      {"huge.it", modules::it(64, kHuge)},
      {"cut.it", cut},
      {"tempo.it", still},
      {"tempo.xm", stillXm},
      {"tempo.s3m", stillS3m},
      {"tempo256.xm", fastXm},
      {"stereo.it", stereo},
      {"rate0.it", stillSample},
      {"rate2g.s3m", slowSample},
      {"oddkind.s3m", oddKind},
  };
  // The library would refuse it only after taking the 2 GB: the check refuses it first.
  EXPECT_FALSE(modulecheck::fitsItsFile(reinterpret_cast<const unsigned char *>(oddKind.data()), oddKind.size()));
  for (const auto &lie : lies) {
    std::ofstream(dir + "/" + lie.first, std::ios::binary) << lie.second;
    KSound s;
    EXPECT_FALSE(s.loadModule((dir + "/" + lie.first).c_str())) << lie.first;
    EXPECT_EQ(s.module, nullptr) << lie.first;
  }
}

// A module is not played through when it is loaded: a file of a few hundred
// bytes can declare days of song (the slowest speed and tempo, the most rows),
// and going through them took seconds and a checkpoint every 30 s of song.
// Such a song still plays from its start.
TEST_F(Sound, ALongSongIsNotPlayedThroughOnLoading) {
  std::string slow = modules::it(200);
  slow[50] = static_cast<char>(255); // ticks a row
  slow[51] = 32;                     // the slowest tempo: 78 ms a tick, 66 minutes of song
  const std::string path = dir + "/slow.it";
  std::ofstream(path, std::ios::binary) << slow;
  soundstreams::openModuleLibrary();
  DUH *module = soundstreams::readModule(path.c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_LE(duh_get_length(module), 0) << "the song was played through to measure it";
  unload_duh(module);
  KSound s;
  ASSERT_TRUE(s.loadModule(path.c_str()));
  s.setVolume(100);
  s.playModule(false);
  bool heard = false;
  for (int i = 0; i < 40 && !heard; i++)
    for (int16_t v : mix(1024)) heard = heard || v != 0;
  EXPECT_TRUE(heard);
}

// A song shorter than a block (one row at the fastest speed: 10 ms) ends
// several times within one render; each ending stops the module, and the
// renderer still rendering must outlive them all (AddressSanitizer sees a
// renderer released under the render). Played once, it ends; it plays again.
TEST_F(Sound, ASongShorterThanABlockEndsSafely) {
  std::string brief = modules::it(1);
  brief[50] = 1;                     // one tick a row
  brief[51] = static_cast<char>(242); // 10 ms a tick
  const std::string path = dir + "/brief.it";
  std::ofstream(path, std::ios::binary) << brief;
  KSound s;
  ASSERT_TRUE(s.loadModule(path.c_str()));
  s.setVolume(100);
  for (int time = 0; time < 2; time++) {
    s.playModule(false);
    for (int i = 0; i < 40 && s.isPlaying(); i++) mix(1024);
    EXPECT_FALSE(s.isPlaying()) << "played " << time + 1 << " times";
  }
}

// The audio thread runs completion routines while the main thread plays,
// stops and changes volumes: nothing may race (ThreadSanitizer checks).
TEST_F(Sound, TheAudioThreadAndTheMainThreadShareSafely) {
  SoundChannel::stopOutput();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SoundChannel::startOutput(SoundChannel::Output::Device);
  {
    KSound sample, stream;
    std::vector<int16_t> ramp(300);
    for (int i = 0; i < 300; i++) ramp[i] = static_cast<int16_t>(i);
    ASSERT_TRUE(sample.loadSample(wav(ramp).c_str(), 100, true, 3));
    ASSERT_TRUE(stream.loadStream(ogg(2, 44100, 0.2).c_str()));
    stream.playStream(true);
    for (int i = 0; i < 60; i++) {
      sample.playSample();
      sample.setVolume(i % 100);
      KSound::setGlobalVolumes(i % 100, 100 - i % 100);
      if (i % 10 == 0) stream.playStream(i % 20 == 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The device goes away: another is opened and the stream, looping now
    // so that however slowly this thread runs it is still playing, plays on.
    stream.playStream(true);
    uint32_t before = SoundChannel::deviceId();
    SoundChannel::deviceLost(before);
    if (before) {
      EXPECT_NE(SoundChannel::deviceId(), 0u);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // a few buffers on the new device
    EXPECT_TRUE(stream.isPlaying());
    sample.stopSample();
    stream.stopStream();
  }
  SoundChannel::stopOutput();
  SoundChannel::startOutput(SoundChannel::Output::Manual);
}

} // namespace
