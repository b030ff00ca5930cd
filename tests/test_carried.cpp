// The records carried from one copy of the game to another as one file:
// read back as written; a file damaged anywhere, cut short, foreign or of a
// later version refused whole with its reason, changing nothing; imported
// into another copy's records as they merge (a score with its replay, a
// row already there not entered twice, the games left, the settings only
// where none are kept), and the same file imported again bringing nothing.

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "GameFixture.h"
#include "KMiscTools.h"
#include "layout.h"
#include "platform/Platform.h"
#include "scoresscreen.h"
#include "keptreplays.h"
#include "recording.h"
#include "recordsfile.h"
#include "replayer.h"
#include "scores.h"
#include "settings.h"
#include "storage.h"
#include "unfinished.h"

namespace {

std::string contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void write(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Every file of a folder and what it holds.
std::map<std::string, std::string> snapshot(const std::string &folder) {
  std::map<std::string, std::string> files;
  if (DIR *dir = opendir(folder.c_str())) {
    while (const dirent *e = readdir(dir))
      if (e->d_name[0] != '.') files[e->d_name] = contents(folder + "/" + e->d_name);
    closedir(dir);
  }
  return files;
}

Recording storedReplay(const char *name) {
  Recording r;
  std::string error;
  EXPECT_TRUE(loadRecording(std::string(ZUNK_REPLAYS_DIR) + "/" + name, r, error)) << error;
  return r;
}

// A records file's checksum made right again after a change of its bytes.
void reseal(std::string &bytes) {
  const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(bytes.data()), static_cast<uInt>(bytes.size() - 4));
  for (int i = 0; i < 4; i++) bytes[bytes.size() - 4 + i] = static_cast<char>(crc >> (8 * i));
}

class Carried : public Game {
protected:
  std::string settingsFile;
  void SetUp() override {
    Game::SetUp();
    settingsFile = scratch.folder + "/config/zunk/settings.ini";
  }
  // Another copy of the game: the records' folder of another user.
  void becomeAnotherCopy(const std::string &name) {
    setenv("XDG_DATA_HOME", (scratch.folder + "/" + name).c_str(), 1);
    settingsFile = scratch.folder + "/" + name + "-config/zunk/settings.ini";
    shell.highScores = HighScores();
    KeepFailure failure;
    prepareRecords(shell.highScores, said, failure);
  }
  std::string records() { return recordsFolder(); }
  std::vector<int32_t> table() {
    int32_t t[10] = {};
    std::string message;
    readTable(t, message);
    return std::vector<int32_t>(t, t + 10);
  }
  CarryOutcome exportTo(const std::string &path) { return exportRecords(shell.highScores, settingsFile, path); }
  CarryOutcome importFrom(const std::string &path) { return importRecords(shell.highScores, settingsFile, path); }
  // A game that ended with `score`, kept as the game keeps it.
  void scoreGame(const Recording &game) { ASSERT_TRUE(keepEndedGame(shell.highScores, game, failed)); }
};

TEST_F(Carried, AFileIsReadBackAsWrittenAndRefusedWholeWhereverItIsDamaged) {
  CarriedRecords records;
  const int32_t scores[10] = {169, 38, 30, 27, 25, 20, 19, 18, 15, 10};
  for (int i = 0; i < 10; i++) records.rows[i].score = scores[i];
  records.rows[0] = TableRow{169, true, storedReplay("ended-every-bonus-169.zunkreplay")};
  records.rows[3] = TableRow{27, true, storedReplay("ended-27.zunkreplay")};
  records.unfinished.push_back(storedReplay("unfinished-2.zunkreplay"));
  records.settings = "[zunk]\nmusic=off\nsounds=on\n";
  const std::string bytes = encodeRecords(records);
  ASSERT_FALSE(bytes.empty());

  CarriedRecords back;
  Refusal why;
  std::string error;
  ASSERT_TRUE(decodeRecords(bytes, back, why, error)) << error;
  EXPECT_EQ(encodeRecords(back), bytes);
  EXPECT_TRUE(back.rows[0].hasGame && back.rows[3].hasGame && !back.rows[1].hasGame);
  EXPECT_EQ(back.rows[3].game.digest, records.rows[3].game.digest);
  ASSERT_EQ(back.unfinished.size(), 1u);
  EXPECT_EQ(back.settings, records.settings);

  // Any byte changed, anywhere: refused as damaged, with nothing taken.
  for (size_t at = 16; at < bytes.size(); at += 1 + bytes.size() / 97) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    EXPECT_FALSE(decodeRecords(damaged, back, why, error)) << "a byte changed at " << at;
    EXPECT_EQ(why, Refusal::kDamaged) << at << ": " << error;
  }
  // Cut short anywhere, or longer than it says.
  for (size_t length = 0; length < bytes.size(); length += 1 + length / 3) {
    EXPECT_FALSE(decodeRecords(bytes.substr(0, length), back, why, error)) << "cut at " << length;
    EXPECT_EQ(why, length == 0 ? Refusal::kNotRecords : Refusal::kDamaged) << length << ": " << error;
  }
  EXPECT_FALSE(decodeRecords(bytes + "x", back, why, error));
  EXPECT_EQ(why, Refusal::kDamaged);
  // Another kind of file, and a later version's.
  EXPECT_FALSE(decodeRecords(std::string("\x89PNG\r\n\x1a\n", 8) + bytes.substr(8), back, why, error));
  EXPECT_EQ(why, Refusal::kNotRecords);
  EXPECT_EQ(error, "not a Zunk records file");
  std::string later = bytes;
  later[8] = 2;
  reseal(later);
  EXPECT_FALSE(decodeRecords(later, back, why, error));
  EXPECT_EQ(why, Refusal::kLaterVersion) << error;

