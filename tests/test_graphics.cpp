// Real OpenGL through SDL's offscreen driver, on the context ZUNK_GL asks
// for (desktop OpenGL, or OpenGL ES 2 with ZUNK_GL=es2): pictures become
// textures and blits land where they should; pixels are read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "KGraphicGL.h"
#include "KInput.h"
#include "KMiscTools.h"
#include "KVexo.h"
#include "KWindowGL.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "Shaders.h"
#include "platform/PictureCodec.h"
#include "platform/Platform.h"

namespace {

KWindowGL *gWindow = nullptr;

struct Pixel {
  int r, g, b;
};

class Graphics : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    platform::setMessageHook([](const char *, const char *) {});
    openWindow();
  }
  static void openWindow() {
    delete gWindow;
    gWindow = static_cast<KWindowGL *>(KVexo::createKWindow(K_OPENGL, false));
    ASSERT_TRUE(gWindow->createGameWindow(320, 480, -1, true, "Zunk test"));
  }
  static void TearDownTestSuite() {
    delete gWindow;
    gWindow = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(gWindow, nullptr);
    gWindow->setClearColor(0, 0, 0, 1);
    gWindow->setWorldView(0, 0, 0, 1, true);
  }
  // Game coordinates, y downward; what is gathered is drawn first.
  Pixel at(int x, int y) {
    unsigned char p[4];
    batch::flush();
    glReadPixels(x, platform::gameAreaBottom() + 480 - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
  }
  // A 4x4 picture in four quadrants: red, green (top), blue, white (bottom).
  static std::vector<uint32_t> quadrants(int size) {
    std::vector<uint32_t> px(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) {
        bool right = x >= size / 2, bottom = y >= size / 2;
        px[y * size + x] = !bottom ? (right ? 0xFF00FF00u : 0xFF0000FFu) : (right ? 0xFFFFFFFFu : 0xFFFF0000u);
      }
    return px;
  }
};

// A scratch folder, removed with everything in it.
struct Scratch {
  std::string dir;
  Scratch() {
    char t[] = "/tmp/zunkgfxXXXXXX";
    dir = mkdtemp(t);
  }
  ~Scratch() {
    std::string cmd = "rm -rf '" + dir + "'";
    if (std::system(cmd.c_str()) != 0) std::perror("rm");
  }
};

// Every report made while it lives, taken from the engine's routing.
struct Reports {
  struct Entry {
    EReportLevel level;
    std::string heading, detail, reason;
  };
  static std::vector<Entry> &entries() {
    static std::vector<Entry> list;
    return list;
  }
  Reports() {
    entries().clear();
    KMiscTools::setReportHandler(
        [](const KReport &r) { entries().push_back({r.level, r.heading, r.detail, r.reason}); });
  }
  ~Reports() { KMiscTools::setReportHandler(nullptr); }
  size_t size() const { return entries().size(); }
  const Entry &at(size_t i) const { return entries().at(i); }
};

void expectColour(Pixel p, int r, int g, int b, const char *where) {
  EXPECT_NEAR(p.r, r, 8) << where;
  EXPECT_NEAR(p.g, g, 8) << where;
  EXPECT_NEAR(p.b, b, 8) << where;
}

TEST_F(Graphics, BlitsLandAtTheirPlaceFlippedTurnedAndZoomed) {
  KGraphicGL g;
  auto px = quadrants(32);
  ASSERT_TRUE(g.makePictureFromArray(px.data(), 32, 32, true, false));
  g.setTextureQuality(false);
  g.blitAlphaRect(0, 0, 32, 32, 10, 20, false, false);
  expectColour(at(10, 20), 255, 0, 0, "top-left red");
  expectColour(at(41, 20), 0, 255, 0, "top-right green");
  expectColour(at(10, 51), 0, 0, 255, "bottom-left blue");
  expectColour(at(9, 20), 0, 0, 0, "outside");
  g.blitAlphaRect(0, 0, 32, 32, 100, 20, true, false);
  expectColour(at(100, 20), 0, 255, 0, "flipped X");
  g.blitAlphaRectFx(0, 0, 32, 32, 200, 100, 90, 1, 1, false, false, 0, 0);
  // Turned a quarter counter-clockwise: the top-right (green) goes to the top-left.
  expectColour(at(202, 102), 0, 255, 0, "turned 90");
  g.blitAlphaRectFx(0, 0, 32, 32, 100, 300, 0, 2, 1, false, false, 0, 0);
  expectColour(at(85, 285), 255, 0, 0, "zoom 2 grows about the middle");
  expectColour(at(145, 345), 255, 255, 255, "zoom 2 bottom-right");
}

TEST_F(Graphics, BlendTintAndRectangles) {
  KGraphicGL g;
  std::vector<uint32_t> white(16, 0xFFFFFFFFu);
  ASSERT_TRUE(g.makePictureFromArray(white.data(), 4, 4, true, false));
  g.blitAlphaRectFx(0, 0, 4, 4, 10, 10, 0, 1, 0.5f, false, false, 0, 0);
  expectColour(at(11, 11), 128, 128, 128, "half blend");
  g.drawRect(50, 50, 60, 60, 1, 1, 1, 1);
  g.setBlitColor(0, 0, 0, 1);
  g.blitAlphaRectFx(0, 0, 4, 4, 52, 52, 0, 1, 1, false, false, 0, 0);
  g.setBlitColor(1, 1, 1, 1);
  expectColour(at(53, 53), 0, 0, 0, "black silhouette");
  expectColour(at(58, 58), 255, 255, 255, "opaque rectangle");
  g.drawRect(100, 100, 110, 110, 1, 0, 0, 0.5f);
  expectColour(at(105, 105), 128, 0, 0, "half rectangle");
  g.setBlitColor(2, -1, 0.5f, 1);
  EXPECT_TRUE(g.tintOn);
  EXPECT_FLOAT_EQ(g.tintRed, 1);
  EXPECT_FLOAT_EQ(g.tintGreen, 0);
  g.setAlphaMode(4);
  EXPECT_EQ(g.dstBlend, GL_ONE);
  g.setAlphaMode(7);
  EXPECT_EQ(g.dstBlend, GL_ONE);
}

