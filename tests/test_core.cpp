// The engine's platform-free services: lists, paths, the clock, resources
// and tar archives, hostile ones included.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FramePacer.h"
#include "KGraphic.h"
#include "KList.h"
#include "KMiscTools.h"
#include "KResource.h"
#include "KResourceArchive.h"
#include "KWindow.h"
#include "platform/Platform.h"

namespace {

struct Item : public KObjectListable {
  int value;
  explicit Item(int v) : value(v) {}
};

// The slot of a virtual operation in its class's table, as the Itanium C++
// ABI (every compiler on this platform) stores it in a pointer to the
// operation: one more than the slot's byte offset.
template <class Operation> long slotOf(Operation operation) {
  static_assert(sizeof operation == 2 * sizeof(ptrdiff_t), "a pointer to a member function is two words");
  ptrdiff_t offset;
  std::memcpy(&offset, &operation, sizeof offset);
  return static_cast<long>((offset - 1) / static_cast<ptrdiff_t>(sizeof(void *)));
}

// Each operation in its place in the table (-1: a slot taken by another).
template <size_t N> void expectInOrder(const long (&slots)[N], const char *what) {
  for (long i = 0; i < static_cast<long>(N); i++)
    if (slots[i] >= 0) {
      EXPECT_EQ(slots[i], i) << what << " operation " << i;
    }
}

// Code built against the interfaces calls their operations by slot: each
// keeps its place, and operations added later come after the list.
TEST(Interfaces, VirtualOperationsKeepTheirSlots) {
  const long window[] = {
      slotOf(&KWindow::setDefaultWorldView), slotOf(&KWindow::setWorldView), slotOf(&KWindow::setClearColor),
      -1, -1, // the destructor's two entries
      slotOf(&KWindow::createGameWindow), slotOf(&KWindow::terminate), slotOf(&KWindow::toggleFullScreen),
      slotOf(&KWindow::hasFocus), slotOf(&KWindow::setTitle), slotOf(&KWindow::flipBackBuffer),
      slotOf(&KWindow::processEvents), slotOf(&KWindow::isQuit), slotOf(&KWindow::getWindowHandle),
      slotOf(&KWindow::setMaxFrameRate), slotOf(&KWindow::getRectangleTexCap), slotOf(&KWindow::getAccelerationCap),
      slotOf(&KWindow::setRectangleTexCap), slotOf(&KWindow::setGamma), slotOf(&KWindow::getWindowWidth),
      slotOf(&KWindow::getWindowHeight), slotOf(&KWindow::restore), slotOf(&KWindow::minimize),
      slotOf(&KWindow::saveBackBuffer), slotOf(&KWindow::displayMouse), slotOf(&KWindow::enumerateDisplays),
      slotOf(&KWindow::setCallBack), slotOf(&KWindow::setVexoCallBack), slotOf(&KWindow::setQuit),
      slotOf(&KWindow::setScreenSaverInfo)};
  expectInOrder(window, "KWindow");
  const long last = static_cast<long>(std::size(window)) - 1;
  for (long added : {slotOf(&KWindow::runFrameLoop), slotOf(&KWindow::setWindowScale),
                     slotOf(&KWindow::setDesktopFullScreen), slotOf(&KWindow::isDesktopFullScreen)})
    EXPECT_GT(added, last);
  using Mode = void (KGraphic::*)(long);
  using Factors = void (KGraphic::*)(long, long);
  const long graphic[] = {
      -1, -1, slotOf(&KGraphic::loadPictureWithMask), slotOf(&KGraphic::loadPictureFromPtr),
      slotOf(&KGraphic::loadPicture), slotOf(&KGraphic::freePicture), slotOf(&KGraphic::getWidth),
      slotOf(&KGraphic::getHeight), slotOf(&KGraphic::setTextureQuality), slotOf(&KGraphic::drawRect),
      slotOf(&KGraphic::setLineWidth), slotOf(&KGraphic::drawLine), slotOf(&KGraphic::plotPixel),
      slotOf(&KGraphic::blitRect), slotOf(&KGraphic::blitRectFx), slotOf(&KGraphic::blitAlphaRect),
      slotOf(&KGraphic::blitAlphaRectFx), slotOf(&KGraphic::blitTiledRect), slotOf(&KGraphic::blitArbitraryQuad),
      slotOf(&KGraphic::blitRectF), slotOf(&KGraphic::blitRectFxF), slotOf(&KGraphic::blitAlphaRectF),
      slotOf(&KGraphic::blitAlphaRectFxF), slotOf(static_cast<Mode>(&KGraphic::setAlphaMode)),
      slotOf(static_cast<Factors>(&KGraphic::setAlphaMode)), slotOf(&KGraphic::stretchAlphaRect),
      slotOf(&KGraphic::grabBackBuffer), slotOf(&KGraphic::grabFrontBuffer), slotOf(&KGraphic::setColorKey),
      slotOf(&KGraphic::allowTextureWrap), slotOf(&KGraphic::setBlitColor), slotOf(&KGraphic::makePictureFromArray),
      slotOf(&KGraphic::pollArray), slotOf(&KGraphic::selectTexture), slotOf(&KGraphic::setHotSpot)};
  expectInOrder(graphic, "KGraphic");
}

// The platform layer reports through the engine's one routing: unrouted, a
// warning is a line on standard error; routed, the handler has it all.
TEST(Reports, ThePlatformLayerReportsAsTheEngineDoes) {
  setenv("ZUNK_GL", "glide", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::askedContextKind(), platform::ContextKind::Desktop);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("ZUNK_GL is not a kind of context (gl or es2): glide (desktop OpenGL is asked for)"),
            std::string::npos)
      << said;
  static std::vector<std::string> routed;
  routed.clear();
  KMiscTools::setReportHandler([](const KReport &r) {
    routed.push_back(std::to_string(r.level) + "|" + r.heading + "|" + r.detail + "|" + r.reason);
  });
  testing::internal::CaptureStderr();
  platform::askedContextKind();
  KMiscTools::report(K_REPORT_ERROR, "a program's own", "thing", "why");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  KMiscTools::setReportHandler(nullptr);
  unsetenv("ZUNK_GL");
  EXPECT_EQ(routed, (std::vector<std::string>{
                        "1|ZUNK_GL is not a kind of context (gl or es2)|glide|desktop OpenGL is asked for",
                        "2|a program's own|thing|why"}));
  EXPECT_STREQ(KMiscTools::getLastReport().reason, "why");
}

