// What the player keeps is kept whatever happens: in the user's folder only,
// merged with what another copy of the game kept meanwhile, through links,
// never torn by a crash between two files, never replaced when it could not
// be read; and what could not be kept is told, on the screen too.

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "GameFixture.h"
#include "keepnotice.h"
#include "keptreplays.h"
#include "layout.h"
#include "recording.h"
#include "scores.h"
#include "settings.h"
#include "storage.h"
#include "switches.h"

namespace {

std::string contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void write(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }
std::set<std::string> names(const std::string &folder) {
  std::set<std::string> found;
  if (DIR *dir = opendir(folder.c_str())) {
    while (const dirent *e = readdir(dir))
      if (e->d_name[0] != '.') found.insert(e->d_name);
    closedir(dir);
  }
  return found;
}
std::string tableBytes(std::initializer_list<int32_t> scores) {
  std::string bytes;
  for (int32_t s : scores)
    for (int b = 0; b < 4; b++) bytes += static_cast<char>(static_cast<uint32_t>(s) >> (8 * b));
  bytes.resize(40, '\0');
  return bytes;
}
Recording ended(int32_t score) {
  Recording r;
  r.score = score;
  r.ended = true;
  r.frames.resize(10);
  r.randomAfter = randomPosition();
  return r;
}

class Records : public Game {
protected:
  std::string records, data;
  std::string savedHome;
  bool hadHome = false;
  void SetUp() override {
    Game::SetUp();
    records = scratch.records();
    data = scratch.folder + "/data";
    const char *home = getenv("HOME");
    hadHome = home != nullptr;
    savedHome = home ? home : "";
  }
  void TearDown() override {
    if (hadHome) setenv("HOME", savedHome.c_str(), 1);
    Game::TearDown();
  }
  // The table kept, as the game reads it.
  std::vector<int32_t> kept() {
    int32_t t[10] = {};
    std::string message;
    readTable(t, message);
    return std::vector<int32_t>(t, t + 10);
  }
  // The player's table, as the game finds it at its start.
  void startWith(const std::string &table) {
    write(records + "/thescores", table);
    ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  }
  bool keep(int32_t score) { return keepEndedGame(shell.highScores, ended(score), failed); }
};

TEST_F(Records, KeptInTheUserFolderAndAnEarlierVersionsTableInTheDataFolderIsCopiedOnce) {
  // Where an earlier version kept them: the data folder (a build tree's).
  const std::string mine = tableBytes({100, 99, 98, 97, 96, 95, 94, 93, 92, 91});
  write(data + "/thescores", mine);
  write(data + "/thescores.replays", "100 replay-7-100.zunkreplay\n-\n-\n-\n-\n-\n-\n-\n-\n-\n");
  write(data + "/replay-7-100.zunkreplay", "the game of 100");
  write(data + "/unfinished.zunkreplay", "a game left");
  write(data + "/replay-8-1.zunkreplay", "linked by no row");
  const std::set<std::string> before = names(data);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_NE(said.find("from now on"), std::string::npos) << said;
  EXPECT_EQ(contents(records + "/thescores"), mine);
  EXPECT_EQ(contents(records + "/replay-7-100.zunkreplay"), "the game of 100");
  EXPECT_EQ(contents(records + "/unfinished.zunkreplay"), "a game left");
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 0), records + "/replay-7-100.zunkreplay");
  EXPECT_EQ(shell.highScores.topScores[0], 100);
  EXPECT_FALSE(fileThere(records + "/replay-8-1.zunkreplay"));
  // The data folder is left as it was, and a score goes to the user's.
  EXPECT_TRUE(keep(150));
  EXPECT_EQ(names(data), before);
  EXPECT_EQ(contents(data + "/thescores"), mine);
  EXPECT_EQ(kept()[0], 150);
  // Once the user's folder has a table, the data folder's is not read again.
  write(data + "/thescores", tableBytes({7}));
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_EQ(said, "");
  EXPECT_EQ(shell.highScores.topScores[0], 150);
}