TEST_F(Graphics, TextureKindsFollowThePictureSize) {
  auto block = [](int w, int h, int bpp) {
    size_t len = 18 + static_cast<size_t>(w) * h * (bpp / 8);
    unsigned char *b = new unsigned char[len]();
    b[12] = w & 0xFF;
    b[13] = w >> 8;
    b[14] = h & 0xFF;
    b[15] = h >> 8;
    b[16] = static_cast<unsigned char>(bpp);
    return std::make_pair(b, len);
  };
  // Other sizes are rectangle textures where the context has them (desktop
  // OpenGL), 2D textures of exactly their size elsewhere (ES).
  const int32_t other = batch::rectangleTextures() ? KGraphicGL::kRectangleTexture : GL_TEXTURE_2D;
  EXPECT_EQ(batch::rectangleTextures(), !batch::isES());
  KGraphicGL g;
  auto b = block(256, 256, 32);
  ASSERT_TRUE(g.buildGLTexture(b.first, b.second, true, true));
  EXPECT_EQ(g.textureTarget, GL_TEXTURE_2D);
  EXPECT_FLOAT_EQ(g.textureWidth, 256);
  // Sides of powers of two, not square: a 2D texture too.
  b = block(64, 128, 32);
  ASSERT_TRUE(g.buildGLTexture(b.first, b.second, true, true));
  EXPECT_EQ(g.textureTarget, GL_TEXTURE_2D);
  EXPECT_FLOAT_EQ(g.textureHeight, 128);
  b = block(320, 480, 32);
  ASSERT_TRUE(g.buildGLTexture(b.first, b.second, true, true));
  EXPECT_EQ(g.textureTarget, other);
  EXPECT_FLOAT_EQ(g.textureWidth, 320);
  EXPECT_FLOAT_EQ(g.textureHeight, 480);
  EXPECT_EQ(g.pow2Size, 512u);
  b = block(2, 2, 24);
  ASSERT_TRUE(g.buildGLTexture(b.first, b.second, true, true));
  EXPECT_EQ(g.textureTarget, other);
  KGraphicGL h;
  b = block(8, 8, 16);
  EXPECT_FALSE(h.buildGLTexture(b.first, b.second, true, true));
  EXPECT_FLOAT_EQ(h.getWidth(), 0);
  // Depths other than 24 and 32 are refused too, whatever size the header
  // claims: 32767 by 32767 in an 18-byte block.
  for (int bpp : {8, 25, 40, 255}) {
    b = block(0, 0, bpp);
    b.first[12] = b.first[14] = 0xFF;
    b.first[13] = b.first[15] = 0x7F;
    EXPECT_FALSE(h.buildGLTexture(b.first, b.second, true, true)) << bpp;
    EXPECT_FLOAT_EQ(h.getWidth(), 0);
  }
  // A header that promises more pixels than the block holds is refused.
  b = block(8, 8, 32);
  b.first[12] = 200;
  EXPECT_FALSE(h.buildGLTexture(b.first, b.second, true, true));
  // A depth of 24 or more that is not read gives a transparent picture of
  // its size.
  b = block(8, 8, 40);
  std::fill(b.first + 18, b.first + b.second, 0xFF);
  ASSERT_TRUE(h.buildGLTexture(b.first, b.second, true, true));
  EXPECT_FLOAT_EQ(h.getWidth(), 8);
  gWindow->setWorldView(0, 0, 0, 1, true);
  h.blitAlphaRect(0, 0, 8, 8, 20, 20, false, false);
  expectColour(at(23, 23), 0, 0, 0, "a 40-bit block draws transparent");
}

TEST_F(Graphics, PicturesLoadFromFilesWithTheirColourKey) {
  Scratch scratch;
  const std::string &dir = scratch.dir;
  // A 2x1 PNG: magenta then yellow, written by the engine's own saver.
  KGraphicGL g;
  g.drawRect(0, 0, 1, 1, 1, 0, 1, 1);
  g.drawRect(1, 0, 2, 1, 1, 1, 0, 1);
  ASSERT_TRUE(gWindow->saveBackBuffer((dir + "/Shot.png").c_str(), 3, 2, 1));
  g.setColorKey(true, 255, 0, 255);
  std::string name = dir + "/Shot.png";
  ASSERT_TRUE(g.loadPicture(name.c_str(), true, true)) << "a capital outside the data folder is kept";
  EXPECT_FLOAT_EQ(g.getWidth(), 2);
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.blitAlphaRect(0, 0, 2, 1, 30, 30, false, false);
  expectColour(at(30, 30), 0, 0, 0, "keyed magenta is transparent");
  expectColour(at(31, 30), 255, 255, 0, "yellow stays");
  // A mask: black makes the picture's pixel transparent, white opaque.
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.drawRect(0, 0, 1, 1, 0, 0, 0, 1);
  g.drawRect(1, 0, 2, 1, 1, 1, 1, 1);
  ASSERT_TRUE(gWindow->saveBackBuffer((dir + "/mask.png").c_str(), 3, 2, 1));
  KGraphicGL masked;
  ASSERT_TRUE(masked.loadPictureWithMask((dir + "/Shot.png").c_str(), (dir + "/mask.png").c_str(), true));
  gWindow->setWorldView(0, 0, 0, 1, true);
  masked.blitAlphaRect(0, 0, 2, 1, 40, 40, false, false);
  expectColour(at(40, 40), 0, 0, 0, "masked out");
  expectColour(at(41, 40), 255, 255, 0, "kept by the mask");
  // Loading with a mask is true whatever loaded: the size tells.
  EXPECT_TRUE(masked.loadPictureWithMask((dir + "/none.png").c_str(), (dir + "/mask.png").c_str(), true));
  EXPECT_FLOAT_EQ(masked.getWidth(), 0);
  KGraphicGL missing;
  EXPECT_FALSE(missing.loadPicture((dir + "/none.png").c_str(), true, true));
  EXPECT_FLOAT_EQ(missing.getWidth(), 0);
  std::ofstream(dir + "/cut.png", std::ios::binary) << "\x89PNG\r\n\x1a\n\0\0\0\rIHDR";
  EXPECT_FALSE(missing.loadPicture((dir + "/cut.png").c_str(), true, true));
  // A chunk after the header that claims more bytes than the file holds (the
  // PNG library went round such a file for ever): refused.
  std::ifstream saved(dir + "/Shot.png", std::ios::binary);
  std::string png((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  ASSERT_GT(png.size(), 40u);
  const size_t afterHeader = 8 + 12 + 13;
  png.replace(afterHeader, 4, std::string("\0\0\x45\x04", 4));
  EXPECT_FALSE(missing.loadPictureFromPtr("long.png", reinterpret_cast<unsigned char *>(&png[0]), png.size(), true, true));
  // A TGA header that promises 32770 by 30210 pixels in 30 bytes is refused
  // before anything is allocated.
  unsigned char huge[30] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0xff, 0, 0, 2, 0x80, 2, 0x76, 0x18, 0};
  EXPECT_FALSE(missing.loadPictureFromPtr("huge.tga", huge, sizeof huge, true, true));
  unsigned char text[] = "no picture here at all";
  EXPECT_FALSE(missing.loadPictureFromPtr("noextension", text, sizeof text, true, true));
}

TEST_F(Graphics, EverySavedFormatReadsBackWithTheTopRowOnTop) {
  Scratch scratch;
  const std::string &dir = scratch.dir;
  KGraphicGL g;
  g.drawRect(0, 0, 320, 10, 1, 0, 0, 1);
  const char *names[4] = {"a.bmp", "a.jpg", "a.tga", "a.png"};
  for (int f = 0; f < 4; f++) {
    std::string path = dir + "/" + names[f];
    ASSERT_TRUE(gWindow->saveBackBuffer(path.c_str(), f, 0, 0));
    KGraphicGL back;
    ASSERT_TRUE(back.loadPicture(path.c_str(), true, true)) << names[f];
    EXPECT_FLOAT_EQ(back.getWidth(), 320);
    EXPECT_FLOAT_EQ(back.getHeight(), 480);
    gWindow->setWorldView(0, 0, 0, 1, true);
    back.blitAlphaRect(0, 0, 320, 480, 0, 0, false, false);
    expectColour(at(5, 2), 255, 0, 0, names[f]);
    expectColour(at(5, 400), 0, 0, 0, names[f]);
    g.drawRect(0, 0, 320, 10, 1, 0, 0, 1);
  }
}

// A save is false only when its pixels cannot be had; a file that cannot be
// written is told in a message box, and an unknown format writes nothing,
// not even over a file of its name. The pointer shows for the box.
TEST_F(Graphics, SavingSaysWhatBecameOfTheFileAndShowsThePointer) {
  Scratch scratch;
  static std::vector<std::pair<std::string, std::string>> boxes;
  boxes.clear();
  platform::setMessageHook([](const char *heading, const char *detail) { boxes.push_back({heading, detail}); });
  KInput::hidePointer();
  EXPECT_TRUE(gWindow->saveBackBuffer((scratch.dir + "/a.png").c_str(), 3, 0, 0));
  EXPECT_TRUE(KInput::_cursorVisibility) << "the pointer shows after a save";
  EXPECT_TRUE(gWindow->saveBackBuffer((scratch.dir + "/no/such/folder/a.png").c_str(), 3, 0, 0));
  std::ofstream(scratch.dir + "/kept") << "the player's";
  EXPECT_TRUE(gWindow->saveBackBuffer((scratch.dir + "/kept").c_str(), 9, 0, 0));
  std::ifstream kept(scratch.dir + "/kept");
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "the player's");
  platform::setMessageHook([](const char *, const char *) {});
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], std::make_pair(std::string("export ok"), scratch.dir + "/a.png"));
  // The box's own words, and below them why.
  EXPECT_EQ(boxes[1].first, "can't do export");
  EXPECT_EQ(boxes[1].second.rfind("GraphicsExportDoExport error -1\n", 0), 0u) << boxes[1].second;
  EXPECT_GT(boxes[1].second.size(), std::strlen("GraphicsExportDoExport error -1\n"));
}

