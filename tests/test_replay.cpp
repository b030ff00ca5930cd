// Recording and replaying games: a recorded game played again is the same
// game on every frame, from a file, after the program's random numbers have
// moved on; files that are not whole recordings are refused.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "GameFixture.h"
#include "keptreplays.h"
#include "layout.h"
#include "play.h"
#include "sentgame.h"
#include "recording.h"
#include "replayer.h"
#include "unfinished.h"
#include "resume.h"
#include "switches.h"
#include "watch.h"

namespace {
using layout::kBallRest;

// Replays made by the program as it was when they were recorded, kept as
// players keep them: named after the score they ended with.
std::vector<std::string> storedReplays() {
  std::vector<std::string> files;
  DIR *dir = opendir(ZUNK_REPLAYS_DIR);
  while (dirent *e = dir ? readdir(dir) : nullptr)
    if (std::string(e->d_name).find(".zunkreplay") != std::string::npos) files.push_back(ZUNK_REPLAYS_DIR "/" + std::string(e->d_name));
  if (dir) closedir(dir);
  std::sort(files.begin(), files.end());
  return files;
}
std::string fileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}


class Replays : public Game {
protected:
  // A throw by mouse: press on the resting ball, pull down and across, let go.
  void mouseThrow(int pullX, int pullY) {
    press(kBallRest.x + 15, kBallRest.y + 17);
    frame();
    press(kBallRest.x + 15 + pullX, kBallRest.y + 17 + pullY);
    frames(4);
    release();
    frames(50);
  }
  // A game with mouse and keyboard throws and a pause, played to GAME OVER
  // by throws aimed a little differently each time.
  void playScriptedGame() {
    startAgain();
    frame();                 // the menu sets the game up
    shell.screen = kPlayScreen; // PLAY
    const int pulls[][2] = {{0, 0}, {8, 0}, {-16, 2}};
    for (const auto &p : pulls) mouseThrow(p[0], p[1]);
    // A tap of Space throws from rest; Down with Space held pulls.
    tap(K_VK_SPACE);
    frames(60);
    key(K_VK_SPACE, true);
    key(K_VK_DOWN, true);
    frames(3);
    key(K_VK_DOWN, false);
    key(K_VK_SPACE, false);
    frames(60);
    // A pause in mid-game.
    tap(K_VK_P);
    frames(40);
    tap(K_VK_P);
    aimedThrows(80 * 600, 90);
    release();
    frames(20);
  }
  // Plays `r` again in a game of its own; `each` sees that game after every
  // frame, with the frame's index. Whether it came back to the recorded
  // state; the game's last state in `end`, when given.
  static bool replayed(const Recording &r, const std::function<void(size_t, const Play &)> &each = nullptr,
                       std::string *end = nullptr) {
    Replay replay(r);
    while (replay.step())
      if (each) each(replay.framesPlayed() - 1, replay.game());
    if (end) *end = describePlay(replay.game());
    return replay.same();
  }
  // Throws from rest, each pulled a little differently, for `count` frames
  // or until GAME OVER; `each` is called after every frame.
  void aimedThrows(int count, int spreadY, const std::function<void()> &each = nullptr) {
    for (int f = 0, phase = 0; f < count && !game().gameover; f++) {
      if (!game().launched) {
        if (phase == 0) press(150, 325);
        else if (phase < 4) press(140 + (f * 7) % 60, 330 + (f * 13) % spreadY);
        else release();
        phase = (phase + 1) % 6;
      }
      frame();
      if (each) each();
    }
  }
};

TEST_F(Replays, ARecordedGameReplaysFromItsFileFrameForFrame) {
  // The play's state after each frame of the game as it is played...
  std::vector<std::string> played;
  afterEachFrame = [&] {
    if (shell.screen == kPlayScreen) played.push_back(playState());
  };
  playScriptedGame();
  afterEachFrame = nullptr;
  ASSERT_TRUE(game().gameover) << "the scripted game did not end";
  const Recording recorded = shell.live.recording();
  EXPECT_TRUE(recorded.ended);
  EXPECT_EQ(recorded.score, game().gScore);
  EXPECT_GT(recorded.score, 10) << "the scripted throws broke little";
  EXPECT_FALSE(recorded.draws.empty());
  const std::string end = playState();

  // ...and as it is replayed: the same on every frame.
  ASSERT_EQ(played.size(), recorded.frames.size());
  size_t differ = 0;
  std::string replayedEnd;
  ASSERT_TRUE(replayed(
      recorded,
      [&](size_t i, const Play &g) {
        const std::string a = describePlay(g), &b = played[i];
        if (a != b && differ++ < 3) {
          size_t at = 0;
          while (at < a.size() && a[at] == b[at]) at++;
          ADD_FAILURE() << i << " at " << at << "\n" << a.substr(at > 40 ? at - 40 : 0, 200) << "\n" << b.substr(at > 40 ? at - 40 : 0, 200);
        }
      },
      &replayedEnd));
  EXPECT_EQ(differ, 0u);
  EXPECT_EQ(replayedEnd, end);

  // From a file, after the program's random numbers have moved on (another
  // program's start): the same state on every frame.
  const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/zunk-test.replay";
  std::string error;
  ASSERT_TRUE(saveRecording(path, recorded, error)) << error;
  Recording loaded;
  ASSERT_TRUE(loadRecording(path, loaded, error)) << error;
  std::remove(path.c_str());
  startAgain();
  std::srand(12345);
  EXPECT_TRUE(replayed(loaded, [&](size_t i, const Play &g) { differ += describePlay(g) != played[i]; }, &replayedEnd));
  EXPECT_EQ(differ, 0u);
  EXPECT_EQ(replayedEnd, end);
}