TEST(List, KeepsOrderAndLeavesElementsAliveWithNullLinks) {
  Item a(1), b(2), c(3);
  {
    KList<Item> list;
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.first(), nullptr);
    list.append(&a);
    list.append(&b);
    list.append(&c);
    EXPECT_EQ(list.count, 3);
    int expect = 1;
    for (Item *i = list.first(); i; i = list.after(i)) EXPECT_EQ(i->value, expect++);
    Item d(4);
    d = a; // assignment copies no membership
    EXPECT_EQ(d.next, nullptr);
    EXPECT_NE(a.next, nullptr);
    Item e(a);
    EXPECT_EQ(e.prev, nullptr);
  }
  EXPECT_EQ(a.next, nullptr);
  EXPECT_EQ(c.prev, nullptr);
  KList<Item> other;
  other.append(&b);
  EXPECT_EQ(other.first()->value, 2);
}

class Paths : public ::testing::Test {
protected:
  void SetUp() override {
    KMiscTools::initMiscTools();
    std::snprintf(KMiscTools::currentAppPath, 260, "/Games/Zunk");
    std::snprintf(KMiscTools::_resourcePath, 260, "data");
    std::snprintf(KMiscTools::currentFilePath, 260, "/Games");
  }
  void TearDown() override {
    KMiscTools::currentFilePath[0] = 0;
    KMiscTools::setFileSource(false);
    KMiscTools::initMiscTools();
  }
};