TEST_F(Records, WithoutAUserFolderNothingIsKeptAndTheCauseIsSaid) {
  auto noFolder = [&](const std::string &cause) {
    EXPECT_FALSE(prepareRecords(shell.highScores, said, failed));
    EXPECT_TRUE(failed.failed);
    EXPECT_EQ(failed.what, Unkept::kNothing);
    EXPECT_EQ(failed.cause, Cause::kNoUserFolder);
    EXPECT_NE(failed.message.find(cause), std::string::npos) << failed.message;
    EXPECT_FALSE(keep(50));
    EXPECT_EQ(failed.cause, Cause::kNoUserFolder);
    // The game plays on: the score is in its table all the same.
    EXPECT_EQ(shell.highScores.topScores[0], 50);
    EXPECT_TRUE(names(data).empty()) << "written into the data folder";
  };
  unsetenv("XDG_DATA_HOME");
  unsetenv("HOME");
  noFolder("HOME is not set");
  setenv("HOME", "home", 1);
  noFolder("HOME is not an absolute path (home)");
  // XDG_DATA_HOME a file: the cause is the folder that cannot be made.
  write(scratch.folder + "/afile", "");
  setenv("XDG_DATA_HOME", (scratch.folder + "/afile").c_str(), 1);
  noFolder(scratch.folder + "/afile/zunk: Not a directory");
  // A path of 600 characters is a folder like any other, whole.
  std::string longPath = scratch.folder;
  while (longPath.size() < 600) longPath += "/abcdefghijklmnopqrstuvwxyz";
  longPath.resize(600);
  setenv("XDG_DATA_HOME", longPath.c_str(), 1);
  EXPECT_EQ(recordsFolder(), longPath + "/zunk");
  std::memcpy(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_TRUE(keep(77));
  EXPECT_EQ(contents(longPath + "/zunk/thescores").size(), 40u);
  EXPECT_EQ(kept()[0], 77);
}

TEST_F(Records, AnotherCopysScoresAndReplaysStayAndACopyThatNeverScoredWritesNothing) {
  startWith(tableBytes({}));
  // Another copy of the game, on the same folder, keeps 8 with its replay
  // after this one read the table.
  write(records + "/thescores", tableBytes({8}));
  write(records + "/replay-100-8.zunkreplay", "the other copy's game");
  write(records + "/thescores.replays", "8 replay-100-8.zunkreplay\n0 -\n");
  // This one keeps 4: merged, both scores, both replays.
  ASSERT_TRUE(keep(4)) << failed.message;
  EXPECT_EQ(kept(), (std::vector<int32_t>{8, 4, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(shell.highScores.topScores[0], 8);
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 0), records + "/replay-100-8.zunkreplay");
  Recording r;
  std::string error;
  ASSERT_TRUE(loadRecording(replayOfRow(shell.highScores.topScores, 1), r, error)) << error;
  EXPECT_EQ(r.score, 4);
  // The other copy keeps 6 meanwhile; this one ends without a game to keep:
  // its end writes nothing (it would write its stale table).
  write(records + "/thescores", tableBytes({8, 6, 4}));
  ASSERT_TRUE(keepPendingGames(shell.highScores, failed));
  EXPECT_EQ(contents(records + "/thescores"), tableBytes({8, 6, 4}));
  // A game that does not beat the kept table writes nothing either.
  ASSERT_TRUE(keep(0));
  EXPECT_EQ(contents(records + "/thescores"), tableBytes({8, 6, 4}));
  EXPECT_EQ(shell.highScores.topScores[1], 6);
}

TEST_F(Records, AListAChangeAheadOfItsTableStillLinksEveryRowAndOnlyUnlinkedReplaysGo) {
  // Ten games, each in its row with its replay.
  startWith(tableBytes({}));
  for (int32_t s : {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}) ASSERT_TRUE(keep(s));
  const std::string tableBefore = contents(records + "/thescores");
  const std::vector<std::string> rowsBefore = keptReplayPaths(shell.highScores.topScores, said);
  for (const std::string &p : rowsBefore) ASSERT_FALSE(p.empty());
  // The next game's replay and list are written, and the program dies
  // before its table: the folder as it was in between (the replay pushed
  // out still there, the table as before).
  ASSERT_TRUE(keep(95));
  write(rowsBefore[9], "the 10th row's game");
  write(records + "/thescores", tableBefore);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  // Every row of the table kept still has its own replay; the new game's,
  // whose score is not in it, is gone at the start, and nothing else.
  EXPECT_EQ(keptReplayPaths(shell.highScores.topScores, said), rowsBefore);
  EXPECT_EQ(names(records).size(), 10u + 3u) << "ten replays, the table, its list and the lock";
  // The other way round: the table written, the list not (here an earlier
  // program's list, one line a row, "-" for none): the rows it has link.
  ASSERT_TRUE(keep(95));
  write(records + "/thescores.replays", "10 " + rowsBefore[0].substr(records.size() + 1) + "\n-\n");
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_EQ(shell.highScores.topScores[0], 95);
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 0), "");
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 1), rowsBefore[0]);
}