// Every failure is one report with a level and a reason, through the one
// routing a program may take over: the boxes the interface shows keep their
// words and gain the reason; a failure whose result says it is a warning.
TEST_F(Graphics, FailuresAreReportedWithALevelAndAReason) {
  static std::vector<std::pair<std::string, std::string>> boxes;
  boxes.clear();
  platform::setMessageHook([](const char *heading, const char *detail) { boxes.push_back({heading, detail}); });
  KGraphicGL g;
  EXPECT_FALSE(g.loadPictureFromPtr("empty.png", nullptr, 0, true, true));
  EXPECT_FALSE(g.loadPicture("/no/such/picture.png", true, true));
  platform::setMessageHook([](const char *, const char *) {});
  // Unrouted: the error shows its box, the warning no box.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], std::make_pair(std::string(" hImageDF == 0 "), std::string("empty.png\nno bytes to decode")));
  const KReport last = KMiscTools::getLastReport();
  EXPECT_EQ(last.level, K_REPORT_WARNING);
  EXPECT_STREQ(last.detail, "/no/such/picture.png");
  EXPECT_STRNE(last.reason, "");
  // Routed, every report comes to the handler and no box shows.
  Reports reports;
  unsigned char text[] = "no picture here at all";
  EXPECT_FALSE(g.loadPictureFromPtr("words.png", text, sizeof text, true, true));
  EXPECT_FALSE(g.loadPictureFromPtr("none.png", nullptr, 0, true, true));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports.at(0).level, K_REPORT_WARNING);
  EXPECT_EQ(reports.at(0).heading, "could not decode picture");
  EXPECT_EQ(reports.at(0).detail, "words.png");
  EXPECT_FALSE(reports.at(0).reason.empty());
  EXPECT_EQ(reports.at(1).level, K_REPORT_ERROR);
  EXPECT_EQ(reports.at(1).heading, " hImageDF == 0 ");
  EXPECT_TRUE(boxes.size() == 1u) << "no box while a handler takes the reports";
}

// The caller's own OpenGL after selectTexture draws in the world view with
// the colour the last blit left, and the engine's next blit draws as ever.
TEST_F(Graphics, ACallersOwnQuadAfterSelectTextureDrawsInTheWorldView) {
  KGraphicGL g;
  std::vector<uint32_t> white(16, 0xFFFFFFFFu);
  ASSERT_TRUE(g.makePictureFromArray(white.data(), 4, 4, true, false));
  g.setBlitColor(1, 0, 0, 1);
  g.blitAlphaRect(0, 0, 4, 4, 300, 0, false, false); // leaves red current
  g.setBlitColor(1, 1, 1, 1);
  gWindow->setWorldView(20, 10, 0, 1, false); // 20 pixels right, 10 up
  g.selectTexture();
  GLint program = -1, bound = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(program, 0);
  EXPECT_EQ(static_cast<unsigned>(bound), g.textureName);
  if (!batch::isES()) {
    // The fixed function: a quad over the game's (10, 30)-(30, 50), y upward.
    using Begin = void (*)(GLenum);
    using End = void (*)();
    using Pair = void (*)(GLfloat, GLfloat);
    auto begin = reinterpret_cast<Begin>(platform::glFunction("glBegin"));
    auto end = reinterpret_cast<End>(platform::glFunction("glEnd"));
    auto texCoord = reinterpret_cast<Pair>(platform::glFunction("glTexCoord2f"));
    auto vertex = reinterpret_cast<Pair>(platform::glFunction("glVertex2f"));
    ASSERT_TRUE(begin && end && texCoord && vertex);
    const GLenum kQuads = 0x0007;
    begin(kQuads);
    texCoord(0, 0), vertex(10, 480 - 30);
    texCoord(0, 1), vertex(10, 480 - 50);
    texCoord(1, 1), vertex(30, 480 - 50);
    texCoord(1, 0), vertex(30, 480 - 30);
    end();
    expectColour(at(40, 30), 255, 0, 0, "the caller's quad, moved by the view, in the current colour");
    expectColour(at(15, 45), 0, 0, 0, "not where it would be without the view");
  } else {
    float view[16];
    KGraphicGL::worldViewMatrix(view);
    EXPECT_FLOAT_EQ(view[12], -1 + 2 * 20.0f / 320) << "the view moves 20 pixels right";
  }
  gWindow->setDefaultWorldView();
  g.blitAlphaRect(0, 0, 4, 4, 100, 100, false, false);
  expectColour(at(101, 101), 255, 255, 255, "the engine's next blit");
}