TEST_F(Paths, MakeFilePathFollowsTheFileSource) {
  KMiscTools::setFileSource(true);
  EXPECT_STREQ(KMiscTools::makeFilePath("fall.ogg"), "/Games/Zunk/data/fall.ogg");
  EXPECT_STREQ(KMiscTools::makeFilePath("pics\\a.png"), "/Games/Zunk/data/pics/a.png");
  EXPECT_STREQ(KMiscTools::makeFilePath("/abs/x.png"), "/abs/x.png");
  EXPECT_STREQ(KMiscTools::makeFilePath("\\/abs/x.png"), "/abs/x.png");
  EXPECT_STREQ(KMiscTools::getCurrentPath(), "/Games/Zunk/data");
  KMiscTools::setFileSource(false);
  EXPECT_STREQ(KMiscTools::makeFilePath("fall.ogg"), "/Games/fall.ogg");
  const char *first = KMiscTools::makeFilePath("a");
  const char *second = KMiscTools::makeFilePath("b");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "/Games/b");
  std::string longName(400, 'x');
  EXPECT_EQ(std::strlen(KMiscTools::makeFilePath(longName.c_str())), 259u);
  char path[] = "a:b\\c";
  KMiscTools::cleanPath(path);
  EXPECT_STREQ(path, "a/b/c");
}

TEST_F(Paths, AnInstalledDataFolderIsNeverWrittenEvenWhenItCouldBe) {
  char tmpl[] = "/tmp/zunkpathsXXXXXX";
  const std::string root = mkdtemp(tmpl);
  for (const char *folder : {"/games", "/share", "/share/games", "/share/games/zunk", "/data", "/user"})
    mkdir((root + folder).c_str(), 0755);
  setenv("XDG_DATA_HOME", (root + "/user").c_str(), 1);
  std::snprintf(KMiscTools::currentAppPath, 260, "%s/games", root.c_str());
  KMiscTools::setFileSource(true);
  // The games layout of a distribution, writable here (as for root): the user's folder.
  std::snprintf(KMiscTools::_resourcePath, 260, "../share/games/zunk");
  EXPECT_TRUE(KMiscTools::isDataFolderInstalled());
  EXPECT_EQ(std::string(KMiscTools::makeWritableFilePath("thescores")), root + "/user/zunk/thescores");
  // A build tree's data folder beside the program is written when it can be.
  std::snprintf(KMiscTools::currentAppPath, 260, "%s", root.c_str());
  std::snprintf(KMiscTools::_resourcePath, 260, "data");
  EXPECT_FALSE(KMiscTools::isDataFolderInstalled());
  EXPECT_EQ(std::string(KMiscTools::makeWritableFilePath("thescores")), root + "/data/thescores");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(std::system(("rm -rf " + root).c_str()), 0);
}

TEST_F(Paths, OnlyThePartBelowTheDataFolderIsLowerCased) {
  KMiscTools::setFileSource(true);
  char inside[] = "/Games/Zunk/data/Pics/A.PNG";
  KMiscTools::lowerDataFileName(inside);
  EXPECT_STREQ(inside, "/Games/Zunk/data/pics/a.png");
  char outside[] = "/Home/User/A.PNG";
  KMiscTools::lowerDataFileName(outside);
  EXPECT_STREQ(outside, "/Home/User/A.PNG");
  char relative[] = "Zunk.PNG";
  KMiscTools::lowerDataFileName(relative);
  EXPECT_STREQ(relative, "zunk.png");
}