TEST_F(Replays, RecordingChangesNothingInThePlay) {
  // The game as it plays is the same with the recording's draws as with
  // rand() itself: the recording holds exactly rand()'s numbers, in order.
  playScriptedGame();
  const Recording recorded = shell.live.recording();
  // The menu draws numbers of its own between them: the game's are found in
  // rand()'s sequence from srand(1), in order.
  std::vector<uint32_t> sequence;
  std::srand(1);
  for (int i = 0; i < 200000; i++) sequence.push_back(static_cast<uint32_t>(std::rand()));
  size_t at = 0;
  for (uint32_t d : recorded.draws) {
    while (at < sequence.size() && sequence[at] != d) at++;
    ASSERT_LT(at, sequence.size()) << "a draw that rand() did not give";
    at++;
  }
}

TEST_F(Replays, AGameThatIsNotTheRecordedOneIsFound) {
  playScriptedGame();
  const Recording recorded = shell.live.recording();
  // The same numbers in another order: another wall, another end.
  Recording changed = recorded;
  std::reverse(changed.draws.begin(), changed.draws.end());
  EXPECT_FALSE(replayed(changed));
  // Fewer random numbers than the game draws.
  Recording cut = recorded;
  cut.draws.resize(cut.draws.size() / 2);
  EXPECT_FALSE(replayed(cut));
  // The whole recording still replays.
  EXPECT_TRUE(replayed(recorded));
}

// The same, with the table and the replays in a scratch data folder.
class KeptReplays : public Replays {
protected:
  std::string folder, records;
  void SetUp() override {
    Replays::SetUp();
    folder = scratch.folder;
    records = scratch.records();
  }
  void TearDown() override {
    Replays::TearDown();
  }
  int files() {
    int n = 0;
    DIR *dir = opendir(records.c_str());
    while (dirent *e = readdir(dir)) n += std::string(e->d_name).find(".zunkreplay") != std::string::npos;
    closedir(dir);
    return n;
  }
  // A small recording that ended with `score`.
  static Recording recordingOf(int32_t score) {
    Recording r;
    r.score = score;
    r.ended = true;
    r.frames.resize(10);
    r.randomAfter = randomPosition();
    return r;
  }
  // Enters `score` into the table as the game does, and keeps its replay.
  void enter(int32_t score) { EXPECT_TRUE(keepEndedGame(shell.highScores, recordingOf(score), failed)) << failed.message; }
  // `table` as the player's kept table, read as the game starts.
  void keepTable(const int32_t table[10]) {
    std::string error;
    Cause cause;
    ASSERT_TRUE(writeTable(table, error, cause)) << error;
    ASSERT_TRUE(prepareRecords(shell.highScores, said, failed));
  }
  int32_t scoreOfRow(int row) {
    Recording r;
    std::string error;
    return loadRecording(replayOfRow(shell.highScores.topScores, row), r, error) ? r.score : -1;
  }
};

TEST_F(KeptReplays, ATopTenGameKeepsItsReplayAndItReplaysToTheTablesScore) {
  // A table the scripted game's score enters.
  const int32_t table[10] = {900, 800, 700, 600, 500, 8, 6, 4, 2, 0};
  keepTable(table);
  playScriptedGame();
  ASSERT_TRUE(game().gameover);
  // The game entered the table: its row has a replay, which replays, from
  // the file, to the score the table holds.
  int row = 0;
  while (row < 10 && !(game().gScore > table[row])) row++;
  ASSERT_LT(row, 10) << "the scripted game did not enter the table";
  ASSERT_EQ(shell.highScores.topScores[row], game().gScore);
  const std::string path = replayOfRow(shell.highScores.topScores, row);
  ASSERT_FALSE(path.empty());
  Recording kept;
  std::string error;
  ASSERT_TRUE(loadRecording(path, kept, error)) << error;
  EXPECT_EQ(kept.score, shell.highScores.topScores[row]);
  EXPECT_TRUE(kept.ended);
  startAgain();
  std::srand(777);
  Replay replay(kept);
  EXPECT_TRUE(replay.playToEnd());
  EXPECT_EQ(replay.game().gScore, kept.score);
  EXPECT_EQ(checkReplay(path.c_str()), 0);
}