TEST_F(Graphics, AGrabReplacesTheTextureItHad) {
  KGraphicGL g;
  ASSERT_TRUE(g.grabBackBuffer(nullptr));
  const int32_t once = KGraphicGL::videoMemory;
  for (int i = 0; i < 3; i++) ASSERT_TRUE(g.grabBackBuffer(nullptr));
  EXPECT_EQ(KGraphicGL::videoMemory, once);
  g.freePicture();
  ASSERT_TRUE(g.grabFrontBuffer());
  gWindow->flipBackBuffer(false, true);
  ASSERT_TRUE(g.grabFrontBuffer());
  EXPECT_EQ(KGraphicGL::videoMemory, once);
}

TEST_F(Graphics, TheFrontBufferHoldsTheFrameLastShown) {
  // Every frame shown is kept (OpenGL ES cannot read a window's front
  // buffer): the first grab of a fresh window at scale 1 finds the frame
  // last shown, and so does every one after it.
  openWindow();
  const int blues[3] = {0, 255, 0};
  for (int blue : blues) {
    KGraphicGL g;
    gWindow->setWorldView(0, 0, 0, 1, true);
    g.drawRect(0, 0, 320, 480, (255 - blue) / 255.0f, 0, blue / 255.0f, 1);
    gWindow->flipBackBuffer(false, true);
    g.drawRect(0, 0, 320, 480, 0, 1, 0, 1); // the next frame, not shown yet
    KGraphicGL grab;
    ASSERT_TRUE(grab.grabFrontBuffer());
    EXPECT_FLOAT_EQ(grab.getWidth(), 320);
    gWindow->setWorldView(0, 0, 0, 1, true);
    grab.blitAlphaRect(0, 0, 320, 480, 0, 0, false, false);
    expectColour(at(5, 5), 255 - blue, 0, blue, "the frame last shown");
  }
}

TEST_F(Graphics, GrabsAndTheGammaOverlay) {
  KGraphicGL g;
  g.drawRect(0, 0, 10, 10, 0.2f, 0.4f, 0.6f, 1);
  KGraphicGL grab;
  ASSERT_TRUE(grab.grabBackBuffer([](long, long, long *r, long *g2, long *b) {
    *r = 255 - *r;
    *g2 = 255 - *g2;
    *b = 300; // only the low 8 bits are kept: 44
  }));
  EXPECT_FLOAT_EQ(grab.getWidth(), 320);
  gWindow->setWorldView(0, 0, 0, 1, true);
  grab.blitAlphaRect(0, 0, 320, 480, 0, 0, false, false);
  expectColour(at(2, 2), 204, 153, 44, "negative image");
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.drawRect(0, 0, 320, 480, 1, 1, 1, 1);
  gWindow->setGamma(0.5f);
  gWindow->doGammaAdjustment();
  gWindow->setGamma(1);
  expectColour(at(100, 100), 128, 128, 128, "gamma 0.5 halves white");
}

TEST_F(Graphics, AlphaModesMasksLinesStretchesAndTiles) {
  KGraphicGL g;
  std::vector<uint32_t> half(16, 0x80FFFFFFu); // white at alpha 128
  ASSERT_TRUE(g.makePictureFromArray(half.data(), 4, 4, true, false));
  const struct {
    long mode;
    int expect; // on a grey of 100
  } modes[] = {{1, 178}, {2, 255}, {3, 50}, {4, 228}, {0, 228}};
  for (const auto &m : modes) {
    gWindow->setWorldView(0, 0, 0, 1, true);
    g.drawRect(0, 0, 20, 20, 100 / 255.0f, 100 / 255.0f, 100 / 255.0f, 1);
    g.setAlphaMode(m.mode);
    g.blitAlphaRect(0, 0, 4, 4, 5, 5, false, false);
    EXPECT_NEAR(at(6, 6).r, m.expect, 3) << "alpha mode " << m.mode;
  }
  g.setAlphaMode(1);

  // flipY turns the picture upside down inside the same place.
  KGraphicGL q;
  auto px = quadrants(32);
  ASSERT_TRUE(q.makePictureFromArray(px.data(), 32, 32, true, false));
  gWindow->setWorldView(0, 0, 0, 1, true);
  q.blitAlphaRect(0, 0, 32, 32, 10, 10, false, true);
  expectColour(at(10, 10), 0, 0, 255, "flipped Y: blue on top");
  q.blitAlphaRect(0, 0, 32, 32, 100, 10, true, true);
  expectColour(at(100, 10), 255, 255, 255, "both flips: half a turn");
  // A stretch onto 64 by 16, and the same picture tiled twice across.
  q.stretchAlphaRect(0, 0, 32, 32, 50, 100, 114, 116, 1, 0, false, false);
  expectColour(at(51, 101), 255, 0, 0, "stretched top-left");
  expectColour(at(112, 114), 255, 255, 255, "stretched bottom-right");
  q.allowTextureWrap(true);
  q.blitTiledRect(150, 100, 64, 64, 2, 0);
  Pixel a = at(151, 101), b = at(151 + 32, 101);
  EXPECT_EQ(a.r, b.r);
  EXPECT_EQ(a.g, b.g);
  EXPECT_EQ(a.b, b.b);
  // A line whose alpha fades from 1 to 0 is bright at its start only.
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.setLineWidth(3);
  g.drawLine(10, 300, 210, 300, 1, 1, 1, 1, 0);
  g.setLineWidth(1);
  EXPECT_GT(at(12, 300).r, 230);
  EXPECT_LT(at(208, 300).r, 25);
  EXPECT_NEAR(at(110, 300).r, 128, 12);
}

