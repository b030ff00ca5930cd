// The daily wall: one scored try a day and practice after it, a clock set
// back opening none, the table and the streak kept as the other records are
// (through a restart and a kill in the middle of a save, read as a
// stranger's file); a game sent proves itself or is refused with its reason;
// and TODAY'S WALL reached from the menu by the keys, leaving rand() alone.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "GameFixture.h"
#include "dailytable.h"
#include "layout.h"
#include "livegame.h"
#include "recording.h"
#include "sentgame.h"

namespace {
const Day kDay = 20261209;
// Noon of a day, UTC.
int64_t noonOf(Day day) { return daysSinceEpoch(day) * 86400 + 12 * 3600; }

std::string contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void write(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A daily game on `day`, `frames` long (or to its end): the ball grabbed
// and pulled a little differently every 60 frames.
Recording dailyGamePlayed(Day day, int frames) {
  LiveGame live;
  PlayInput input;
  live.newDailyGame(input, day);
  for (int f = 0; f < frames && !live.game().gameover; f++) {
    const int t = f % 60, pull = (f / 60 * 5) % 33 - 16;
    input.held = t < 5 ? uint32_t(kHeldMouse) : 0u;
    input.mouseX = static_cast<int16_t>(layout::kBallRest.x + 15 + (t >= 1 && t < 5 ? pull : 0));
    input.mouseY = static_cast<int16_t>(layout::kBallRest.y + 17);
    live.playFrame(input);
  }
  return live.recording();
}

class Daily : public Game {
protected:
  int64_t now = noonOf(kDay);
  void SetUp() override {
    Game::SetUp();
    shell.daily.clock = [this] { return now; };
    std::string message;
    prepareDailyRecords(shell.daily, message);
    EXPECT_EQ(message, "");
  }
  // The program started again: the table as it finds it.
  DailyRecords restarted() {
    DailyRecords records;
    records.clock = [this] { return now; };
    std::string message;
    prepareDailyRecords(records, message);
    EXPECT_EQ(message, "");
    return records;
  }
  bool take(DailyRecords &records) {
    KeepFailure failure;
    const bool scored = takeScoredTry(records, failure);
    EXPECT_FALSE(failure.failed) << failure.note;
    return scored;
  }
};

TEST_F(Daily, OneScoredTryADayPracticeAfterAndTheStreakCountsDaysInARow) {
  EXPECT_EQ(dailyTry(shell.daily, kDay), DailyTry::kScored);
  EXPECT_EQ(dailyTry(shell.daily, kDay - 1), DailyTry::kNotToday);
  ASSERT_TRUE(take(shell.daily));
  // Taken as the game starts: leaving it and starting again is practice,
  // here and in another copy of the game.
  EXPECT_FALSE(take(shell.daily));
  DailyRecords other = restarted();
  EXPECT_EQ(dailyTry(other, kDay), DailyTry::kPlayed);
  EXPECT_FALSE(take(other));

  const Recording game = dailyGamePlayed(kDay, 1200);
  KeepFailure failure;
  ASSERT_TRUE(keepScoredTry(shell.daily, game, failure)) << failure.note;
  DailyRecords again = restarted();
  ASSERT_EQ(again.table.rows.size(), 1u);
  EXPECT_EQ(again.table.rows[0].day, kDay);
  EXPECT_EQ(again.table.rows[0].score, game.score);
  Recording kept;
  std::string error;
  ASSERT_TRUE(loadRecording(dailyReplayPath(again.table.rows[0]), kept, error)) << error;
  EXPECT_EQ(kept.day, kDay);
  EXPECT_EQ(currentStreak(again), 1);

  // The next day continues the streak; a day missed starts it again.
  now += 86400;
  EXPECT_EQ(currentStreak(again), 1); // yesterday's still counts today
  ASSERT_TRUE(take(again));
  EXPECT_EQ(currentStreak(again), 2);
  now += 2 * 86400;
  EXPECT_EQ(currentStreak(again), 0);
  ASSERT_TRUE(take(again));
  EXPECT_EQ(currentStreak(restarted()), 1);
  EXPECT_EQ(restarted().table.rows.size(), 3u);
}

TEST_F(Daily, AClockSetBackBehindTheLastDayPlayedOpensNoScoredTry) {
  ASSERT_TRUE(take(shell.daily));
  now -= 86400;
  DailyRecords records = restarted();
  EXPECT_EQ(dailyTry(records, kDay - 1), DailyTry::kClockBehind);
  EXPECT_FALSE(take(records));
  // The streak it reached is still shown.
  EXPECT_EQ(currentStreak(records), 1);
  EXPECT_EQ(records.table.rows.size(), 1u);
}

TEST_F(Daily, TheTableIsReadAsAStrangersFileAndKeepsThirtyDays) {
  std::string text = "zunk daily 1\nstreak 99999999999 2026-12-09\nnonsense\n2026-02-30 5 -\n";
  // Forty days, a duplicate, a row linking another day's replay, a
  // negative score and a path out of the folder.
  for (int d = 0; d < 40; d++) text += dayText(dayFromEpoch(daysSinceEpoch(kDay) - d)) + " " + std::to_string(d) + " -\n";
  text += "2026-12-09 777 -\n2026-12-08 5 daily-2026-12-01.zunkreplay\n2026-12-07 -5 -\n";
  text += "2026-12-06 5 ../../etc/passwd\n";
  DailyTable table;
  ASSERT_TRUE(parseDailyTable(text, table));
  ASSERT_EQ(table.rows.size(), static_cast<size_t>(kDailyDays));
  EXPECT_EQ(table.rows.front().day, kDay);
  EXPECT_EQ(table.rows.front().score, 0); // the first row of a day stands
  EXPECT_EQ(table.rows.back().day, dayFromEpoch(daysSinceEpoch(kDay) - (kDailyDays - 1)));
  for (const DailyRow &row : table.rows) EXPECT_EQ(row.replay, "");
  EXPECT_EQ(table.streak, 0); // no streak of that length
  // Written and read back, the same table.
  DailyTable back;
  ASSERT_TRUE(parseDailyTable(dailyTableText(table), back));
  EXPECT_EQ(dailyTableText(back), dailyTableText(table));

  // Another program's file, or a later version's, is not ours: a later
  // version's table is left as it is, and the day's game is practice.
  EXPECT_FALSE(parseDailyTable("zunk daily 2\n", table));
  EXPECT_FALSE(parseDailyTable("\x89PNG\r\n", table));
  const std::string later = "zunk daily 2\nwhatever it keeps\n";
  write(dailyTablePath(), later);
  EXPECT_FALSE(take(shell.daily));
  EXPECT_EQ(contents(dailyTablePath()), later);
}

TEST_F(Daily, ATableKilledInTheMiddleOfItsSavesIsWholeAfterARestart) {
  ASSERT_TRUE(take(shell.daily));
  const Recording game = dailyGamePlayed(kDay, 400);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Saves for ever, each with another score, until it is killed.
    Recording saved = game;
    for (int32_t score = 1;; score++) {
      saved.score = score;
      KeepFailure failure;
      keepScoredTry(shell.daily, saved, failure);
    }
  }
  // Killed once it has saved a few times, whenever that is.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  DailyTable seen;
  while (std::chrono::steady_clock::now() < deadline &&
         !(parseDailyTable(contents(dailyTablePath()), seen) && !seen.rows.empty() && seen.rows[0].score > 3))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  DailyRecords records = restarted();
  ASSERT_EQ(records.table.rows.size(), 1u);
  EXPECT_GT(records.table.rows[0].score, 3);
  EXPECT_EQ(records.table.streak, 1);
  Recording kept;
  std::string error;
  EXPECT_TRUE(loadRecording(dailyReplayPath(records.table.rows[0]), kept, error)) << error;
}

TEST(SentGame, AGameSentIsVerifiedAndATamperedOneRefusedWithItsReason) {
  const Recording game = dailyGamePlayed(kDay, 1600);
  ASSERT_GT(game.score, 0);
  const std::string bytes = sentFileBytes(game);
  const Received received = receiveGame(bytes);
  ASSERT_EQ(received.verdict, Verdict::kVerified) << received.reason;
  EXPECT_EQ(received.game.score, game.score);
  EXPECT_EQ(received.game.day, kDay);
  // The same through its link, whatever the page's address.
  const std::string link = sentLink("https://example.org/zunk/#daily=2026-12-09", bytes);
  EXPECT_EQ(link.find("#daily"), std::string::npos);
  EXPECT_TRUE(receivedLink(link));
  EXPECT_EQ(receiveLink(link).verdict, Verdict::kVerified);

  Recording claimed = sentForm(game);
  claimed.score += 10;
  EXPECT_EQ(receiveGame(encodeRecording(claimed)).verdict, Verdict::kScoreNotReached);
  Recording otherDay = sentForm(game);
  otherDay.day = kDay + 1;
  EXPECT_NE(receiveGame(encodeRecording(otherDay)).verdict, Verdict::kVerified);
  Recording input = sentForm(game);
  for (size_t f = 0; f < input.frames.size(); f += 7) input.frames[f].held ^= kHeldMouse;
  EXPECT_NE(receiveGame(encodeRecording(input)).verdict, Verdict::kVerified);
  Recording shortened = sentForm(game);
  shortened.frames.resize(shortened.frames.size() / 2);
  EXPECT_NE(receiveGame(encodeRecording(shortened)).verdict, Verdict::kVerified);
  EXPECT_EQ(receiveGame(bytes.substr(0, bytes.size() / 2)).verdict, Verdict::kDamaged);
  EXPECT_EQ(receiveLink("https://example.org/#watch=not*base64").verdict, Verdict::kDamaged);
  // A later version's file says so.
  std::string later = bytes;
  later[8] = static_cast<char>(kReplayVersion + 1); // the version, after the magic
  EXPECT_EQ(receiveGame(later).verdict, Verdict::kLaterVersion);
}

TEST_F(Daily, TodaysWallFromTheMenuByTheKeysDrawsNoRandNumberAndSaysItsTry) {
  toOpenMenu();
  tap(K_VK_UP); // QUIT
  tap(K_VK_UP); // TODAY'S WALL
  ASSERT_EQ(shell.menu.shown.focusArrow, kChoseDaily);
  tap(K_VK_RETURN);
  while (shell.screen == kMenuScreen) frame();
  ASSERT_EQ(shell.screen, kDailyScreen);
  while (shell.menu.lockMenu || shell.menu.selectedButton != -1) frame();
  EXPECT_EQ(shell.dailyScreen.shown.offer, DailyTry::kScored);
  // The wall is the day's whatever rand() says.
  std::srand(12345);
  const int next = std::rand();
  std::srand(12345);
  tap(K_VK_RETURN);
  ASSERT_EQ(shell.screen, kPlayScreen);
  EXPECT_TRUE(shell.live.daily());
  EXPECT_TRUE(shell.liveScored);
  frames(20);
  EXPECT_EQ(std::rand(), next);
  LiveGame same;
  same.newDailyGame(PlayInput(), kDay);
  for (int row = 0; row < kWallRows; row++)
    for (int col = 0; col < kWallColumns; col++)
      EXPECT_EQ(same.game().brickWall[row][col].color, game().brickWall[row][col].color);
  const auto tag = sheet.from(layout::kScoredTryTag.x1, layout::kScoredTryTag.y1);
  EXPECT_EQ(tag.size(), 1u);

  // Left, and started again: practice, and said so.
  tap(K_VK_ESCAPE);
  tap(K_VK_BACK);
  ASSERT_EQ(shell.screen, kDailyScreen);
  frame();
  EXPECT_EQ(shell.dailyScreen.shown.offer, DailyTry::kPlayed);
  tap(K_VK_RETURN);
  ASSERT_EQ(shell.screen, kPlayScreen);
  EXPECT_FALSE(shell.liveScored);
  frame();
  EXPECT_EQ(sheet.from(layout::kPracticeTag.x1, layout::kPracticeTag.y1).size(), 1u);
}
} // namespace