  // Sound checksums over what this program never writes: a row's replay of
  // another score, an unfinished game that has ended.
  CarriedRecords lying = records;
  lying.rows[1] = TableRow{38, true, storedReplay("ended-27.zunkreplay")};
  EXPECT_FALSE(decodeRecords(encodeRecords(lying), back, why, error));
  EXPECT_NE(error.find("row 2 is not the game of its score"), std::string::npos) << error;
  lying = records;
  lying.unfinished.push_back(storedReplay("ended-27.zunkreplay"));
  EXPECT_FALSE(decodeRecords(encodeRecords(lying), back, why, error));
  EXPECT_EQ(why, Refusal::kDamaged);

  // A part of a kind this version does not know (a later one's addition)
  // is passed over; the rest is read.
  std::string added = bytes;
  added.insert(bytes.size() - 4, std::string("NEWS\x03\0\0\0abc", 11));
  added[10] = static_cast<char>(added[10] + 1);
  added[12] = static_cast<char>(added[12] + 11);
  reseal(added);
  ASSERT_TRUE(decodeRecords(added, back, why, error)) << error;
  EXPECT_EQ(encodeRecords(back), bytes);
}

TEST_F(Carried, AnExportImportedElsewhereBringsTheScoresWithTheirReplaysAndImportedAgainNothing) {
  const Recording game27 = storedReplay("ended-27.zunkreplay"), game169 = storedReplay("ended-every-bonus-169.zunkreplay");
  scoreGame(game27);
  scoreGame(game169);
  const std::string file = scratch.folder + "/mine.zunkrecords";
  const CarryOutcome out = exportTo(file);
  ASSERT_TRUE(out.done) << out.message;
  EXPECT_NE(out.message.find("2 rows with their replays"), std::string::npos) << out.message;

  // Another copy with a game of its own; the rows both tables have had
  // from their start (30, 25, ...) are there once.
  becomeAnotherCopy("other");
  const Recording game38 = storedReplay("continued-38.zunkreplay");
  scoreGame(game38);
  const CarryOutcome in = importFrom(file);
  ASSERT_TRUE(in.done) << in.message;
  EXPECT_EQ(in.rowsEntered, 2);
  const std::vector<int32_t> merged{169, 38, 30, 27, 25, 20, 19, 18, 15, 10};
  EXPECT_EQ(table(), merged);
  EXPECT_EQ(std::vector<int32_t>(shell.highScores.topScores, shell.highScores.topScores + 10), merged);
  // Each score with its own game, which replays to it.
  for (int row : {0, 1, 3}) {
    const std::string path = replayOfRow(shell.highScores.topScores, row);
    ASSERT_FALSE(path.empty()) << "row " << row << " has no replay";
    Recording r;
    std::string error;
    ASSERT_TRUE(loadRecording(path, r, error)) << error;
    EXPECT_EQ(r.score, shell.highScores.topScores[row]);
    EXPECT_TRUE(Replay(std::move(r)).playToEnd()) << "row " << row;
  }
  EXPECT_TRUE(replayOfRow(shell.highScores.topScores, 2).empty());

  // The same file again, and the other copy's export taken back to the
  // first: nothing new either way but the other's own game.
  const auto before = snapshot(records());
  const CarryOutcome again = importFrom(file);
  ASSERT_TRUE(again.done) << again.message;
  EXPECT_TRUE(again.nothingNew()) << again.message;
  EXPECT_EQ(snapshot(records()), before);
  const std::string back = scratch.folder + "/other.zunkrecords";
  ASSERT_TRUE(exportTo(back).done);
  setenv("XDG_DATA_HOME", (scratch.folder + "/user").c_str(), 1);
  shell.highScores = HighScores();
  prepareRecords(shell.highScores, said, failed);
  const CarryOutcome home = importFrom(back);
  ASSERT_TRUE(home.done) << home.message;
  EXPECT_EQ(home.rowsEntered, 1) << home.message;
  EXPECT_EQ(table(), merged);
}