TEST_F(KeptReplays, SendFromAKeptRowByTheKeysWritesAGameThatVerifiesAndSaysWhere) {
  const int32_t table[10] = {900, 800, 700, 600, 500, 8, 6, 4, 2, 0};
  keepTable(table);
  playScriptedGame();
  const int32_t score = game().gScore;
  release();
  shell.screen = kScoresScreen;
  shell.menu.lockMenu = false;
  frame();
  // Down: the focus on the kept row; Right: on its SEND; Return sends.
  tap(K_VK_DOWN);
  tap(K_VK_RIGHT);
  ASSERT_TRUE(shell.scores.onSend);
  tap(K_VK_RETURN);
  ASSERT_TRUE(shell.sent.shown);
  EXPECT_TRUE(shell.sent.written);
  EXPECT_FALSE(shell.sent.linked); // no page address, no share_url=: the file alone
  const std::string path = records + "/zunk-" + std::to_string(score) + ".zunkreplay";
  const Received received = receiveFile(path);
  ASSERT_EQ(received.verdict, Verdict::kVerified) << received.reason;
  EXPECT_EQ(received.game.score, score);
  // The panel says where, in the sheet's glyphs, over the screen; a key
  // closes it and does nothing else.
  EXPECT_NE(shell.sent.path.find("zunk-" + std::to_string(score)), std::string::npos);
  EXPECT_FALSE(sheet.from(layout::glyph('z').x1, layout::glyph('z').y1).empty());
  tap(K_VK_ESCAPE);
  EXPECT_FALSE(shell.sent.shown);
  EXPECT_EQ(shell.screen, kScoresScreen);
}

TEST_F(KeptReplays, AClickOnAKeptRowWatchesTheGameUnderTheReplayMark) {
  const int32_t table[10] = {900, 800, 700, 600, 500, 8, 6, 4, 2, 0};
  keepTable(table);
  playScriptedGame();
  const int32_t score = game().gScore;
  int row = 0;
  while (row < 10 && !(score > table[row])) row++;
  ASSERT_LT(row, 9) << "the game must enter a row the screen shows";
  release();
  // The high scores: the kept row has its arrow, the others none.
  shell.screen = kScoresScreen;
  frame();
  EXPECT_EQ(sheet.from(layout::kFocusArrow.x1, layout::kFocusArrow.y1).size(), 1u);
  // A click on a row without a game does nothing.
  press(150, layout::kScoreRowsY + layout::kScoreRowStep * (row == 0 ? 1 : 0) + 5);
  frame();
  EXPECT_FALSE(watching(shell.watching));
  release();
  frame();
  // A click on the kept row: the game plays again, under the mark.
  press(150, layout::kScoreRowsY + layout::kScoreRowStep * row + 5);
  frame();
  ASSERT_TRUE(watching(shell.watching));
  EXPECT_EQ(shell.screen, kWatchScreen);
  frame();
  EXPECT_EQ(sheet.from(layout::kReplayMark.x1, layout::kReplayMark.y1).size(), 1u);
  // Holding the button that chose it stops nothing; the game plays to its
  // end, stays a moment, and the scores come back.
  int shown = 0;
  while (watching(shell.watching) && shown++ < 100000) frame();
  EXPECT_EQ(shell.screen, kScoresScreen);
  EXPECT_EQ(game().gScore, score);
  EXPECT_TRUE(game().gameover);
  EXPECT_GT(shown, kReplayEndFrames);
  // Escape stops it at once.
  release();
  frame();
  press(150, layout::kScoreRowsY + layout::kScoreRowStep * row + 5);
  frame();
  release();
  frames(30);
  ASSERT_TRUE(watching(shell.watching));
  tap(K_VK_ESCAPE);
  EXPECT_FALSE(watching(shell.watching));
  EXPECT_EQ(shell.screen, kScoresScreen);
}

// ------------------------------------------------------------------ continuing

class Continue : public KeptReplays {
protected:
  // The first part of a game: throws, a pause, the feeder running.
  void firstPart() {
    startAgain();
    frame();
    shell.screen = kPlayScreen;
    mouseThrow(0, 0);
    mouseThrow(8, 0);
    tap(K_VK_P);
    frames(20);
    tap(K_VK_P);
    frames(200);
  }
  // What follows it, the same whether the game was left between or not.
  void secondPart(std::vector<std::string> &states) {
    aimedThrows(2400, 10, [&] { states.push_back(playState()); });
  }
  // PLAY on the menu, held until the screen changes.
  void choosePlay() {
    toOpenMenu();
    press(100, 150);
    for (int i = 0; i < 200 && shell.screen == kMenuScreen; i++) frame();
    release();
  }
};