TEST_F(Graphics, TheBoundTextureCachePollArrayAndTheHalfPixelPivot) {
  KGraphicGL a, b;
  std::vector<uint32_t> red(16, 0xFF0000FFu), green(16, 0xFF00FF00u);
  ASSERT_TRUE(a.makePictureFromArray(red.data(), 4, 4, true, false));
  ASSERT_TRUE(b.makePictureFromArray(green.data(), 4, 4, true, false));
  gWindow->setWorldView(0, 0, 0, 1, true);
  a.blitAlphaRect(0, 0, 4, 4, 0, 0, false, false);
  EXPECT_EQ(KGraphicGL::_oldBindedText, static_cast<int32_t>(a.textureName));
  b.blitAlphaRect(0, 0, 4, 4, 10, 0, false, false);
  EXPECT_EQ(KGraphicGL::_oldBindedText, static_cast<int32_t>(b.textureName));
  KGraphicGL::vexo_glUnbindTexture();
  EXPECT_LT(KGraphicGL::_oldBindedText, 0);
  a.blitAlphaRect(0, 0, 4, 4, 20, 0, false, false);
  expectColour(at(21, 1), 255, 0, 0, "bound again after the cache was forgotten");
  // pollArray uploads the changed array; a picture from a file has none.
  for (uint32_t &p : red) p = 0xFFFF0000u;
  a.pollArray();
  a.blitAlphaRect(0, 0, 4, 4, 30, 0, false, false);
  expectColour(at(31, 1), 0, 0, 255, "the array's new colour");
  // Once the picture is replaced the array is no longer its own: pollArray
  // leaves the new picture alone (and reads nothing of the old array).
  KGraphicGL d;
  ASSERT_TRUE(d.makePictureFromArray(red.data(), 4, 4, true, false));
  ASSERT_TRUE(d.grabBackBuffer(nullptr));
  red.assign(16, 0xFF00FF00u);
  d.pollArray();
  gWindow->setWorldView(0, 0, 0, 1, true);
  d.blitAlphaRect(30, 0, 34, 4, 60, 0, false, false);
  expectColour(at(61, 1), 0, 0, 255, "the grab, not the old array");
  // An odd-sized rectangle zoomed lies half a pixel right of and below its
  // pivot: a 3 by 3 square at zoom 2 covers x 10 to 16 from 11 to 16 only
  // after truncation of the -1.5 offset to -1.
  KGraphicGL c;
  std::vector<uint32_t> white(9, 0xFFFFFFFFu);
  ASSERT_TRUE(c.makePictureFromArray(white.data(), 3, 3, true, false));
  gWindow->setWorldView(0, 0, 0, 1, true);
  c.blitAlphaRectFx(0, 0, 3, 3, 100, 100, 0, 2, 1, false, false, 0, 0);
  // Pivot at (101.5, 101.5); the quad runs from -1 to 2 about it, times 2.
  expectColour(at(99, 99), 0, 0, 0, "left of the truncated quad");
  expectColour(at(100, 100), 255, 255, 255, "the quad's first pixel");
  expectColour(at(104, 104), 255, 255, 255, "the quad's last pixel");
  expectColour(at(106, 106), 0, 0, 0, "right of the quad");
}

TEST_F(Graphics, TheWorldViewMovesTurnsAndZoomsWhatIsDrawn) {
  KGraphicGL g;
  EXPECT_EQ(KWindowGL::_windowDepth, 16); // -1 asks for 16 bits
  gWindow->setWorldView(50, 0, 0, 1, true);
  g.drawRect(10, 10, 20, 20, 1, 1, 1, 1);
  expectColour(at(65, 15), 255, 255, 255, "translated right by 50");
  expectColour(at(15, 15), 0, 0, 0, "not at its own place");
  gWindow->setWorldView(0, 0, 180, 1, true);
  g.drawRect(10, 10, 20, 20, 1, 1, 1, 1);
  expectColour(at(320 - 15, 480 - 15), 255, 255, 255, "turned half a turn about the middle");
  gWindow->setWorldView(0, 0, 0, 2, true);
  g.drawRect(150, 230, 170, 250, 1, 1, 1, 1);
  expectColour(at(141, 221), 255, 255, 255, "zoomed about the middle");
  expectColour(at(138, 218), 0, 0, 0, "outside the zoomed square");
}

TEST_F(Graphics, FullScreenKeepsTexturesAndTheFrameCapHolds) {
  KGraphicGL g;
  std::vector<uint32_t> red(16, 0xFF0000FFu);
  ASSERT_TRUE(g.makePictureFromArray(red.data(), 4, 4, true, false));
  gWindow->toggleFullScreen(true);
  gWindow->toggleFullScreen(false);
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.blitAlphaRect(0, 0, 4, 4, 20, 20, false, false);
  expectColour(at(21, 21), 255, 0, 0, "the texture survives the switches");

  // At 80 frames a second flips keep to a schedule of absolute deadlines:
  // flip i never comes before i frame times after the first (less the
  // millisecond a clock may round away), however late one of them was. How
  // close the cap keeps to its pace on a quiet machine is measured by
  // bench/bench_framecap.
  gWindow->setMaxFrameRate(80);
  EXPECT_EQ(gWindow->frameTime, 12u);
  using Clock = std::chrono::steady_clock;
  const int kFlips = 80;
  Clock::time_point first;
  for (int i = 0; i < kFlips; i++) {
    gWindow->setWorldView(0, 0, 0, 1, true);
    gWindow->flipBackBuffer(false, true);
    const auto now = Clock::now();
    if (i == 0) first = now;
    const double since = std::chrono::duration<double, std::milli>(now - first).count();
    EXPECT_GE(since, i * 12 - 1.0) << "flip " << i;
  }
  gWindow->setMaxFrameRate(0);
  EXPECT_EQ(gWindow->frameTime, 0u);
  gWindow->setMaxFrameRate(2000);
  EXPECT_EQ(gWindow->frameTime, 0u);
  // Under an X server without a window manager the window keeps the full
  // screen's size after the switch back: the tests after this one get a
  // window of the game's size again.
  openWindow();
}

} // namespace