TEST_F(Carried, ARowKeptWithoutItsReplayTakesTheImportedOneAndARowPushedOutLosesItsReplayOnlyOnceKept) {
  const Recording game27 = storedReplay("ended-27.zunkreplay");
  scoreGame(game27);
  scoreGame(storedReplay("ended-every-bonus-169.zunkreplay"));
  const std::string file = scratch.folder + "/mine.zunkrecords";
  ASSERT_TRUE(exportTo(file).done);

  // Here: a 27 whose replay was lost, and a 26 at the bottom with its own.
  becomeAnotherCopy("other");
  for (int32_t score : {90, 80, 70, 60, 50, 40, 32, 27, 26}) {
    Recording r = game27;
    r.score = score;
    scoreGame(r);
  }
  ASSERT_EQ(table(), (std::vector<int32_t>{90, 80, 70, 60, 50, 40, 32, 30, 27, 26}));
  const std::string last = replayOfRow(shell.highScores.topScores, 9);
  ASSERT_FALSE(last.empty());
  ASSERT_TRUE(removeKeptFile(replayOfRow(shell.highScores.topScores, 8)));
  const CarryOutcome in = importFrom(file);
  ASSERT_TRUE(in.done) << in.message;
  EXPECT_EQ(in.rowsEntered, 1);
  EXPECT_EQ(in.replaysGiven, 1);
  EXPECT_EQ(table(), (std::vector<int32_t>{169, 90, 80, 70, 60, 50, 40, 32, 30, 27}));
  const std::string given = replayOfRow(shell.highScores.topScores, 9);
  ASSERT_FALSE(given.empty());
  EXPECT_EQ(contents(given), encodeRecording(game27));
  // The 26 pushed out has gone with its replay, now that the table without
  // it is kept.
  EXPECT_FALSE(fileThere(last));
}