TEST_F(Records, WhatCrashedSavesLeftIsRemovedAndNothingElse) {
  const std::string victim = scratch.folder + "/victim";
  write(victim, "someone else's");
  const std::set<std::string> ours = {"thescores.tmpAb12Cd", "thescores.tmp", "replay-1-2.zunkreplay.tmp0a1B2c",
                                      "thescores.replays.tmpzzzzzz", "unfinished-2.zunkreplay.tmp123456",
                                      "replay-9-9.zunkreplay"};
  const std::set<std::string> others = {"notes.txt.tmpABCDEF", "thescores.tmpABCDEFG", "thescores.tmp-xyz12",
                                        "replay-notes.txt", "unfinished.zunkreplay", "thescores.tmpLINK01",
                                        "thescores.tmpDIR001"};
  for (const std::string &n : ours) write(records + "/" + n, "x");
  for (const std::string &n : others)
    if (n == "thescores.tmpLINK01") ASSERT_EQ(symlink(victim.c_str(), (records + "/" + n).c_str()), 0);
    else if (n == "thescores.tmpDIR001") ASSERT_EQ(mkdir((records + "/" + n).c_str(), 0755), 0);
    else write(records + "/" + n, "x");
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  std::set<std::string> left = names(records);
  for (const std::string &n : ours) EXPECT_EQ(left.count(n), 0u) << n;
  for (const std::string &n : others) EXPECT_EQ(left.count(n), 1u) << n;
  EXPECT_EQ(contents(victim), "someone else's");
}

