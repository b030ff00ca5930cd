// Every file the game reads is read as a stranger's: pipes, devices,
// folders and huge files in its place are refused at once, and saving never
// writes through a link someone left where the temporary file goes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "GameFixture.h"
#include "catalogue.h"
#include "keptreplays.h"
#include "recording.h"
#include "replayer.h"
#include "settings.h"
#include "storage.h"

namespace {

std::string contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool isLink(const std::string &path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

class HostileFiles : public Game {
protected:
  std::string data;
  void SetUp() override {
    Game::SetUp();
    data = scratch.records();
  }
  void TearDown() override {
    Game::TearDown();
  }

  // What can lie where a file is expected: a pipe no one writes to, a
  // device that never ends, a folder, and a file of 1.5 GB (sparse).
  enum Kind { kPipe, kDevice, kFolder, kHuge };
  static const char *name(Kind k) {
    static const char *names[] = {"a pipe", "a device", "a folder", "a huge file"};
    return names[k];
  }
  void put(Kind kind, const std::string &path) {
    std::remove(path.c_str());
    switch (kind) {
    case kPipe: ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); break;
    case kDevice: ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0); break;
    case kFolder: ASSERT_EQ(mkdir(path.c_str(), 0755), 0); break;
    case kHuge: {
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(ftruncate(fd, off_t(1536) << 20), 0);
      close(fd);
      break;
    }
    }
  }
  void clear(const std::string &path) {
    if (rmdir(path.c_str()) != 0) std::remove(path.c_str());
  }
  // Puts every kind at `path` in turn and runs `read`, which must come back
  // (a pipe would hold it for ever) with what a missing file gives.
  void eachKind(const std::string &path, const std::function<void(Kind)> &read) {
    for (Kind kind : {kPipe, kDevice, kFolder, kHuge}) {
      SCOPED_TRACE(name(kind));
      put(kind, path);
      read(kind);
      clear(path);
    }
  }
};

TEST_F(HostileFiles, TheReadersRefuseAnythingButARegularFileOfTheirSize) {
  std::string bytes, error;
  eachKind(data + "/x", [&](Kind kind) {
    EXPECT_FALSE(readFile(data + "/x", 4096, bytes, error));
    EXPECT_EQ(error, kind == kHuge ? "too large for what it holds (more than 4096 bytes)" : "not a regular file");
    EXPECT_TRUE(bytes.empty());
  });
  // A regular file: all of it, up to the limit and not a byte over.
  std::ofstream(data + "/x") << "12345";
  EXPECT_TRUE(readFile(data + "/x", 5, bytes, error));
  EXPECT_EQ(bytes, "12345");
  EXPECT_FALSE(readFile(data + "/x", 4, bytes, error));
  EXPECT_TRUE(readFileStart(data + "/x", 4, bytes, error));
  EXPECT_EQ(bytes, "1234");
  EXPECT_FALSE(readFile(data + "/missing", 5, bytes, error));
}

TEST_F(HostileFiles, TheTableTheListTheSettingsACatalogueAndAReplay) {
  testing::internal::CaptureStderr();
  // The table: left as it was, and the reason said.
  eachKind(data + "/thescores", [&](Kind kind) {
    shell.highScores.topScores[0] = 77;
    // The first forty bytes of a huge (all zero) file are a table of its own.
    EXPECT_EQ(loadScores(shell.highScores.topScores, said), kind == kHuge);
    EXPECT_EQ(shell.highScores.topScores[0], kind == kHuge ? 0 : 77);
    if (kind == kPipe) {
      EXPECT_NE(said.find("thescores: not a regular file: the high scores are not read"), std::string::npos) << said;
    }
  });
  // The replays' list: no row has a replay.
  const std::string list = data + "/thescores.replays";
  eachKind(list, [&](Kind kind) {
    EXPECT_EQ(replayOfRow(shell.highScores.topScores, 0), "");
    EXPECT_EQ(keptReplayPaths(shell.highScores.topScores, said)[0], "");
    if (kind == kHuge) {
      EXPECT_NE(said.find("thescores.replays: too large"), std::string::npos) << said;
    }
  });
  // The settings: the defaults.
  eachKind(data + "/settings.ini", [&](Kind) {
    const Settings s = readSettings(data + "/settings.ini", said);
    EXPECT_TRUE(s.music);
    EXPECT_EQ(s.scale, 0);
  });
  // A catalogue: not read, and said to be there.
  eachKind(data + "/zunk.mo", [&](Kind) {
    Catalogue words;
    std::string error;
    bool missing = true;
    EXPECT_FALSE(words.load(data + "/zunk.mo", error, missing));
    EXPECT_FALSE(missing);
    EXPECT_EQ(words.size(), 0u);
  });
  // A replay: refused with the reason; --replay-check says so, status 1.
  eachKind(data + "/game.zunkreplay", [&](Kind kind) {
    Recording r;
    std::string error;
    EXPECT_FALSE(loadRecording(data + "/game.zunkreplay", r, error));
    EXPECT_EQ(error.rfind(kind == kHuge ? "too large" : "not a regular file", 0), 0u) << error;
    EXPECT_EQ(checkReplay((data + "/game.zunkreplay").c_str()), 1);
  });
  // --replay-check says why, on standard error.
  EXPECT_NE(testing::internal::GetCapturedStderr().find("game.zunkreplay: not a regular file"), std::string::npos);
}