TEST(Timer, CountsFreezesAndNeverJumps) {
  uint64_t now = 7000000; // microseconds on a scripted clock
  platform::setScriptedClock(&now);
  KMiscTools::initMiscTools();
  EXPECT_EQ(KMiscTools::getMilliseconds(), 0u);
  KMiscTools::setMilliseconds(1000);
  now += 20000;
  EXPECT_EQ(KMiscTools::getMilliseconds(), 1020u);
  now += 30000;
  KMiscTools::freezeTimer();
  EXPECT_EQ(KMiscTools::getMilliseconds(), 1020u); // the 30 ms before the freeze are not counted
  // A reading below the reference counts as forward time of the same size.
  KMiscTools::_starterMSTimer += 50;
  EXPECT_EQ(KMiscTools::getMilliseconds(), 1070u);
  // The microsecond count passes 32 bits after 71 minutes: no jump there.
  now = (uint64_t{1} << 32) - 1500;
  unsigned long before = KMiscTools::getMilliseconds();
  now += 3000;
  EXPECT_EQ(KMiscTools::getMilliseconds() - before, 3u);
  platform::setScriptedClock(nullptr);

  // A pause lasts at least as long as asked, on the real clock.
  KMiscTools::initMiscTools();
  KMiscTools::pause(0, false);
  unsigned long p0 = KMiscTools::getMilliseconds();
  KMiscTools::pause(15, false);
  EXPECT_GE(KMiscTools::getMilliseconds() - p0, 15u);
}