TEST_F(Continue, AGameLeftAndContinuedIsTheGameNeverLeft) {
  // Never left.
  firstPart();
  const std::string atLeaving = playState();
  std::vector<std::string> neverLeft;
  secondPart(neverLeft);
  ASSERT_GT(neverLeft.size(), 200u);

  // Left there (the window closed), then, in a program started afresh, PLAY
  // offers to continue it; Return continues, paused where it was left.
  firstPart();
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  startAgain();
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  tap(K_VK_RETURN);
  ASSERT_EQ(shell.screen, kPlayScreen);
  EXPECT_TRUE(game().paused);
  EXPECT_EQ(playState(), atLeaving);
  // P plays on: from there, the same game frame for frame, random draws
  // included.
  key(K_VK_P, true);
  frame();
  key(K_VK_P, false);
  std::vector<std::string> continued;
  secondPart(continued);
  ASSERT_EQ(continued.size(), neverLeft.size());
  size_t differ = 0;
  for (size_t i = 0; i < continued.size(); i++) differ += continued[i] != neverLeft[i];
  EXPECT_EQ(differ, 0u);
  // Left again, it is kept again, the whole game in one recording.
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  Recording kept;
  std::string error;
  ASSERT_TRUE(loadRecording(records + "/unfinished.zunkreplay", kept, error)) << error;
  startAgain();
  EXPECT_TRUE(replayed(kept));
}

TEST_F(Continue, NewGameEscapeAndGamesNotToOffer) {
  const std::string unfinished = records + "/unfinished.zunkreplay";
  firstPart();
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  // Escape on the choice goes back to the menu and keeps the game...
  startAgain();
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  tap(K_VK_ESCAPE);
  EXPECT_EQ(shell.screen, kMenuScreen);
  EXPECT_TRUE(std::ifstream(unfinished).good());
  // ...NEW GAME (Down, then Return) starts afresh and forgets it.
  startAgain();
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  tap(K_VK_DOWN);
  tap(K_VK_RETURN);
  EXPECT_EQ(shell.screen, kPlayScreen);
  EXPECT_FALSE(game().paused);
  EXPECT_EQ(game().gScore, 0);
  EXPECT_FALSE(std::ifstream(unfinished).good());
  // A recording that does not replay to the state it was left in is not
  // offered, and is forgotten.
  firstPart();
  Recording damaged = shell.live.recording();
  std::reverse(damaged.draws.begin(), damaged.draws.end());
  std::string error;
  ASSERT_TRUE(saveRecording(unfinished, damaged, error));
  startAgain();
  choosePlay();
  EXPECT_EQ(shell.screen, kPlayScreen);
  EXPECT_FALSE(std::ifstream(unfinished).good());
  // A game that ended is not kept.
  playScriptedGame();
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  EXPECT_FALSE(std::ifstream(unfinished).good());
  // A click on CONTINUE continues.
  firstPart();
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  startAgain();
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  frame(); // the button that chose PLAY let go
  press(layout::kResumePanelAt.x + 100, layout::kResumePanelAt.y + 20);
  frame();
  EXPECT_EQ(shell.screen, kPlayScreen);
  EXPECT_TRUE(game().paused);
}

// ------------------------------------------------------------------ separate games

// Watching, checking and continuing play games of their own: the live game,
// the table, the switches and rand() are as they were.

TEST_F(KeptReplays, WatchingAKeptGameTwiceChangesNothingKept) {
  // The table with a kept game of 27 in row 5, as the program keeps it.
  const int32_t table[10] = {900, 800, 700, 600, 500, 27, 8, 6, 4, 2};
  std::memcpy(shell.highScores.topScores, table, sizeof shell.highScores.topScores);
  const std::string kept = records + "/replay-1765000000-27.zunkreplay";
  std::ofstream(kept, std::ios::binary) << fileBytes(ZUNK_REPLAYS_DIR "/ended-27.zunkreplay");
  std::ofstream(records + "/thescores.replays") << "900 -\n-\n-\n-\n-\n27 replay-1765000000-27.zunkreplay\n-\n-\n-\n-\n";
  std::string error;
  Cause cause;
  ASSERT_TRUE(writeTable(shell.highScores.topScores, error, cause)) << error;
  const std::string tableFile = fileBytes(records + "/thescores"), list = fileBytes(records + "/thescores.replays");
  ASSERT_EQ(replayOfRow(shell.highScores.topScores, 5), kept);
  toOpenMenu();
  const std::string liveBefore = playState();
  const bool hintBefore = game().tutorial;
  const RandomPosition randBefore = randomPosition();
  // Watched from the row, then as --replay does, each to its end.
  for (int round = 0; round < 2; round++) {
    shell.screen = kScoresScreen;
    release();
    frame();
    press(150, layout::kScoreRowsY + layout::kScoreRowStep * 5 + 5);
    frame();
    ASSERT_TRUE(watching(shell.watching)) << round;
    std::string error;
    int shown = 0;
    while (watching(shell.watching) && shown++ < 100000) frame();
    ASSERT_TRUE(watchReplay(shell, kept.c_str(), kMenuScreen, error)) << error;
    while (watching(shell.watching) && shown++ < 200000) frame();
    EXPECT_EQ(shell.screen, kMenuScreen);
  }
  // The table, its file and its links, byte for byte; the live game, its
  // hint and rand() as they were.
  EXPECT_EQ(0, std::memcmp(shell.highScores.topScores, table, sizeof table));
  ASSERT_TRUE(writeTable(shell.highScores.topScores, error, cause)) << error;
  EXPECT_EQ(fileBytes(records + "/thescores"), tableFile);
  EXPECT_EQ(fileBytes(records + "/thescores.replays"), list);
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 5), kept);
  EXPECT_EQ(game().tutorial, hintBefore);
  EXPECT_TRUE(randomPosition() == randBefore) << "watching drew random numbers";
  EXPECT_EQ(playState(), liveBefore);
}