TEST_F(HostileFiles, ACatalogueWhoseTablesPointAtOneTextOverAndOverIsRefused) {
  // Four thousand messages, every one of them the same 1000-byte text: read
  // as it says, it would copy 8 MB out of a 40 KB file.
  const uint32_t count = 4000, text = 28 + count * 16, length = 1000;
  std::string mo(text + length + 1, 'a');
  auto word = [&](uint32_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) mo[at + i] = static_cast<char>(v >> (8 * i));
  };
  word(0, 0x950412de);
  word(4, 0);
  word(8, count);
  word(12, 28);
  word(16, 28 + count * 8);
  word(20, 0);
  word(24, 0);
  for (uint32_t i = 0; i < 2 * count; i++) {
    word(28 + i * 8, length);
    word(32 + i * 8, text);
  }
  mo[text + length] = 0;
  Catalogue words;
  EXPECT_FALSE(words.read(mo));
  // The same message once is a catalogue.
  word(8, 1);
  word(16, 28 + 8);
  EXPECT_TRUE(words.read(mo));
  EXPECT_EQ(words.size(), 1u);
}

TEST_F(HostileFiles, SavingNeverWritesThroughWhatLiesAtATemporaryName) {
  // Links planted where earlier versions put their temporary files, and a
  // file of a name a save of ours could pick: none is written through.
  const std::string victim = scratch.folder + "/victim";
  std::ofstream(victim) << "someone else's";
  const std::string settings = scratch.folder + "/config/zunk/settings.ini";
  Settings s;
  s.music = false;
  EXPECT_TRUE(writeSettings(settings, s, said));
  for (const std::string &target : {data + "/thescores", settings, data + "/unfinished.zunkreplay"})
    ASSERT_EQ(symlink(victim.c_str(), (target + ".tmp").c_str()), 0);
  std::string error;
  Cause cause;
  shell.highScores.topScores[0] = 1234;
  EXPECT_TRUE(writeTable(shell.highScores.topScores, error, cause)) << error;
  EXPECT_EQ(contents(data + "/thescores").size(), 40u);
  EXPECT_TRUE(writeSettings(settings, s, said));
  EXPECT_FALSE(readSettings(settings, said).music);
  Recording r;
  r.frames.resize(3);
  r.randomAfter = randomPosition();
  EXPECT_TRUE(saveRecording(data + "/unfinished.zunkreplay", r, error)) << error;
  EXPECT_TRUE(loadRecording(data + "/unfinished.zunkreplay", r, error)) << error;
  EXPECT_EQ(contents(victim), "someone else's");
  for (const std::string &target : {data + "/thescores", settings, data + "/unfinished.zunkreplay"}) {
    EXPECT_FALSE(isLink(target));
    EXPECT_TRUE(isLink(target + ".tmp"));
  }
}

TEST(Printable, ControlsAndBrokenCharactersBecomeMarksAndTheCutKeepsCharactersWhole) {
  EXPECT_EQ(printable("plain text", 80), "plain text");
  EXPECT_EQ(printable("\x1b[31mred\x07", 80), "?[31mred?");
  EXPECT_EQ(printable("a\xc2\x9b" "b", 80), "a?b"); // a C1 control, as UTF-8
  EXPECT_EQ(printable("\xff\xfe ok \xe2\x82", 80), "?? ok ??");
  EXPECT_EQ(printable("caf\xc3\xa9", 80), "caf\xc3\xa9");
  // 2-byte characters cut at an odd limit: the half character is left out.
  std::string accents;
  for (int i = 0; i < 50; i++) accents += "\xc3\xa9";
  EXPECT_EQ(printable(accents, 81), accents.substr(0, 80));
  EXPECT_EQ(printable("\xe6\x97\xa5\xe6\x9c\xac", 5), "\xe6\x97\xa5");
}