class Files : public ::testing::Test {
protected:
  std::string dir;
  void SetUp() override {
    char t[] = "/tmp/zunkcoreXXXXXX";
    dir = mkdtemp(t);
    KMiscTools::initMiscTools();
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  void write(const std::string &name, const std::string &bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
  }
  // A ustar archive made by GNU tar of the given members (path, content).
  std::string tar(const std::string &name, const std::vector<std::pair<std::string, std::string>> &members) {
    std::string in = dir + "/" + name + ".in", list;
    for (const auto &m : members) {
      std::string path = in + "/" + m.first;
      std::string cmd = "mkdir -p '" + path.substr(0, path.find_last_of('/')) + "'";
      EXPECT_EQ(std::system(cmd.c_str()), 0);
      std::ofstream(path, std::ios::binary) << m.second;
      list += " '" + m.first + "'";
    }
    std::string cmd = "cd '" + in + "' && tar --format=ustar -cf '../" + name + "'" + list;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    return dir + "/" + name;
  }
};

bool collect(char *name, bool isFolder, void *data) {
  auto *names = static_cast<std::set<std::string> *>(data);
  names->insert(std::string(name) + (isFolder ? "/" : ""));
  return true;
}

TEST_F(Files, FoldersAreListedCreatedAndTested) {
  write("a.txt", "x");
  EXPECT_TRUE(KMiscTools::createDirectory((dir + "/sub").c_str()));
  EXPECT_FALSE(KMiscTools::createDirectory((dir + "/sub").c_str()));
  EXPECT_FALSE(KMiscTools::createDirectory("a"));
  std::set<std::string> names;
  std::string pattern = dir + "/*.*";
  KMiscTools::enumerateFolder(pattern.data(), collect, &names);
  EXPECT_EQ(names, (std::set<std::string>{"../", "a.txt", "sub/"}));
  EXPECT_TRUE(KMiscTools::fileExists((dir + "/a.txt").c_str()));
  EXPECT_FALSE(KMiscTools::fileExists((dir + "/b.txt").c_str()));
  EXPECT_EQ(KMiscTools::FinderLaunch(0, nullptr), -50);
}

TEST_F(Files, PlainResourcesSeekTellAndReadAllOrNothing) {
  write("plain.bin", "0123456789");
  KResource r;
  EXPECT_EQ(r.open((dir + "/plain.bin").c_str(), static_cast<KResourceMode>(7)), 102);
  ASSERT_EQ(r.open((dir + "/plain.bin").c_str(), K_RES_READ), 0);
  EXPECT_EQ(r.open((dir + "/plain.bin").c_str(), K_RES_READ), 100);
  int pos = -1;
  r.seek(K_RES_END, 0);
  r.tell(pos);
  EXPECT_EQ(pos, 10);
  char buf[4] = {};
  r.seek(K_RES_BEGIN, 2);
  EXPECT_EQ(r.read(buf, 3), 0);
  EXPECT_EQ(std::string(buf, 3), "234");
  EXPECT_EQ(r.read(buf, 0), 106);
  r.seek(K_RES_BEGIN, 8);
  EXPECT_EQ(r.read(buf, 4), 106);
  EXPECT_EQ(r.seek(static_cast<KResourceWhence>(5), 0), 102);
  r.close();
  EXPECT_EQ(r.read(buf, 1), 100);
  KResource missing;
  EXPECT_EQ(missing.open((dir + "/none").c_str(), K_RES_READ), 104);
}

// Builds a tar with GNU tar and opens its members by name.
TEST_F(Files, ArchiveMembersAreFoundAndReadAsViews) {
  std::string pack = tar("pack.tar", {{"b.txt", std::string(700, 'b')}, {"pics/a.png", "PICTURE-A"}});
  std::string cmd = "cd '" + dir + "/pack.tar.in' && tar --format=ustar -rf ../pack.tar pics";
  ASSERT_EQ(std::system(cmd.c_str()), 0); // adds the folder member "pics/"
  KResourceArchive archive;
  ASSERT_EQ(archive.open(pack.c_str()), 0);
  KResource member;
  ASSERT_EQ(archive.openResource("pics\\a.png", &member), 0);
  int size = 0;
  member.seek(K_RES_END, 0);
  member.tell(size);
  EXPECT_EQ(size, 9);
  char buf[10] = {};
  member.seek(K_RES_BEGIN, 0);
  ASSERT_EQ(member.read(buf, 9), 0);
  EXPECT_STREQ(buf, "PICTURE-A");
  member.seek(K_RES_END, 2);
  member.tell(size);
  EXPECT_EQ(size, 7);
  member.close();
  EXPECT_NE(archive.file, nullptr); // the archive stays open
  KResource folder;
  EXPECT_EQ(archive.openResource("pics/", &folder), 104); // a folder member is skipped
  KResource none;
  EXPECT_EQ(archive.openResource("nothing", &none), 104);
}

TEST_F(Files, RegisteredArchivesAreSearchedByPathBelowTheDataFolder) {
  std::string data = KMiscTools::getCurrentPath();
  ASSERT_EQ(KResource::addArchive(tar("reg.tar", {{"pics/a.png", "FROM-ARCHIVE"}}).c_str()), 0);
  KResource r;
  ASSERT_EQ(r.open((data + "/Pics/A.png").c_str(), K_RES_READ), 0);
  char buf[13] = {};
  ASSERT_EQ(r.read(buf, 12), 0);
  EXPECT_STREQ(buf, "FROM-ARCHIVE");
  EXPECT_TRUE(r.sharedFile);
}

std::string header(const std::string &name, const char *size, char type) {
  std::string h(512, '\0');
  std::memcpy(&h[0], name.data(), std::min<size_t>(name.size(), 100));
  std::memcpy(&h[124], size, std::strlen(size));
  h[156] = type;
  return h;
}

TEST_F(Files, AMemberNameOfAHundredCharactersIsReadWithoutItsTerminator) {
  std::string name(100, 'n');
  write("long.tar", header(name, "3", '0') + std::string("abc") + std::string(509, '\0') + std::string(1024, '\0'));
  KResourceArchive archive;
  ASSERT_EQ(archive.open((dir + "/long.tar").c_str()), 0);
  KResource member;
  ASSERT_EQ(archive.openResource(name.c_str(), &member), 0);
  char buf[4] = {};
  ASSERT_EQ(member.read(buf, 3), 0);
  EXPECT_STREQ(buf, "abc");
  KResource shorter;
  EXPECT_EQ(archive.openResource(std::string(99, 'n').c_str(), &shorter), 104);
}

TEST_F(Files, HostileArchivesFailCleanly) {
  struct Case {
    const char *what;
    std::string bytes;
    int code;
  } cases[] = {
      {"truncated header", header("x", "1", '0').substr(0, 300), 106},
      {"huge size", header("a", "77777777777", '0') + std::string(512, 'z'), 106},
      {"non-octal size", header("a", "9z9", '0') + std::string(512, '\0'), 104},
      {"no end block", header("a", "5", '0') + std::string(512, 'q'), 106},
      {"folder with the name", header("x", "0", '5') + std::string(1024, '\0'), 104},
      {"size field with no terminator", header("a", "777777777777", '0') + std::string(512, '\0'), 106},
      {"empty file", std::string(), 106},
      // A 3.6 KB archive whose member claims 0x7FFFFE00 bytes: nothing may
      // trust the claim (a reader would allocate it).
      {"member larger than the archive", header("x", "17777777000", '0') + std::string(3072, 'z'), 106},
      {"a member before it larger than the archive", header("a", "17777777000", '0') + std::string(3072, 'z'), 106},
  };
  for (const Case &c : cases) {
    write("bad.tar", c.bytes);
    KResourceArchive archive;
    ASSERT_EQ(archive.open((dir + "/bad.tar").c_str()), 0) << c.what;
    KResource member;
    EXPECT_EQ(archive.openResource("x", &member), c.code) << c.what;
  }
}

} // namespace