TEST_F(Continue, AContinuedGameLeftAgainIsOfferedAgainWhole) {
  // Left by the menu zone, twice: the recording holds the first leaving in
  // its middle.
  auto leaveByTheMenuZone = [this] {
    press(layout::kMenuZone.x1 + 10, layout::kMenuZone.y1 + 10);
    frame();
    ASSERT_EQ(shell.screen, kMenuScreen);
    release();
  };
  firstPart();
  leaveByTheMenuZone();
  startAgain();
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  tap(K_VK_RETURN);
  tap(K_VK_P); // plays on
  aimedThrows(400, 10);
  ASSERT_FALSE(game().gameover);
  leaveByTheMenuZone();
  const std::string atLeaving = playState();
  const int32_t score = game().gScore;
  // The next PLAY offers it again, and CONTINUE gives it back as it was left.
  startAgain();
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  tap(K_VK_RETURN);
  EXPECT_EQ(shell.screen, kPlayScreen);
  EXPECT_TRUE(game().paused);
  EXPECT_EQ(game().gScore, score);
  EXPECT_EQ(playState(), atLeaving);
}

TEST_F(Continue, GamesLeftByTwoCopiesAreBothKeptAndOneClaimedOrOfALaterVersionIsNotOffered) {
  // A game left here...
  firstPart();
  ASSERT_TRUE(keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed)) << failed.message;
  releaseUnfinishedGame(shell.unfinished);
  const std::string first = records + "/unfinished.zunkreplay", second = records + "/unfinished-2.zunkreplay";
  const std::string firstBytes = fileBytes(first);
  // ...and another, left by another copy of the game meanwhile: both are
  // kept, neither written over.
  firstPart();
  frames(50);
  ASSERT_TRUE(keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed)) << failed.message;
  releaseUnfinishedGame(shell.unfinished);
  EXPECT_EQ(fileBytes(first), firstBytes);
  ASSERT_NE(fileBytes(second), "");
  // PLAY offers the one left last, claimed: another copy cannot have it.
  startAgain();
  ASSERT_TRUE(unfinishedGameOnOffer(shell.unfinished, said));
  const int probe = open(second.c_str(), O_RDONLY);
  EXPECT_NE(flock(probe, LOCK_EX | LOCK_NB), 0) << "the game offered is not claimed";
  releaseUnfinishedGame(shell.unfinished);
  // Claimed by another copy, it is not offered: the other one is.
  ASSERT_EQ(flock(probe, LOCK_EX | LOCK_NB), 0);
  ASSERT_TRUE(unfinishedGameOnOffer(shell.unfinished, said));
  const int probeFirst = open(first.c_str(), O_RDONLY);
  EXPECT_NE(flock(probeFirst, LOCK_EX | LOCK_NB), 0) << "the other game is not the one offered";
  releaseUnfinishedGame(shell.unfinished);
  close(probeFirst);
  // With both claimed elsewhere, none is offered, and both stay.
  const int holdFirst = open(first.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holdFirst, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(unfinishedGameOnOffer(shell.unfinished, said));
  close(holdFirst);
  close(probe);
  EXPECT_TRUE(fileThere(first) && fileThere(second));
  // A game a later version left: kept, not offered, said.
  std::string later = firstBytes;
  later[8] = kReplayVersion + 1;
  std::remove(first.c_str());
  std::remove(second.c_str());
  std::ofstream(records + "/unfinished-3.zunkreplay", std::ios::binary) << later;
  EXPECT_FALSE(unfinishedGameOnOffer(shell.unfinished, said));
  EXPECT_NE(said.find("kept by a later version"), std::string::npos) << said;
  EXPECT_EQ(fileBytes(records + "/unfinished-3.zunkreplay"), later);
}