TEST_F(HostileFiles, AGarbledSettingsLineIsShownAsATerminalCanShowIt) {
  std::string line = "\x1b]0;owned\x07scale=";
  for (int i = 0; i < 60; i++) line += "\xc3\xa9";
  std::ofstream(data + "/settings.ini") << "[zunk]\n" << line << "\nmusic=off\n";
  const Settings s = readSettings(data + "/settings.ini", said);
  EXPECT_FALSE(s.music);
  EXPECT_EQ(said.find('\x1b'), std::string::npos);
  EXPECT_EQ(said.find('\x07'), std::string::npos);
  EXPECT_NE(said.find("?]0;owned?scale="), std::string::npos) << said;
  // Cut on a character's boundary: what is shown is whole characters.
  EXPECT_EQ(printable(said, said.size()), said);
}

TEST(Settings, AScaleIsAWholeNumberTheFileMaySayWithSpaces) {
  std::string garbled;
  EXPECT_EQ(parseSettings("scale= 7 \n", garbled).scale, 7);
  EXPECT_EQ(garbled, "");
  EXPECT_EQ(parseSettings("scale=16", garbled).scale, 16);
  EXPECT_EQ(parseSettings("scale=17", garbled).scale, 0);
  EXPECT_EQ(garbled, "scale=17");
  EXPECT_EQ(parseSettings("scale=-1\nmusic=off", garbled).scale, 0);
  EXPECT_EQ(garbled, "scale=-1");
}

TEST(Settings, TheOptionsReadBackAndWhatTheyCannotBeIsRefused) {
  std::string garbled;
  const Settings s = parseSettings("musicvolume=3\nsoundsvolume=10\nlanguage=pt_BR\ncalm=on\ncontrast=system\n"
                                   "key.throw=Num0\nkey.pullleft=A\nkey.pause=Space\npad.throw=LB\n",
                                   garbled);
  EXPECT_EQ(garbled, "");
  EXPECT_EQ(s.musicLevel, 3);
  EXPECT_EQ(s.soundsLevel, 10);
  EXPECT_EQ(s.language, "pt_BR");
  EXPECT_EQ(s.calm, Choice::kOn);
  EXPECT_EQ(s.contrast, Choice::kAsSystem);
  // Space, the throw's at first, is free once the throw has another.
  EXPECT_EQ(s.keys.keys[kActThrow], K_VK_NUM0);
  EXPECT_EQ(s.keys.keys[kActPause], K_VK_SPACE);
  EXPECT_EQ(s.keys.pad[kPadThrow], K_JOY_LEFT_SHOULDER);
  // Levels out of range, languages the game does not speak, the menus'
  // own keys and the pad's Start: each line refused, the rest as before.
  for (const char *line : {"musicvolume=0", "soundsvolume=11", "language=xx", "language=pt_br", "calm=maybe",
                           "key.throw=Esc", "key.back=Return", "key.music=Shift", "key.jump=J", "key.pause=Nope",
                           "pad.back=Start", "pad.throw=Up"}) {
    const Settings refused = parseSettings(line, garbled);
    EXPECT_EQ(garbled, line);
    EXPECT_EQ(refused.musicLevel, kVolumeSteps) << line;
    EXPECT_EQ(refused.language, "") << line;
    EXPECT_EQ(refused.keys, KeyMap()) << line;
  }
  // One key for two actions would leave one out of reach: every key as it
  // first was.
  const Settings twice = parseSettings("key.throw=A\nkey.pause=A\nmusic=off", garbled);
  EXPECT_EQ(twice.keys, KeyMap());
  EXPECT_FALSE(twice.music);
  EXPECT_NE(garbled, "");
}

TEST(Settings, EveryKeyWithANameReadsBackByIt) {
  for (int k = 0; k < K_VK_ERROR; k++) {
    const EKeyboardLayout key = static_cast<EKeyboardLayout>(k);
    const std::string name = keyName(key);
    if (name.empty()) continue;
    EXPECT_EQ(keyNamed(name), key) << name;
    // The screen draws it from the ASCII glyph strip.
    for (char ch : name) EXPECT_TRUE(ch >= 32 && ch <= 126) << name;
  }
  for (int b = 0; b <= K_JOY_DPAD_RIGHT; b++) EXPECT_EQ(padButtonNamed(padButtonName(b)), b);
}

} // namespace