TEST_F(Carried, ADamagedOrForeignFileChangesNothingAndSaysWhy) {
  scoreGame(storedReplay("ended-27.zunkreplay"));
  keepUnfinishedGame(shell.unfinished, storedReplay("unfinished-2.zunkreplay"), failed);
  releaseUnfinishedGame(shell.unfinished);
  const std::string file = scratch.folder + "/mine.zunkrecords";
  ASSERT_TRUE(exportTo(file).done);
  becomeAnotherCopy("other");
  scoreGame(storedReplay("continued-38.zunkreplay"));
  const auto before = snapshot(records());

  std::string bytes = contents(file);
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 1);
  write(file, bytes);
  CarryOutcome in = importFrom(file);
  EXPECT_FALSE(in.done);
  EXPECT_EQ(in.refused, Refusal::kDamaged);
  EXPECT_NE(in.message.find("not imported, nothing changed: damaged"), std::string::npos) << in.message;
  write(file, bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(importFrom(file).refused, Refusal::kDamaged);
  EXPECT_EQ(importFrom(std::string(ZUNK_REPLAYS_DIR) + "/ended-27.zunkreplay").refused, Refusal::kNotRecords);
  EXPECT_EQ(importFrom(scratch.folder).refused, Refusal::kUnreadable);
  EXPECT_EQ(importFrom(scratch.folder + "/none").refused, Refusal::kUnreadable);
  // Larger than a records file may be: refused before it is read.
  const std::string huge = scratch.folder + "/huge.zunkrecords";
  ASSERT_EQ(truncate((write(huge, ""), huge).c_str(), kMaxRecordsBytes + 1), 0);
  EXPECT_EQ(importFrom(huge).refused, Refusal::kTooLarge);
  EXPECT_EQ(snapshot(records()), before);
  EXPECT_FALSE(fileThere(settingsFile));
}

TEST_F(Carried, GamesLeftComeOnceAndTheSettingsOnlyWhereNoneAreKept) {
  ASSERT_TRUE(keepUnfinishedGame(shell.unfinished, storedReplay("unfinished-2.zunkreplay"), failed));
  releaseUnfinishedGame(shell.unfinished);
  std::string message;
  Cause cause;
  ASSERT_TRUE(keepSetting(settingsFile, [](Settings &s) { s.music = false; }, message, cause)) << message;
  const std::string file = scratch.folder + "/mine.zunkrecords";
  ASSERT_TRUE(exportTo(file).done);

  becomeAnotherCopy("other");
  CarryOutcome in = importFrom(file);
  ASSERT_TRUE(in.done) << in.message;
  EXPECT_EQ(in.unfinishedAdded, 1);
  EXPECT_TRUE(in.settingsTaken);
  EXPECT_FALSE(readSettings(settingsFile, message).music);
  // PLAY offers the game carried, which replays to where it was left.
  ASSERT_TRUE(unfinishedGameOnOffer(shell.unfinished, message)) << message;
  releaseUnfinishedGame(shell.unfinished);
  in = importFrom(file);
  EXPECT_TRUE(in.nothingNew()) << in.message;

  // Settings kept here stay as the player set them.
  becomeAnotherCopy("third");
  ASSERT_TRUE(keepSetting(settingsFile, [](Settings &s) { s.sounds = false; }, message, cause));
  const std::string mine = contents(settingsFile);
  in = importFrom(file);
  ASSERT_TRUE(in.done) << in.message;
  EXPECT_FALSE(in.settingsTaken);
  EXPECT_EQ(contents(settingsFile), mine);
}

} // namespace

// The high scores' EXPORT and IMPORT: a desktop writes and reads the file
// in the home folder, a file dropped on the window is imported there (and
// nowhere else), and each outcome is said under the table for a while.
class CarriedOnScreen : public Carried {
protected:
  std::string home, oldHome;
  void SetUp() override {
    Carried::SetUp();
    if (const char *h = std::getenv("HOME")) oldHome = h;
    home = scratch.folder + "/home";
    mkdir(home.c_str(), 0755);
    setenv("HOME", home.c_str(), 1);
    shell.switches.settingsFile = settingsFile;
    shell.screen = kScoresScreen;
    frame();
  }
  void TearDown() override {
    setenv("HOME", oldHome.c_str(), 1);
    Carried::TearDown();
  }
  void click(layout::Place at) {
    press(at.x + 10, at.y + 10);
    frame();
    release();
    frame();
  }
  // The word the screen says now, or kNone.
  CarryWord saidNow() {
    for (int i = 0; i < layout::kCarryWords; i++)
      if (!sheet.from(layout::carryWord(i).x1, layout::carryWord(i).y1).empty()) return static_cast<CarryWord>(i);
    return CarryWord::kNone;
  }
};