// Parts of a picture that are opaque everywhere a blit can sample are drawn
// without blending (the same pixels, less work); a part that reaches a
// translucent texel, or a smooth filter's neighbours of one, still blends.
// A small opaque part joins a blended run rather than costing a draw call.
TEST_F(Graphics, OpaquePartsOfAPictureDrawWithoutBlending) {
  Scratch scratch;
  // The engine's order: B, G, R, A, bottom row first.
  std::vector<unsigned char> bgra(128 * 128 * 4, 200);
  for (size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 255;
  bgra[((127 - 12) * 128 + 12) * 4 + 3] = 128; // one translucent texel at (12, 12)
  const std::string path = scratch.dir + "/part.png";
  ASSERT_TRUE(platform::encodePicture(path.c_str(), platform::PictureFormat::PNG, 128, 128, bgra.data()));
  KGraphicGL g;
  ASSERT_TRUE(g.loadPicture(path.c_str(), true, true));
  g.setTextureQuality(false);
  // Each blit starts a run of its own unless said otherwise.
  auto blends = [&](float x1, float y1, float x2, float y2, float alpha, bool alone = true) {
    if (alone) batch::flush();
    g.blitAlphaRectFx(x1, y1, x2, y2, 0, 0, 0, 1, alpha, false, false, 0, 0);
    const batch::State *run = batch::gathering();
    return run && run->blending;
  };
  EXPECT_FALSE(blends(0, 0, 8, 8, 1));
  EXPECT_FALSE(blends(0, 0, 16, 8, 1)); // the whole width, above the translucent tile
  EXPECT_TRUE(blends(0, 0, 8, 8, 0.5f)); // faded
  EXPECT_TRUE(blends(8, 8, 16, 16, 1));  // the translucent texel inside
  EXPECT_TRUE(blends(0, 0, 129, 8, 1));  // past the picture's edge
  g.setAlphaMode(4);                     // additive: never the source alone
  EXPECT_TRUE(blends(0, 0, 8, 8, 1));
  g.setAlphaMode(1);
  // After a blended blit, a small opaque one joins its run; a large one is
  // drawn apart, unblended.
  EXPECT_TRUE(blends(8, 8, 16, 16, 1));
  const uint64_t calls = batch::counts().drawCalls;
  EXPECT_TRUE(blends(0, 0, 8, 8, 1, false));
  EXPECT_EQ(batch::counts().drawCalls, calls);
  g.blitAlphaRectFx(16, 16, 128, 128, 0, 0, 0, 2, 1, false, false, 0, 0); // 224 by 224 on the screen
  ASSERT_NE(batch::gathering(), nullptr);
  EXPECT_FALSE(batch::gathering()->blending);
  EXPECT_EQ(batch::counts().drawCalls, calls + 1);
  g.setTextureQuality(true);
  EXPECT_TRUE(blends(1, 1, 8, 8, 1)); // a smooth filter samples outside the picture at the edge
  EXPECT_FALSE(blends(1, 1, 7, 7, 1));
  g.setBlitColor(1, 1, 1, 0.5f);
  EXPECT_TRUE(blends(1, 1, 7, 7, 1)); // a translucent tint
}

// The context is the kind asked for: ZUNK_GL=es2 gives OpenGL ES, and the
// engine speaks GLSL ES to it; otherwise desktop OpenGL.
TEST_F(Graphics, TheContextIsTheKindAskedFor) {
  const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  ASSERT_NE(version, nullptr);
  std::printf("GL_VERSION %s\n", version);
  RecordProperty("GL_VERSION", version);
  const bool es = std::string(version).rfind("OpenGL ES", 0) == 0;
  EXPECT_EQ(es, platform::askedContextKind() == platform::ContextKind::ES2);
  EXPECT_EQ(es, platform::contextKind() == platform::ContextKind::ES2);
  EXPECT_EQ(es, batch::isES());
}

namespace {
struct Source {
  std::string name, text;
};
// Every program's shaders in both dialects, named as glslangValidator tells
// their stage.
std::vector<Source> allSources() {
  std::vector<Source> all;
  for (shaders::Dialect d : {shaders::Dialect::Desktop, shaders::Dialect::ES})
    for (shaders::Sampler sampler : {shaders::Sampler::Texture2D, shaders::Sampler::None, shaders::Sampler::Rectangle})
      for (bool tinted : {true, false}) {
        if ((sampler == shaders::Sampler::Rectangle && d == shaders::Dialect::ES) ||
            (sampler == shaders::Sampler::None && !tinted))
          continue;
        const std::string name = std::string(d == shaders::Dialect::ES ? "es" : "desktop") +
                                 (sampler == shaders::Sampler::Texture2D   ? "-2d"
                                  : sampler == shaders::Sampler::Rectangle ? "-rectangle"
                                                                            : "-colour") +
                                 (tinted ? "-tinted" : "");
        all.push_back({name + ".vert", shaders::vertexSource(d, sampler, tinted)});
        all.push_back({name + ".frag", shaders::fragmentSource(d, sampler, tinted)});
      }
  return all;
}
} // namespace

// The driver builds the program in the context's own dialect, and a desktop
// context that also speaks GLSL ES 1.00 builds the ES one: both dialects
// compile on the ES run and the desktop run together.
TEST_F(Graphics, TheShadersCompileInBothDialects) {
  const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
  const bool speaksES = batch::isES() || (extensions && std::strstr(extensions, "GL_ARB_ES2_compatibility"));
  std::vector<shaders::Dialect> dialects;
  if (!batch::isES()) dialects.push_back(shaders::Dialect::Desktop);
  if (speaksES) dialects.push_back(shaders::Dialect::ES);
  for (shaders::Dialect d : dialects)
    for (shaders::Sampler sampler : {shaders::Sampler::Texture2D, shaders::Sampler::None, shaders::Sampler::Rectangle})
      for (bool tinted : {true, false}) {
        if (sampler == shaders::Sampler::Rectangle && (d == shaders::Dialect::ES || !batch::rectangleTextures()))
          continue;
        shaders::Program program;
        EXPECT_TRUE(shaders::build(d, sampler, tinted, program)) << KMiscTools::getLastReport().reason;
        EXPECT_NE(program.view, -1);
        EXPECT_EQ(program.picture == -1, sampler == shaders::Sampler::None);
        shaders::release(program);
      }
  // A program that does not compile is reported with the driver's words.
  batch::forgetState();
  Reports reports;
  shaders::Program broken;
  EXPECT_FALSE(shaders::build(batch::isES() ? shaders::Dialect::Desktop : shaders::Dialect::ES,
                              shaders::Sampler::Rectangle, true, broken));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.at(0).level, K_REPORT_WARNING);
  EXPECT_FALSE(reports.at(0).reason.empty());
  EXPECT_EQ(broken.id, 0u);
  batch::forgetState();
}

