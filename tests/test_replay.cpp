// Recording and replaying games: a recorded game played again is the same
// game on every frame, from a file, after the program's random numbers have
// moved on; files that are not whole recordings are refused.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "GameFixture.h"
#include "layout.h"
#include "pause.h"
#include "replay.h"

namespace {
using layout::kBallRest;

class Replay : public Game {
protected:
  void TearDown() override {
    resumeGame();
    Game::TearDown();
  }
  // A throw by mouse: press on the resting ball, pull down and across, let go.
  void mouseThrow(int pullX, int pullY) {
    press(kBallRest.x + 15, kBallRest.y + 17);
    frame();
    press(kBallRest.x + 15 + pullX, kBallRest.y + 17 + pullY);
    frames(4);
    release();
    frames(50);
  }
  // A game with mouse and keyboard throws and a pause, played to GAME OVER.
  void playScriptedGame() {
    startAgain();
    frame();                 // the menu sets the game up
    gameState = kPlayScreen; // PLAY
    const int pulls[][2] = {{0, 60}, {20, 70}, {-25, 65}, {10, 90}, {-5, 55}};
    for (const auto &p : pulls) mouseThrow(p[0], p[1]);
    // A tap of Space throws from rest; Down with Space held pulls.
    tap(K_VK_SPACE);
    frames(60);
    key(K_VK_SPACE, true);
    key(K_VK_DOWN, true);
    frames(20);
    key(K_VK_DOWN, false);
    key(K_VK_SPACE, false);
    frames(60);
    // A pause in mid-game, then on to the end.
    tap(K_VK_P);
    frames(40);
    tap(K_VK_P);
    for (int i = 0; i < 30000 && !gameover; i++) frame();
    frames(20);
  }
};

TEST_F(Replay, ARecordedGameReplaysFromItsFileFrameForFrame) {
  // The play's state after each frame of the game as it is played...
  std::vector<std::string> played;
  afterEachFrame = [&] {
    if (gameState == kPlayScreen) played.push_back(playState());
  };
  playScriptedGame();
  afterEachFrame = nullptr;
  ASSERT_TRUE(gameover) << "the scripted game did not end";
  const Recording game = currentRecording();
  EXPECT_TRUE(game.ended);
  EXPECT_EQ(game.score, gScore);
  EXPECT_GT(game.score, 0) << "the scripted throws broke nothing";
  EXPECT_FALSE(game.draws.empty());
  const std::string end = playState();

  // ...and as it is replayed: the same on every frame.
  ASSERT_EQ(played.size(), game.frames.size());
  size_t differ = 0;
  ASSERT_TRUE(replayRecording(game, [&](size_t i) {
    if (playState() != played[i] && differ++ < 3) {
      const std::string a = playState(), &b = played[i];
      size_t at = 0;
      while (at < a.size() && a[at] == b[at]) at++;
      ADD_FAILURE() << i << " at " << at << "\n" << a.substr(at > 40 ? at - 40 : 0, 200) << "\n" << b.substr(at > 40 ? at - 40 : 0, 200);
    }
    return true;
  }));
  EXPECT_EQ(differ, 0u);
  EXPECT_EQ(playState(), end);

  // From a file, after the program's random numbers have moved on (another
  // program's start): the same state on every frame.
  const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/zunk-test.replay";
  std::string error;
  ASSERT_TRUE(saveRecording(path, game, error)) << error;
  Recording loaded;
  ASSERT_TRUE(loadRecording(path, loaded, error)) << error;
  std::remove(path.c_str());
  startAgain();
  std::srand(12345);
  EXPECT_TRUE(replayRecording(loaded, [&](size_t i) {
    differ += playState() != played[i];
    return true;
  }));
  EXPECT_EQ(differ, 0u);
  EXPECT_EQ(gScore, game.score);
  EXPECT_EQ(playState(), end);
}

TEST_F(Replay, RecordingChangesNothingInThePlay) {
  // The game as it plays is the same with the recording's draws as with
  // rand() itself: the recording holds exactly rand()'s numbers, in order.
  playScriptedGame();
  const Recording game = currentRecording();
  // The menu draws numbers of its own between them: the game's are found in
  // rand()'s sequence from srand(1), in order.
  std::vector<uint32_t> sequence;
  std::srand(1);
  for (int i = 0; i < 200000; i++) sequence.push_back(static_cast<uint32_t>(std::rand()));
  size_t at = 0;
  for (uint32_t d : game.draws) {
    while (at < sequence.size() && sequence[at] != d) at++;
    ASSERT_LT(at, sequence.size()) << "a draw that rand() did not give";
    at++;
  }
}

TEST_F(Replay, AGameThatIsNotTheRecordedOneIsFound) {
  playScriptedGame();
  const Recording game = currentRecording();
  // Another random number early on: the wall differs, and so does the end.
  Recording changed = game;
  changed.draws[3] ^= 1;
  EXPECT_FALSE(replayRecording(changed, [](size_t) { return true; }));
  // Fewer random numbers than the game draws.
  Recording cut = game;
  cut.draws.resize(cut.draws.size() / 2);
  EXPECT_FALSE(replayRecording(cut, [](size_t) { return true; }));
  // The whole recording still replays.
  EXPECT_TRUE(replayRecording(game, [](size_t) { return true; }));
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
  bad[8] = 2; // a later version
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_NE(error.find("version 2"), std::string::npos);
  bad = good;
  bad[15] = '\x7f'; // two billion frames, in a small file
  EXPECT_FALSE(decodeRecording(bad, back, error));
  bad = good;
  bad[19] = '\x7f'; // two billion draws
  EXPECT_FALSE(decodeRecording(bad, back, error));
  bad = good + "x"; // more bytes than it says
  EXPECT_FALSE(decodeRecording(bad, back, error));
  // Input that names fields that do not exist, or runs past its frames.
  bad = good;
  bad[88 + 4 * r.draws.size() + 4] = '\x3f';
  EXPECT_FALSE(decodeRecording(bad, back, error));
  EXPECT_FALSE(loadRecording("/nonexistent/zunk.replay", back, error));
  EXPECT_FALSE(loadRecording("/tmp", back, error));
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