namespace {
TEST_F(Daily, AGameReceivedIsWatchedOnlyOnceVerifiedAndARefusalGoesBackToTheMenu) {
  const Recording game = dailyGamePlayed(kDay, 1600);
  const std::string good = scratch.folder + "/good.zunkreplay", bad = scratch.folder + "/bad.zunkreplay";
  write(good, sentFileBytes(game));
  Recording claimed = sentForm(game);
  claimed.score += 1;
  write(bad, encodeRecording(claimed));

  // Opened as the program starts, before any menu: refused with its reason,
  // and BACK (Escape) takes the player on to the menu.
  openReceived(shell, receiveFile(bad), kMenuScreen);
  ASSERT_EQ(shell.screen, kRefusedScreen);
  EXPECT_EQ(shell.refused.verdict, Verdict::kScoreNotReached);
  frame();
  const int reason = static_cast<int>(Verdict::kScoreNotReached) - static_cast<int>(Verdict::kDamaged);
  EXPECT_EQ(sheet.from(layout::refusalText(reason).x1, layout::refusalText(reason).y1).size(), 1u);
  tap(K_VK_ESCAPE);
  for (int i = 0; i < 200 && shell.screen == kRefusedScreen; i++) frame();
  EXPECT_EQ(shell.screen, kMenuScreen);

  // A verified one is watched under the verified mark, its score and day.
  openReceived(shell, receiveFile(good), kMenuScreen);
  ASSERT_EQ(shell.screen, kWatchScreen);
  EXPECT_TRUE(shell.watching.verified);
  frame();
  EXPECT_EQ(sheet.from(layout::kVerifiedWall.x1, layout::kVerifiedWall.y1).size(), 1u);
  // Nothing of the player's own changes: no daily row, no high score.
  EXPECT_TRUE(restarted().table.rows.empty());
}
} // namespace