TEST_F(CarriedOnScreen, ExportAndImportSayWhatTheyDidAndADroppedFileIsImportedOnlyHere) {
  using namespace layout;
  EXPECT_EQ(sheet.from(kExportButton.x1, kExportButton.y1).size(), 1u);
  EXPECT_EQ(sheet.from(kImportButton.x1, kImportButton.y1).size(), 1u);
  EXPECT_EQ(saidNow(), CarryWord::kNone);
  scoreGame(storedReplay("ended-every-bonus-169.zunkreplay"));
  const std::string file = home + "/" + kRecordsFileName;
  click(kExportAt);
  EXPECT_EQ(saidNow(), CarryWord::kSavedHome);
  struct stat written;
  ASSERT_EQ(stat(file.c_str(), &written), 0);
  EXPECT_GT(written.st_size, 0);

  // Another copy of the game reads it from the same place.
  becomeAnotherCopy("other");
  click(kImportAt);
  EXPECT_EQ(saidNow(), CarryWord::kImported);
  EXPECT_EQ(shell.highScores.topScores[0], 169);
  EXPECT_EQ(table()[0], 169);
  click(kImportAt);
  EXPECT_EQ(saidNow(), CarryWord::kNothingNew);

  // A damaged file is refused, changing nothing; none there is said too.
  std::string bytes = contents(file);
  bytes[bytes.size() / 2] ^= 0x55;
  write(file, bytes);
  const auto before = snapshot(records());
  click(kImportAt);
  EXPECT_EQ(saidNow(), CarryWord::kDamaged);
  EXPECT_EQ(snapshot(records()), before);
  std::remove(file.c_str());
  click(kImportAt);
  EXPECT_EQ(saidNow(), CarryWord::kNoFileHome);

  // What is said goes after a few seconds.
  int shown = 0;
  while (saidNow() != CarryWord::kNone && shown++ < 1000) frame();
  EXPECT_GT(shown, 200);
  EXPECT_LT(shown, 1000);

  // A file dropped on the window: imported on the high scores alone.
  const std::string dropped = scratch.folder + "/dropped.zunkrecords";
  becomeAnotherCopy("first");
  scoreGame(storedReplay("continued-38.zunkreplay"));
  ASSERT_TRUE(exportTo(dropped).done);
  becomeAnotherCopy("third");
  shell.screen = kMenuScreen;
  frame();
  platform::fileGiven(dropped);
  EXPECT_TRUE(KMiscTools::takeGivenFile().empty()) << "a file dropped on the menu is taken";
  shell.screen = kScoresScreen;
  frame();
  platform::fileGiven(dropped);
  frames(2);
  EXPECT_EQ(saidNow(), CarryWord::kImported);
  EXPECT_EQ(table()[0], 38);
  struct stat kept;
  EXPECT_EQ(stat(dropped.c_str(), &kept), 0) << "the player's own file is left where it was";
}

TEST_F(CarriedOnScreen, TheKeysEAndIExportAndImportAsTheButtonsDo) {
  tap(K_VK_E);
  frame();
  EXPECT_EQ(saidNow(), CarryWord::kSavedHome);
  becomeAnotherCopy("other");
  tap(K_VK_I);
  frame();
  EXPECT_EQ(saidNow(), CarryWord::kNothingNew) << "the same first table, nothing new";
  EXPECT_EQ(shell.screen, kScoresScreen);
}

TEST_F(CarriedOnScreen, ARecordsFileDroppedOnTheWindowIsImportedAndAGameIsNot) {
  scoreGame(storedReplay("continued-38.zunkreplay"));
  const std::string file = scratch.folder + "/dropped.zunkrecords";
  ASSERT_TRUE(exportTo(file).done);
  becomeAnotherCopy("other");
  shell.screen = kMenuScreen;
  frame();
  shell.droppedFile = file;
  frames(2);
  EXPECT_EQ(shell.screen, kScoresScreen);
  EXPECT_EQ(saidNow(), CarryWord::kImported);
  EXPECT_EQ(table()[0], 38);
  // A replay dropped is a game received, not records: the table stays.
  const auto before = snapshot(records());
  shell.droppedFile = std::string(ZUNK_REPLAYS_DIR) + "/ended-27.zunkreplay";
  frame();
  EXPECT_NE(shell.screen, kScoresScreen);
  EXPECT_EQ(snapshot(records()), before);
}