TEST_F(Records, LinksAreFollowedAndATableThatCannotBeReadIsReplacedOnlyForAScore) {
  const std::string synced = scratch.folder + "/synced";
  mkdir(synced.c_str(), 0755);
  // A link that works: the table where it leads, the link kept.
  write(synced + "/thescores", tableBytes({}));
  ASSERT_EQ(symlink((synced + "/thescores").c_str(), (records + "/thescores").c_str()), 0);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  ASSERT_TRUE(keep(12));
  struct stat st;
  ASSERT_EQ(lstat((records + "/thescores").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(contents(synced + "/thescores"), tableBytes({12}));
  // It leads to nothing: not read, not replaced at the start or the end...
  std::remove((synced + "/thescores").c_str());
  std::memcpy(shell.highScores.topScores, topScoresOld, sizeof shell.highScores.topScores);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_NE(said.find("(a link to " + synced + "/thescores): No such file or directory"), std::string::npos) << said;
  EXPECT_TRUE(keepPendingGames(shell.highScores, failed));
  EXPECT_FALSE(fileThere(synced + "/thescores"));
  // ...until the player scores: a new table there, and where it was said.
  ASSERT_TRUE(keep(40));
  EXPECT_NE(failed.note.find("a new table is started at " + synced + "/thescores"), std::string::npos) << failed.note;
  EXPECT_EQ(kept()[0], 40);
  ASSERT_EQ(lstat((records + "/thescores").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // A link into a drive not mounted: the score is not kept, the link stays,
  // and it is kept once the drive is back.
  std::remove((records + "/thescores").c_str());
  const std::string drive = scratch.folder + "/drive";
  ASSERT_EQ(symlink((drive + "/thescores").c_str(), (records + "/thescores").c_str()), 0);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_FALSE(keep(41));
  EXPECT_EQ(failed.what, Unkept::kScores);
  EXPECT_EQ(failed.cause, Cause::kOther);
  EXPECT_FALSE(keepPendingGames(shell.highScores, failed));
  mkdir(drive.c_str(), 0755);
  write(drive + "/thescores", tableBytes({900, 800}));
  EXPECT_TRUE(keepPendingGames(shell.highScores, failed));
  EXPECT_EQ(contents(drive + "/thescores"), tableBytes({900, 800, 41}));
  // A folder where the table goes: left alone until a score, then set aside.
  std::remove((records + "/thescores").c_str());
  mkdir((records + "/thescores").c_str(), 0755);
  ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_TRUE(keepPendingGames(shell.highScores, failed));
  ASSERT_EQ(stat((records + "/thescores").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  ASSERT_TRUE(keep(42)) << failed.message;
  EXPECT_NE(failed.note.find("it is kept as " + records + "/thescores.unread-"), std::string::npos) << failed.note;
  EXPECT_EQ(contents(records + "/thescores").size(), 40u);
}

TEST_F(Records, AReadOnlyTableIsLeftAsItIsAndTheResetIsKeptBeforeItsReplaysGo) {
  startWith(tableBytes({}));
  ASSERT_TRUE(keep(20));
  ASSERT_TRUE(keep(10));
  const std::string table = contents(records + "/thescores");
  const std::vector<std::string> replays = keptReplayPaths(shell.highScores.topScores, said);
  chmod((records + "/thescores").c_str(), 0444);
  // A score: not kept, said to be read-only; the file as it was.
  EXPECT_FALSE(keep(30));
  EXPECT_EQ(failed.what, Unkept::kScores);
  EXPECT_EQ(failed.cause, Cause::kReadOnly);
  EXPECT_EQ(contents(records + "/thescores"), table);
  // The reset: not kept, so nothing changes, the replays included.
  const std::vector<int32_t> shown(shell.highScores.topScores, shell.highScores.topScores + 10);
  EXPECT_FALSE(resetTable(shell.highScores, failed));
  EXPECT_EQ(failed.cause, Cause::kReadOnly);
  EXPECT_EQ(std::vector<int32_t>(shell.highScores.topScores, shell.highScores.topScores + 10), shown);
  for (int row : {0, 1}) EXPECT_TRUE(fileThere(replays[row])) << row;
  // Writable again: the defaults kept, then the replays gone.
  chmod((records + "/thescores").c_str(), 0644);
  ASSERT_TRUE(resetTable(shell.highScores, failed));
  EXPECT_EQ(kept(), std::vector<int32_t>(topScoresOld, topScoresOld + 10));
  for (int row : {0, 1}) EXPECT_FALSE(fileThere(replays[row])) << row;
  EXPECT_FALSE(fileThere(records + "/thescores.replays"));
}

TEST(Saving, TemporaryFilesOfTheirOwnGoneOnFailureAndTheFileKeepsItsMode) {
  char tmpl[] = "/tmp/zunksaveXXXXXX";
  const std::string folder = mkdtemp(tmpl);
  std::string error;
  Cause cause = Cause::kNone;
  // A folder in the file's place (with a file in it): the rename fails, the
  // temporary file goes.
  mkdir((folder + "/f").c_str(), 0755);
  write(folder + "/f/inside", "x");
  EXPECT_FALSE(replaceFile(folder + "/f", "new", error, &cause));
  EXPECT_EQ(cause, Cause::kOther);
  EXPECT_EQ(names(folder), std::set<std::string>{"f"});
  // A file the player keeps private stays private.
  write(folder + "/g", "old");
  chmod((folder + "/g").c_str(), 0600);
  ASSERT_TRUE(replaceFile(folder + "/g", "new", error, &cause)) << error;
  struct stat st;
  ASSERT_EQ(stat((folder + "/g").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(contents(folder + "/g"), "new");
  // Links in a loop are refused.
  ASSERT_EQ(symlink((folder + "/l2").c_str(), (folder + "/l1").c_str()), 0);
  ASSERT_EQ(symlink((folder + "/l1").c_str(), (folder + "/l2").c_str()), 0);
  EXPECT_FALSE(replaceFile(folder + "/l1", "x", error, &cause));
  EXPECT_EQ(followLinks(folder + "/l1"), "");
  // The causes the player is told.
  EXPECT_EQ(causeOf(ENOSPC), Cause::kDiskFull);
  EXPECT_EQ(causeOf(EDQUOT), Cause::kDiskFull);
  EXPECT_EQ(causeOf(EROFS), Cause::kReadOnly);
  EXPECT_EQ(causeOf(EACCES), Cause::kReadOnly);
  EXPECT_EQ(causeOf(EIO), Cause::kOther);
  EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
}

TEST(Saving, ATransactionWaitsForAnotherProgramsLock) {
  char tmpl[] = "/tmp/zunklockXXXXXX";
  const std::string folder = mkdtemp(tmpl);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t other = fork();
  if (other == 0) {
    // Another program: holds the lock while it changes the file slowly.
    const int fd = open((folder + "/" + kLockFileName).c_str(), O_RDWR | O_CREAT, 0644);
    flock(fd, LOCK_EX);
    if (::write(ready[1], "x", 1) != 1) _exit(1);
    usleep(300000);
    std::ofstream(folder + "/count") << "1";
    _exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  std::string error;
  Cause cause;
  std::string seen;
  // Under the lock, the other program's change is always seen whole.
  ASSERT_TRUE(changeKeptFiles(
      folder,
      [&](std::string &, Cause &) {
        seen = contents(folder + "/count");
        return true;
      },
      error, cause))
      << error;
  EXPECT_EQ(seen, "1");
  int status = 0;
  waitpid(other, &status, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
}

TEST_F(Records, ASettingKeepsWhatAnotherCopyKeptAndAFirstStartSaysNothing) {
  const std::string file = scratch.folder + "/config/zunk/settings.ini";
  // No file yet: the defaults, and no word of it.
  shell.switches.playerSettings = readSettings(file, said);
  EXPECT_EQ(said, "");
  shell.switches.settingsFile = file;
  switchSounds(shell.switches, false, true, failed); // S: the sound effects off
  EXPECT_EQ(contents(file), "[zunk]\nmusic=on\nsounds=off\nfullscreen=off\nscale=0\n");
  // Another copy switched the music off meanwhile: it stays off.
  write(file, "[zunk]\nmusic=off\nsounds=off\n");
  switchSounds(shell.switches, false, true, failed);
  EXPECT_EQ(contents(file), "[zunk]\nmusic=off\nsounds=on\nfullscreen=off\nscale=0\n");
  Unkept what;
  Cause cause;
  EXPECT_FALSE(keepNoticeShown(shell.notice, what, cause));
  // A setting that cannot be kept: the switch works, and says so; switched
  // by its key, the notice says so.
  chmod(file.c_str(), 0444);
  switchSounds(shell.switches, true, false, failed);
  EXPECT_FALSE(shell.switches.playerSettings.music);
  EXPECT_TRUE(failed.failed);
  EXPECT_EQ(failed.what, Unkept::kSetting);
  EXPECT_FALSE(keepNoticeShown(shell.notice, what, cause));
  tap(K_VK_M);
  EXPECT_TRUE(shell.switches.playerSettings.music);
  ASSERT_TRUE(keepNoticeShown(shell.notice, what, cause));
  EXPECT_EQ(what, Unkept::kSetting);
  EXPECT_EQ(cause, Cause::kReadOnly);
  shell.switches.settingsFile.clear();
  // What a crashed save left beside the file goes at the start; nothing else.
  const std::string folder = file.substr(0, file.find_last_of('/'));
  write(folder + "/settings.ini.tmpAb12Cd", "torn");
  write(folder + "/other.ini.tmpAb12Cd", "someone else's");
  removeSettingsLeftovers(file);
  EXPECT_FALSE(fileThere(folder + "/settings.ini.tmpAb12Cd"));
  EXPECT_TRUE(fileThere(folder + "/other.ini.tmpAb12Cd"));
}

TEST_F(Records, TheNoticeSaysWhatAndWhyForAFewSecondsClearOfThePlay) {
  using namespace layout;
  KeepFailure f;
  f.set(Unkept::kReplay, Cause::kDiskFull, "the game's replay could not be saved: No space left on device");
  testing::internal::CaptureStderr();
  tellFailure(shell.notice, f);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("zunk: the game's replay could not be saved"), std::string::npos);
  shell.screen = kPlayScreen;
  frame();
  // Over the play, on the top frame: the strip, what, then why, meeting at
  // the join; above the wall.
  const auto what = sheet.from(unkeptWhat(1).x1, unkeptWhat(1).y1);
  const auto why = sheet.from(unkeptWhy(0).x1, unkeptWhy(0).y1);
  ASSERT_EQ(what.size(), 1u);
  ASSERT_EQ(why.size(), 1u);
  EXPECT_EQ(what[0].destX + unkeptWhat(1).w(), kKeepNoticeJoin);
  EXPECT_EQ(why[0].destX, kKeepNoticeJoin + kKeepNoticeGap);
  EXPECT_LT(what[0].destY + kUnkeptRowHeight, kWallWell.y1);
  EXPECT_GE(what[0].destY, kKeepNoticePlayY);
  // Gone after four seconds of frames.
  for (int i = 1; i < kKeepNoticeFrames; i++) frame();
  EXPECT_EQ(sheet.from(unkeptWhat(1).x1, unkeptWhat(1).y1).size(), 1u);
  frame();
  EXPECT_EQ(sheet.from(unkeptWhat(1).x1, unkeptWhat(1).y1).size(), 0u);
  // Over the menu, below the switches.
  showKeepNotice(shell.notice, Unkept::kNothing, Cause::kNoUserFolder);
  shell.screen = kMenuScreen;
  frame();
  const auto nothing = sheet.from(unkeptWhat(4).x1, unkeptWhat(4).y1);
  ASSERT_EQ(nothing.size(), 1u);
  EXPECT_GE(nothing[0].destY, kMusicIconAt.y + kMusicOn.h());
}

} // namespace