namespace {
// The numbers of a day's wall are the same wherever the game runs: the
// first 200 of three days (the first three, and a digest of them all) and
// the wall each sets up, as written here; the browser's checks verify a
// game sent from here.
uint32_t fnv(const std::vector<int> &numbers) {
  uint32_t h = 2166136261u;
  for (int n : numbers)
    for (int b = 0; b < 4; b++) h = (h ^ ((static_cast<uint32_t>(n) >> (8 * b)) & 0xff)) * 16777619u;
  return h;
}
TEST(DailyWall, ThreeDaysGiveTheNumbersAndTheWallsWrittenHereAndRandIsLeftAlone) {
  struct Expected {
    Day day;
    int first[3];
    uint32_t draws200, wallDigest;
  };
  const Expected days[] = {{20261209, {1536511955, 36236061, 837893616}, 2809867017u, 3970816860u},
                           {20270101, {1995604481, 189682290, 81718039}, 3434373601u, 797962695u},
                           {20280229, {203531526, 462012851, 541746466}, 4245949931u, 3376189255u}};
  std::srand(99);
  const int randNext = std::rand();
  std::srand(99);
  for (const Expected &e : days) {
    DailyDraws draws(e.day);
    std::vector<int> numbers;
    for (int i = 0; i < 200; i++) numbers.push_back(draws.draw());
    LiveGame live;
    live.newDailyGame(PlayInput(), e.day);
    EXPECT_EQ(numbers[0], e.first[0]) << e.day;
    EXPECT_EQ(numbers[1], e.first[1]) << e.day;
    EXPECT_EQ(numbers[2], e.first[2]) << e.day;
    EXPECT_EQ(fnv(numbers), e.draws200) << e.day;
    EXPECT_EQ(playDigest(live.game()), e.wallDigest) << e.day;
  }
  EXPECT_EQ(std::rand(), randNext);
}
} // namespace