// ------------------------------------------------------------------ frame pacing

// A game loop at 80 frames a second (12 ms a frame) against a simulated
// clock and display: each frame takes 3 ms to draw; a shown frame waits for
// the display's next refresh (refreshes at whole multiples of the refresh
// period) when there is vertical sync, and not at all without.
struct PacedRun {
  int frames = 0, shown = 0;
  uint64_t longestWaitToShow = 0; // from a frame's end to its showing
  uint64_t longestInputToScreen = 0; // from a frame's end to a frame at least as new on screen, less a drawing
};

PacedRun runPaced(uint64_t refresh, uint64_t seconds) {
  const uint64_t kPeriod = 12000, kDraw = 3000, kEnd = seconds * 1000000;
  FramePacer pacer;
  pacer.setPeriod(kPeriod);
  pacer.setRefresh(refresh);
  PacedRun run;
  uint64_t now = 1000;
  std::vector<uint64_t> frameEnds;      // when each frame's deadline fell
  std::vector<std::pair<int, uint64_t>> onScreen; // frame index, when it showed
  while (now < kEnd) {
    now += kDraw;
    const int frame = run.frames++;
    if (pacer.shouldShow(now)) {
      const uint64_t start = now;
      if (refresh) now = (now / refresh + 1) * refresh;
      pacer.shown(now);
      run.shown++;
      run.longestWaitToShow = std::max(run.longestWaitToShow, now - start);
      onScreen.push_back({frame, now});
    }
    now += pacer.waitFrom(now);
    pacer.next(now);
    frameEnds.push_back(pacer.deadline() - kPeriod);
  }
  size_t s = 0;
  for (int f = 0; f + 1 < run.frames; f++) {
    while (s < onScreen.size() && onScreen[s].first < f) s++;
    if (s == onScreen.size()) break;
    const uint64_t end = frameEnds[f];
    // A skipped frame's input shows with the next frame, drawn after it ends.
    if (onScreen[s].second > end + kDraw)
      run.longestInputToScreen = std::max(run.longestInputToScreen, onScreen[s].second - end - kDraw);
  }
  return run;
}