TEST_F(Continue, TheCheckDrawsNoNumberAndNewGameStartsUnpausedAtFullMusic) {
  // A continued game left while paused (the window closed).
  firstPart();
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  startAgain();
  choosePlay();
  tap(K_VK_RETURN);
  ASSERT_TRUE(game().paused);
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  // The check of the next PLAY draws nothing from rand() and leaves the live
  // game as the menu set it up.
  startAgain();
  toOpenMenu();
  const RandomPosition before = randomPosition();
  const std::string live = playState();
  ASSERT_TRUE(unfinishedGameOnOffer(shell.unfinished, said));
  EXPECT_TRUE(randomPosition() == before) << "the check drew random numbers";
  EXPECT_EQ(playState(), live);
  EXPECT_FALSE(game().paused);
  // NEW GAME: not paused, the music at its full volume.
  choosePlay();
  ASSERT_EQ(shell.screen, kResumeScreen);
  tap(K_VK_DOWN);
  tap(K_VK_RETURN);
  ASSERT_EQ(shell.screen, kPlayScreen);
  EXPECT_FALSE(game().paused);
  EXPECT_EQ(KSound::_masterMUSICvolume, 100);
}

TEST_F(Continue, TheCheckLeavesThePlayersOwnInputToThePlayFrame) {
  // A game whose last frame is a click.
  firstPart();
  release();
  frame();
  press(10, 200);
  frame();
  keepUnfinishedGame(shell.unfinished, shell.live.recording(), failed);
  release();
  // PLAY by Return, the pointer resting on the music switch: the frame that
  // checks the game (and replays its click) reads only the player's own
  // input, and the switch stays as it was.
  startAgain();
  const bool music = shell.switches.playerSettings.music;
  toOpenMenu();
  input.mouseX = layout::kMusicIconAt.x + 5;
  input.mouseY = layout::kMusicIconAt.y + 5;
  tap(K_VK_RETURN);
  for (int i = 0; i < 200 && shell.screen == kMenuScreen; i++) frame();
  ASSERT_EQ(shell.screen, kResumeScreen);
  EXPECT_EQ(shell.switches.playerSettings.music, music);
}

TEST_F(KeptReplays, RowsMoveDownWithTheirReplaysAndOnePushedOutIsDeleted) {
  const int32_t table[10] = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
  keepTable(table);
  for (int32_t s : {95, 85, 75, 65, 55, 45, 35, 25, 15, 12}) enter(s);
  EXPECT_EQ(files(), 10);
  for (int row = 0; row < 10; row++) EXPECT_EQ(scoreOfRow(row), shell.highScores.topScores[row]) << row;
  // A better game: every row below it moves down, the last one's replay is gone.
  enter(90);
  EXPECT_EQ(files(), 10);
  EXPECT_EQ(scoreOfRow(0), 95);
  EXPECT_EQ(scoreOfRow(1), 90);
  EXPECT_EQ(scoreOfRow(2), 85);
  EXPECT_EQ(scoreOfRow(9), 15);
  // A game that does not enter keeps nothing.
  enter(1);
  EXPECT_EQ(files(), 10);
  // The table reset with Space: every replay goes, and no row has one.
  EXPECT_TRUE(resetTable(shell.highScores, failed));
  EXPECT_EQ(files(), 0);
  for (int row = 0; row < 10; row++) EXPECT_EQ(replayOfRow(shell.highScores.topScores, row), "");
}

TEST_F(KeptReplays, AMissingStaleOrHostileListIsNoHarm) {
  const int32_t table[10] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
  keepTable(table);
  enter(95);
  ASSERT_FALSE(replayOfRow(shell.highScores.topScores, 1).empty());
  // The table's scores changed behind the list's back: the row has none.
  shell.highScores.topScores[1] = 94;
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 1), "");
  shell.highScores.topScores[1] = 95;
  // A replay file gone: none, and no harm.
  std::remove(replayOfRow(shell.highScores.topScores, 1).c_str());
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 1), "");
  // Lines naming other files are not read, nor deleted.
  std::ofstream(records + "/keep.txt") << "x";
  std::ofstream(records + "/thescores.replays") << "100 ../keep.txt\n95 keep.txt\n90 /etc/passwd\n";
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 0), "");
  // Neither the tidying at the start nor a reset deletes them.
  EXPECT_TRUE(prepareRecords(shell.highScores, said, failed));
  EXPECT_TRUE(resetTable(shell.highScores, failed));
  EXPECT_TRUE(std::ifstream(records + "/keep.txt").good());
  // No list at all.
  std::remove((records + "/thescores.replays").c_str());
  EXPECT_EQ(replayOfRow(shell.highScores.topScores, 0), "");
  enter(97);
  EXPECT_EQ(scoreOfRow(0), 97);
}