// The same sources through the reference compiler, where Debian's
// glslang-tools is installed (./zunk.sh test installs it).
TEST(Shaders, TheReferenceCompilerTakesBothDialects) {
  if (std::system("command -v glslangValidator >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "glslangValidator is not installed";
  Scratch scratch;
  for (const Source &s : allSources()) {
    const std::string path = scratch.dir + "/" + s.name;
    std::ofstream(path) << s.text;
    const std::string command = "glslangValidator '" + path + "' >'" + path + ".log' 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream logFile(path + ".log");
    const std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
    EXPECT_EQ(status, 0) << s.name << ":\n" << s.text << log;
  }
}

// Blits are gathered into runs but land in call order: a run ends where the
// texture, filter or blending changes, and what a later blit covers shows
// the later blit.
TEST_F(Graphics, BlitsGatherIntoRunsAndKeepTheirOrder) {
  std::vector<uint32_t> red(16, 0xFF0000FFu), green(16, 0xFF00FF00u);
  KGraphicGL a, b;
  ASSERT_TRUE(a.makePictureFromArray(red.data(), 4, 4, true, false));
  ASSERT_TRUE(b.makePictureFromArray(green.data(), 4, 4, true, false));
  a.setTextureQuality(false);
  b.setTextureQuality(false);
  gWindow->setWorldView(0, 0, 0, 1, true);
  batch::flush();
  uint64_t calls = batch::counts().drawCalls;
  const uint64_t quads = batch::counts().quads;
  for (int i = 0; i < 100; i++) a.blitAlphaRect(0, 0, 4, 4, static_cast<short>(i % 50 * 4), 10, false, false);
  batch::flush();
  EXPECT_EQ(batch::counts().drawCalls, calls + 1) << "one picture, one run";
  EXPECT_EQ(batch::counts().quads, quads + 100);
  // Overlapping blits of two pictures, alternating: each covers the last.
  calls = batch::counts().drawCalls;
  for (int i = 0; i < 4; i++) (i % 2 ? b : a).blitAlphaRect(0, 0, 4, 4, static_cast<short>(100 + i), 100, false, false);
  expectColour(at(100, 101), 255, 0, 0, "the first blit, uncovered");
  expectColour(at(102, 101), 255, 0, 0, "the third covers the second");
  expectColour(at(103, 101), 0, 255, 0, "the fourth, on top");
  expectColour(at(106, 101), 0, 255, 0, "the fourth alone");
  EXPECT_EQ(batch::counts().drawCalls, calls + 4);
  // One picture drawn nearest, then smooth and zoomed: each blit keeps the
  // filter it was made with though the picture's changed since.
  std::vector<uint32_t> checker(16);
  for (int i = 0; i < 16; i++) checker[i] = (i % 4 + i / 4) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
  KGraphicGL c;
  ASSERT_TRUE(c.makePictureFromArray(checker.data(), 4, 4, true, false));
  gWindow->setWorldView(0, 0, 0, 1, true);
  c.setTextureQuality(false);
  c.blitAlphaRectFx(0, 0, 4, 4, 20, 200, 0, 8, 1, false, false, 0, 0);
  c.setTextureQuality(true);
  c.blitAlphaRectFx(0, 0, 4, 4, 120, 200, 0, 8, 1, false, false, 0, 0);
  c.setTextureQuality(false);
  // Zoomed 8 about their middles, (22, 202) and (122, 202): texels 8
  // pixels wide from x 6 and 106, y 186. Half a pixel short of the first
  // texel edge, nearest is still the first texel (black), linear a grey.
  const Pixel hard = at(13, 190), soft = at(113, 190);
  EXPECT_TRUE(hard.r == 0 || hard.r == 255) << hard.r;
  EXPECT_GT(soft.r, 40);
  EXPECT_LT(soft.r, 215);
}

// A clear is skipped where the frame's first quad covers the whole game
// area unblended (nobody could see it), and done otherwise.
TEST_F(Graphics, AClearNobodySeesIsSkipped) {
  KGraphicGL g;
  gWindow->setClearColor(1, 0, 0, 1);
  batch::flush();
  const uint64_t skipped = batch::counts().clearsSkipped, clears = batch::counts().clears;
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.drawRect(0, 0, 320, 480, 0, 0, 1, 1);
  expectColour(at(0, 0), 0, 0, 255, "covered");
  expectColour(at(319, 479), 0, 0, 255, "covered");
  EXPECT_EQ(batch::counts().clearsSkipped, skipped + 1);
  EXPECT_EQ(batch::counts().clears, clears);
  // A quad short of a pixel, a blended one, one turned away: the clear is done.
  const float shortOf[3][4] = {{0, 0, 320, 479}, {1, 0, 320, 480}, {0, 0, 319, 480}};
  for (const auto &r : shortOf) {
    gWindow->setWorldView(0, 0, 0, 1, true);
    g.drawRect(r[0], r[1], r[2], r[3], 0, 0, 1, 1);
    const Pixel corner = r[3] < 480 ? at(5, 479) : r[0] > 0 ? at(0, 5) : at(319, 5);
    expectColour(corner, 255, 0, 0, "cleared where the quad does not reach");
  }
  EXPECT_EQ(batch::counts().clears, clears + 3);
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.drawRect(0, 0, 320, 480, 0, 0, 1, 0.5f);
  expectColour(at(5, 5), 128, 0, 128, "blended over the clear");
  gWindow->setWorldView(0, 0, 90, 1, true);
  g.drawRect(0, 0, 320, 480, 0, 0, 1, 1);
  expectColour(at(5, 5), 255, 0, 0, "the turned quad leaves the corners cleared");
  EXPECT_EQ(batch::counts().clears, clears + 5);
  EXPECT_EQ(batch::counts().clearsSkipped, skipped + 1);
  gWindow->setClearColor(0, 0, 0, 1);
}

// A picture of no power-of-two size lands right on either kind of context:
// a rectangle texture on the desktop, a 2D texture of its size on ES.
TEST_F(Graphics, PicturesOfAnySizeAndTiles) {
  // 3 by 2: red, green, blue over white, black, yellow.
  std::vector<uint32_t> px = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu, 0xFF000000u, 0xFF00FFFFu};
  KGraphicGL g;
  ASSERT_TRUE(g.makePictureFromArray(px.data(), 3, 2, true, false));
  g.setTextureQuality(false);
  gWindow->setWorldView(0, 0, 0, 1, true);
  g.blitAlphaRect(0, 0, 3, 2, 10, 10, false, false);
  g.blitAlphaRectFx(0, 0, 3, 2, 50, 50, 0, 4, 1, false, false, 0, 0);
  const int expect[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 0}};
  for (int i = 0; i < 6; i++) {
    expectColour(at(10 + i % 3, 10 + i / 3), expect[i][0], expect[i][1], expect[i][2], "at its size");
    // Zoomed 4 about its middle (1.5, 1): from (46, 47), 4 by 4 a texel.
    expectColour(at(46 + 4 * (i % 3) + 2, 47 + 4 * (i / 3) + 2), expect[i][0], expect[i][1], expect[i][2], "zoomed");
  }
}