TEST(FramePacer, KeepsTheGamesPaceOnAnyDisplayAndShowsFramesPromptly) {
  const uint64_t kSeconds = 10;
  // 60, 75, 120 and 144 Hz, then no vertical sync.
  for (uint64_t refresh : {16667u, 13333u, 8333u, 6944u, 0u}) {
    SCOPED_TRACE(refresh);
    const PacedRun run = runPaced(refresh, kSeconds);
    // The cap's own count of frames: the display never slows the game.
    EXPECT_NEAR(run.frames, kSeconds * 1000000 / 12000, 1);
    EXPECT_LE(run.longestWaitToShow, refresh);
    const uint64_t oneRefresh = refresh ? refresh : 12000;
    EXPECT_LE(run.longestInputToScreen, oneRefresh);
    if (refresh < 12000) {
      EXPECT_EQ(run.shown, run.frames); // a display as fast as the game shows every frame
    } else {
      EXPECT_LT(run.shown, run.frames);
      EXPECT_GE(run.shown, static_cast<int>(kSeconds * 1000000 / refresh) - 1); // and it misses no refresh
    }
  }
}

TEST(FramePacer, DeadlinesAreAbsoluteAndALoopFarBehindStartsAfresh) {
  FramePacer pacer;
  pacer.setPeriod(12000);
  pacer.next(100000);
  EXPECT_EQ(pacer.deadline(), 112000u);
  EXPECT_EQ(pacer.waitFrom(105000), 7000u);
  // A frame 5 ms late: the next deadline stays on the schedule.
  pacer.next(117000);
  EXPECT_EQ(pacer.deadline(), 124000u);
  EXPECT_EQ(pacer.waitFrom(130000), 0u);
  // More than a frame behind: no burst of frames to catch up.
  pacer.next(140000);
  EXPECT_EQ(pacer.deadline(), 152000u);
  // No cap: no wait and every frame shown.
  pacer.setPeriod(0);
  pacer.next(200000);
  EXPECT_EQ(pacer.waitFrom(200000), 0u);
  EXPECT_TRUE(pacer.shouldShow(200000));
}

// A host that calls the loop at its display's refreshes (a browser's
// animation frames), with the refreshes a little late at times, as a busy
// page's are: each call runs the frames due by the call's time.
TEST(FramePacer, AHostsDisplayCallsRunTheGamesFramesAtTheGamesPace) {
  const uint64_t kSeconds = 10, kStart = 5000;
  for (uint64_t refresh : {16667u, 33333u, 8333u, 6944u}) {
    SCOPED_TRACE(refresh);
    FramePacer pacer;
    pacer.setPeriod(12000);
    int frames = 0, calls = 0, most = 0;
    uint64_t now = kStart, last = kStart;
    for (; now < kStart + kSeconds * 1000000; now += refresh + (calls % 7 == 3 ? 2000 : 0), calls++) {
      last = now;
      int run = 0;
      while (pacer.hostFrameDue(now)) {
        pacer.hostFrameRan(now);
        run++;
      }
      frames += run;
      most = std::max(most, run);
    }
    // The game's pace, whatever the display's: a frame every 12 ms of the
    // host's time, and never more in one call than that call's share.
    EXPECT_NEAR(frames, static_cast<double>(last - kStart) / 12000 + 1, 1);
    EXPECT_LE(most, static_cast<int>((refresh + 2000) / 12000) + 1);
    if (refresh < 12000) {
      EXPECT_LT(frames, calls); // a fast display's calls run no frame at times
    }
  }
}

TEST(FramePacer, AHostThatStoppedCallingStartsAfreshAndNoCapRunsAFrameACall) {
  FramePacer pacer;
  pacer.setPeriod(12000);
  ASSERT_TRUE(pacer.hostFrameDue(1000));
  pacer.hostFrameRan(1000);
  EXPECT_FALSE(pacer.hostFrameDue(12999));
  pacer.hostFrameRan(13000);
  // A tab in the background for ten seconds: one frame on its return, not 800.
  const uint64_t back = 10013000;
  int run = 0;
  while (pacer.hostFrameDue(back)) {
    pacer.hostFrameRan(back);
    run++;
  }
  EXPECT_EQ(run, 1);
  // A call a little late still catches up the frames that fell due.
  run = 0;
  while (pacer.hostFrameDue(back + 40000)) {
    pacer.hostFrameRan(back + 40000);
    run++;
  }
  EXPECT_EQ(run, 3);
  pacer.setPeriod(0);
  ASSERT_TRUE(pacer.hostFrameDue(back + 50000));
  pacer.hostFrameRan(back + 50000);
  EXPECT_FALSE(pacer.hostFrameDue(back + 50000));
  EXPECT_TRUE(pacer.hostFrameDue(back + 50001));
}