TEST(ReplayFile, DamagedForeignAndLaterFilesAreRefusedCleanly) {
  Recording r;
  r.score = 42;
  r.ended = true;
  r.start.before.mouseX = 100;
  for (int i = 0; i < 500; i++) {
    PlayInput in;
    in.mouseX = static_cast<int16_t>(100 + i % 37);
    in.mouseY = static_cast<int16_t>(i < 250 ? 300 : 350);
    in.held = i % 50 < 10 ? uint32_t(kHeldMouse) : 0u;
    r.frames.push_back(in);
  }
  for (int i = 0; i < 40; i++) r.draws.push_back(static_cast<uint32_t>(i * 7919));
  r.randomAfter = randomPosition();
  const std::string good = encodeRecording(r);
  Recording back;
  std::string error;
  ASSERT_TRUE(decodeRecording(good, back, error)) << error;
  EXPECT_EQ(back.frames.size(), r.frames.size());
  EXPECT_TRUE(back.frames == r.frames);
  EXPECT_EQ(back.draws, r.draws);
  EXPECT_EQ(back.score, 42);
  EXPECT_TRUE(back.ended);
  EXPECT_EQ(back.start.before.mouseX, 100);

  // Cut anywhere: refused, and nothing of it is kept.
  for (size_t cut = 0; cut < good.size(); cut++) {
    EXPECT_FALSE(decodeRecording(good.substr(0, cut), back, error)) << cut;
    EXPECT_TRUE(back.frames.empty());
  }
  std::string bad = good;
  bad[0] = 'X';
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_EQ(error, "not a Zunk replay");
  bad = good;
  bad[8] = kReplayVersion + 1; // a later version
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_NE(error.find("version " + std::to_string(kReplayVersion + 1)), std::string::npos) << error;
  EXPECT_TRUE(laterVersionBytes(bad));
  bad = good;
  bad[10] = 88; // the header of another layout
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_EQ(error.rfind("damaged", 0), 0u) << error;
  bad = good;
  bad[15] = '\x7f'; // two billion frames, in a small file
  EXPECT_FALSE(decodeRecording(bad, back, error));
  bad = good;
  bad[19] = '\x7f'; // two billion draws
  EXPECT_FALSE(decodeRecording(bad, back, error));
  bad = good + "x"; // more bytes than it says
  EXPECT_FALSE(decodeRecording(bad, back, error));
  // Input that names fields that do not exist, or runs past its frames:
  // in entries as they are (a short game's), and deflated.
  Recording shortGame = r;
  shortGame.frames.resize(3);
  const std::string plain = encodeRecording(shortGame);
  ASSERT_EQ(plain[96], 0) << "a short game's input is kept as it is";
  bad = plain;
  bad[100 + 128 + 4 * r.draws.size()] = '\x3f';
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_EQ(error, "damaged: its input cannot be read");
  ASSERT_EQ(good[96], 1) << "a long game's input is deflated";
  bad = good;
  bad[100 + 128 + 4 * r.draws.size() + 1] ^= '\x5a';
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_FALSE(loadRecording("/nonexistent/zunk.replay", back, error));
  EXPECT_FALSE(loadRecording("/tmp", back, error));
}

// ------------------------------------------------------------------ files players keep

TEST_F(Replays, StoredReplaysCheckToTheScoresTheyWereRecordedWith) {
  const std::vector<std::string> files = storedReplays();
  ASSERT_GE(files.size(), 4u);
  for (const std::string &path : files) {
    const size_t end = path.rfind(".zunkreplay"), dash = path.rfind('-', end);
    const std::string score = path.substr(dash + 1, end - dash - 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(checkReplay(path.c_str()), 0) << path;
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("\nscore " + score + "\n"), std::string::npos) << path << ": " << said;
  }
}