// A context that comes back empty (a browser's WebGL context lost and given
// back; here a new context in the old one's place): every picture makes its
// texture again from what it was made of, and draws what it drew before,
// pixel for pixel; the clipping box holds; a picture whose file has gone
// since is said and drawn transparent; the frame shown is black until the
// next one is shown.
TEST_F(Graphics, EveryPictureIsMadeAgainInAContextThatCameBackEmpty) {
  Scratch scratch;
  // 8 by 8, every texel its own colour, one of them the colour key, the
  // bottom row translucent; then 6 by 5 opaque, and a mask of the first's size.
  std::vector<unsigned char> eight(8 * 8 * 4), six(6 * 5 * 4), mask(8 * 8 * 4);
  for (int i = 0; i < 64; i++) {
    const unsigned char v[4] = {static_cast<unsigned char>(i * 4), static_cast<unsigned char>(255 - i * 3),
                                static_cast<unsigned char>(i * 13), static_cast<unsigned char>(i < 8 ? 128 : 255)};
    std::memcpy(&eight[i * 4], v, 4);
    std::memset(&mask[i * 4], i % 3 ? 255 : 0, 4);
  }
  eight[20 * 4] = 10, eight[20 * 4 + 1] = 20, eight[20 * 4 + 2] = 30;
  for (int i = 0; i < 30; i++) {
    const unsigned char v[4] = {static_cast<unsigned char>(200 - i * 5), static_cast<unsigned char>(i * 8), 90, 255};
    std::memcpy(&six[i * 4], v, 4);
  }
  const std::string sheet = scratch.dir + "/sheet.png", masks = scratch.dir + "/mask.png",
                    gone = scratch.dir + "/gone.png";
  using platform::PictureFormat;
  ASSERT_TRUE(platform::encodePicture(sheet.c_str(), PictureFormat::PNG, 8, 8, eight.data()));
  ASSERT_TRUE(platform::encodePicture(masks.c_str(), PictureFormat::PNG, 8, 8, mask.data()));
  ASSERT_TRUE(platform::encodePicture(gone.c_str(), PictureFormat::PNG, 8, 8, eight.data()));
  std::ifstream in(scratch.dir + "/sheet.png", std::ios::binary);
  std::vector<unsigned char> encoded((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(platform::encodePicture((scratch.dir + "/six.tga").c_str(), PictureFormat::TGA, 6, 5, six.data()));
  std::ifstream tga(scratch.dir + "/six.tga", std::ios::binary);
  std::vector<unsigned char> sixBytes((std::istreambuf_iterator<char>(tga)), std::istreambuf_iterator<char>());

  KGraphicGL file, masked, bytes, array, grab, block, lost, empty;
  file.setColorKey(true, 30, 20, 10);
  ASSERT_TRUE(file.loadPicture(sheet.c_str(), true, true));
  file.setColorKey(false, 0, 0, 0); // the key of the load is kept, not the one after
  file.allowTextureWrap(true);
  masked.loadPictureWithMask(sheet.c_str(), masks.c_str(), true);
  ASSERT_FLOAT_EQ(masked.getWidth(), 8);
  ASSERT_TRUE(bytes.loadPictureFromPtr("six.tga", sixBytes.data(), sixBytes.size(), true, true));
  std::fill(sixBytes.begin(), sixBytes.end(), 0); // the caller's bytes are the caller's
  std::vector<uint32_t> quarters = quadrants(16);
  ASSERT_TRUE(array.makePictureFromArray(quarters.data(), 16, 16, true, false));
  quarters[0] = 0xFF808080u; // changed and polled in: the array as it is now
  array.pollArray();
  std::vector<unsigned char> raw(18 + 3 * 2 * 3, 0); // 3 by 2, 24 bits, made directly
  raw[12] = 3, raw[14] = 2, raw[16] = 24;
  for (size_t i = 18; i < raw.size(); i++) raw[i] = static_cast<unsigned char>(i * 37);
  unsigned char *rawBlock = new unsigned char[raw.size()];
  std::memcpy(rawBlock, raw.data(), raw.size());
  ASSERT_TRUE(block.buildGLTexture(rawBlock, raw.size(), true, true));
  ASSERT_TRUE(lost.loadPicture(gone.c_str(), true, true));
  ASSERT_EQ(std::remove(gone.c_str()), 0);
  gWindow->setWorldView(0, 0, 0, 1, true);
  file.drawRect(0, 0, 40, 40, 0.9f, 0.3f, 0.1f, 1);
  ASSERT_TRUE(grab.grabBackBuffer(nullptr));

  auto scene = [&](bool withLost) {
    gWindow->setWorldView(0, 0, 0, 1, true);
    file.blitAlphaRect(0, 0, 8, 8, 10, 60, false, false);
    file.setTextureQuality(true);
    file.blitAlphaRectFx(0, 0, 8, 8, 60, 60, 30, 5, 1, false, false, 0, 0);
    file.setTextureQuality(false);
    file.blitTiledRect(100, 60, 48, 48, 3, 0); // wrapping: the tile three times across
    masked.blitAlphaRect(0, 0, 8, 8, 10, 120, false, false);
    bytes.blitAlphaRectFx(0, 0, 6, 5, 40, 120, 0, 3, 1, false, false, 0, 0);
    array.blitAlphaRect(0, 0, 16, 16, 10, 160, false, false);
    grab.blitAlphaRect(0, 0, 60, 60, 40, 160, false, false);
    block.blitAlphaRectFx(0, 0, 3, 2, 120, 160, 0, 4, 1, false, false, 0, 0);
    empty.blitAlphaRect(0, 0, 8, 8, 10, 240, false, false);
    if (withLost) lost.blitAlphaRectFx(0, 0, 8, 8, 10, 300, 0, 4, 1, false, false, 0, 0);
    std::vector<unsigned char> pixels(320 * 480 * 4);
    batch::flush();
    glReadPixels(0, platform::gameAreaBottom(), 320, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  };
  const std::vector<unsigned char> before = scene(false);
  expectColour(at(14, 65), 0, 0, 0, "the key's texel is transparent");
  expectColour(at(15, 65), 17, 192, 84, "its neighbour is not");
  expectColour(at(22, 300), 0, 0, 0, "nothing there yet");
  scene(true);
  EXPECT_NE(at(22, 302).g, 0) << "the picture whose file goes is drawn before it goes";
  gWindow->flipBackBuffer(false, true);

  Reports reports;
  ASSERT_TRUE(platform::renewContext());
  KGraphicGL shown;
  ASSERT_TRUE(shown.grabFrontBuffer());
  gWindow->setClearColor(0, 0, 1, 1);
  gWindow->setWorldView(0, 0, 0, 1, true);
  shown.blitAlphaRect(0, 0, 320, 480, 0, 0, false, false);
  expectColour(at(12, 62), 0, 0, 0, "the frame shown is black until the next is shown");
  gWindow->setClearColor(0, 0, 0, 1);
  const std::vector<unsigned char> after = scene(false);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  size_t differing = 0;
  for (size_t i = 0; i < before.size(); i++) differing += before[i] != after[i];
  EXPECT_EQ(differing, 0u) << "bytes of the frame differ from the one drawn before the context came back";

  scene(true);
  expectColour(at(22, 302), 0, 0, 0, "a picture whose file is gone is transparent");
  ASSERT_EQ(reports.size(), 2u); // the file not read, then what became of the picture
  EXPECT_EQ(reports.at(1).heading, "picture drawn transparent");
  EXPECT_EQ(reports.at(1).reason, "its file could not be read again");

  // The clipping box set before the context went holds in the new one.
  gWindow->setClipping(0, 0, 100, 100);
  ASSERT_TRUE(platform::renewContext());
  array.drawRect(0, 0, 320, 480, 1, 1, 1, 1);
  expectColour(at(50, 50), 255, 255, 255, "inside the box");
  expectColour(at(150, 150), 0, 0, 0, "outside the box");
  batch::setScissor(false, 0, 0, 0, 0);
  gWindow->flipBackBuffer(false, true);
  ASSERT_TRUE(shown.grabFrontBuffer());
  gWindow->setClearColor(0, 0, 1, 1);
  gWindow->setWorldView(0, 0, 0, 1, true);
  shown.blitAlphaRect(0, 0, 320, 480, 0, 0, false, false);
  expectColour(at(50, 50), 255, 255, 255, "the frame shown after");
  expectColour(at(150, 150), 0, 0, 0, "the frame shown after");
  gWindow->setClearColor(0, 0, 0, 1);
}