// ------------------------------------------------------------------ languages

namespace {
// Sets the locale variables for one case; null leaves a variable unset.
struct Environment {
  Environment(const char *language, const char *all, const char *messages, const char *lang) {
    set("LANGUAGE", language);
    set("LC_ALL", all);
    set("LC_MESSAGES", messages);
    set("LANG", lang);
  }
  ~Environment() {
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
  }
  static void set(const char *name, const char *value) {
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
};

std::string joined(const std::vector<std::string> &tags) {
  std::string s;
  for (const std::string &t : tags) s += (s.empty() ? "" : " ") + t;
  return s;
}
} // namespace

TEST(Languages, ABrowsersLanguagesBecomeTheGamesTags) {
  using Tags = std::vector<std::string>;
  EXPECT_EQ(platform::browserLanguageTags({"fr-FR", "fr", "en-US", "en"}), (Tags{"fr_FR", "fr", "en_US", "en"}));
  // Tags are read in any case, as the standard allows.
  EXPECT_EQ(platform::browserLanguageTags({"PT-br", "zh-cn"}), (Tags{"pt_BR", "zh_CN"}));
  // A script, a numeric region, a private use or garbage is no tag of ours:
  // Traditional Chinese must not read as the Simplified sheet.
  EXPECT_EQ(platform::browserLanguageTags({"zh-Hant-TW", "es-419", "x-klingon", "", "-", "fr-", "e1"}), Tags{});
  EXPECT_EQ(platform::browserLanguageTags({"zh-Hant-TW", "de"}), Tags{"de"});
}

TEST(Languages, TheEnvironmentIsReadAsGettextReadsIt) {
  struct Case {
    const char *language, *all, *messages, *lang, *expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, "fr_FR.UTF-8", "fr_FR"},
      {nullptr, nullptr, "de_AT@euro", "fr_FR.UTF-8", "de_AT"},      // LC_MESSAGES before LANG
      {nullptr, "pt_BR.utf8", "de_DE", "fr_FR", "pt_BR"},            // LC_ALL before both
      {"uk:ru_RU:pt_BR", nullptr, nullptr, "en_GB.UTF-8", "uk ru_RU pt_BR en_GB"},
      {"fr:de", "C", nullptr, nullptr, ""},                          // a C locale ignores LANGUAGE
      {"fr:de", "POSIX", nullptr, nullptr, ""},
      {"", "", "", "ja_JP.UTF-8", "ja_JP"},                          // empty values count as unset
      {"::zh_CN::", nullptr, nullptr, nullptr, "zh_CN"},
      {"FR:french:f:fr_fr:fr-FR:fr_FRA:../x:fil", nullptr, nullptr, "garbage", "fil"},
      {nullptr, nullptr, nullptr, nullptr, ""},
  };
  for (const Case &c : cases) {
    Environment env(c.language, c.all, c.messages, c.lang);
    EXPECT_EQ(joined(platform::preferredLanguages()), c.expected)
        << "LANGUAGE=" << (c.language ? c.language : "-") << " LC_ALL=" << (c.all ? c.all : "-")
        << " LC_MESSAGES=" << (c.messages ? c.messages : "-") << " LANG=" << (c.lang ? c.lang : "-");
    EXPECT_STREQ(KMiscTools::getLocale(), platform::preferredLocale().c_str());
  }
}