TEST(ReplayFile, ValuesNoLiveGameCouldGiveAreRefused) {
  Recording real;
  std::string error;
  ASSERT_TRUE(decodeRecording(fileBytes(ZUNK_REPLAYS_DIR "/unfinished-2.zunkreplay"), real, error)) << error;
  ASSERT_GT(real.draws.size(), 10u);
  // Each change, encoded and read back: refused (or, for the edges a live
  // game reaches, read).
  auto reads = [&](const std::function<void(Recording &)> &change) {
    Recording r = real, back;
    change(r);
    std::string why;
    const bool read = decodeRecording(encodeRecording(r), back, why);
    EXPECT_TRUE(read || why.rfind("damaged", 0) == 0) << why;
    return read;
  };
  // Random numbers: rand() gives 0 to RAND_MAX; a negative one would index
  // the break sounds and the wall's rows out of their arrays.
  EXPECT_FALSE(reads([](Recording &r) { r.draws[3] = 0xffffffffu; }));
  EXPECT_FALSE(reads([](Recording &r) { r.draws[3] = uint32_t(RAND_MAX) + 1; }));
  EXPECT_TRUE(reads([](Recording &r) { r.draws[3] = uint32_t(RAND_MAX); }));
  // The score display's pace: 0 to 3 frames into its step.
  EXPECT_FALSE(reads([](Recording &r) { r.start.scoreTimer = 2147483647; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.scoreTimer = -1; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.scoreTimer = kScoreStepFrames; }));
  EXPECT_TRUE(reads([](Recording &r) { r.start.scoreTimer = kScoreStepFrames - 1; }));
  // The game-over wobble: phases within a turn.
  EXPECT_FALSE(reads([](Recording &r) { r.start.wobble[2] = std::nanf(""); }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.wobble[1] = 7; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.wobble[0] = -0.5f; }));
  EXPECT_TRUE(reads([](Recording &r) { r.start.wobble[3] = kWobbleTurn; }));
  // Speeds and places carried over: finite, on or near the screen.
  EXPECT_FALSE(reads([](Recording &r) { r.start.forceX = INFINITY; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.oldballY = 3e9f; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.ballZoomSpeed = std::nanf(""); }));
  // The keyboard's pull: on the screen, held a count of frames.
  EXPECT_FALSE(reads([](Recording &r) { r.start.pull.x = 320; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.pull.grabY = -1; }));
  EXPECT_FALSE(reads([](Recording &r) { r.start.pull.heldFrames = -5; }));
  EXPECT_TRUE(reads([](Recording &r) { r.start.pull.x = 319, r.start.pull.y = 479; }));
  EXPECT_FALSE(reads([](Recording &r) { r.score = -1; }));
  // rand()'s state: put back as it stands, the C library would run off its
  // array with a rear pointer beyond it.
  EXPECT_FALSE(reads([](Recording &r) { r.randomAfter[0] = 0xff, r.randomAfter[3] = 0x7f; }));
  EXPECT_FALSE(reads([](Recording &r) { r.randomAfter[0] = 5 * 31 + 3; }));
  EXPECT_FALSE(reads([](Recording &r) { r.randomAfter[0] = 5 * 2 + 1; })); // another kind of generator
  EXPECT_FALSE(reads([](Recording &r) {
    for (size_t i = 4; i < r.randomAfter.size(); i += 4) r.randomAfter[i] &= 0xfe; // a state rand() never reaches
  }));
  EXPECT_TRUE(reads([](Recording &r) { r.randomAfter[0] = 5 * 30 + 3; }));
  // Header flags are 0 or 1.
  std::string bytes = encodeRecording(real);
  bytes[28] = 2;
  Recording back;
  EXPECT_FALSE(decodeRecording(bytes, back, error));
  // A state that is not one rand() can be in is never put back.
  RandomPosition broken{};
  broken[0] = 0xff;
  broken[3] = 0x7f;
  std::srand(5);
  const int next = std::rand();
  std::srand(5);
  setRandomPosition(broken);
  EXPECT_EQ(std::rand(), next);
}

TEST(ReplayFile, RandIsPutBackWhereItStoodAsOftenAsAGameIsContinued) {
  // Two positions and what rand() draws from each.
  std::srand(3);
  const RandomPosition first = randomPosition();
  const int fromFirst = std::rand();
  for (int i = 0; i < 100; i++) std::rand();
  const RandomPosition second = randomPosition();
  const int fromSecond = std::rand();
  // Put back, again and again: each time the same draw.
  for (int round = 0; round < 3; round++) {
    setRandomPosition(first);
    EXPECT_EQ(std::rand(), fromFirst) << round;
    setRandomPosition(second);
    EXPECT_EQ(std::rand(), fromSecond) << round;
    setRandomPosition(second);
    EXPECT_EQ(std::rand(), fromSecond) << round;
  }
}

TEST_F(Replays, AByteChangedAnywhereInARealRecordingIsRefusedOrPlayedSafely) {
  // Under the sanitizers this finds any value of a file that reaches the
  // play unchecked; here it checks that every change comes back.
  const std::string real = fileBytes(ZUNK_REPLAYS_DIR "/unfinished-2.zunkreplay");
  ASSERT_GT(real.size(), 250u);
  int refused = 0, played = 0;
  for (size_t at = 0; at < real.size(); at++)
    for (int flip : {0x01, 0x80, 0xff}) {
      std::string bytes = real;
      bytes[at] = static_cast<char>(bytes[at] ^ flip);
      Recording r;
      std::string error;
      if (!decodeRecording(bytes, r, error)) {
        refused++;
        continue;
      }
      Replay(r).playToEnd();
      setRandomPosition(r.randomAfter);
      std::rand();
      played++;
    }
  EXPECT_GT(refused, 100);
  EXPECT_GT(played, 100);
}

TEST(ReplayFile, ALongGameStaysInTheTensOfKilobytes) {
  // Ten minutes at 80 frames a second: the pointer moving a third of the
  // time, a throw every three seconds, about two draws a second.
  Recording r;
  PlayInput in;
  for (int i = 0; i < 80 * 600; i++) {
    if (i % 240 < 80) {
      in.mouseX = static_cast<int16_t>(160 + (i % 40) - 20);
      in.mouseY = static_cast<int16_t>(330 + (i % 60));
    }
    in.held = i % 240 >= 20 && i % 240 < 60 ? uint32_t(kHeldMouse) : 0u;
    r.frames.push_back(in);
  }
  for (int i = 0; i < 2 * 600; i++) r.draws.push_back(static_cast<uint32_t>(std::rand()));
  const size_t size = encodeRecording(r).size();
  EXPECT_LT(size, 100u * 1024) << size;
}
} // namespace
