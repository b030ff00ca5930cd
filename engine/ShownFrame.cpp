#include "ShownFrame.h"

#include <algorithm>
#include <vector>

#include "Matrix4.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "platform/Platform.h"

namespace shownframe {

namespace {
GLuint gTexture = 0;
GLuint gFramebuffer = 0; // for reading the texture back; made at the first read
int gWidth = 0, gHeight = 0;
// At a factor that is not whole, the frame is first drawn by nearest at the
// whole factor just above, into this texture, which is then drawn down to
// its place smoothly: every game pixel as wide as every other, edges at most
// one blended pixel wide ("sharp bilinear").
GLuint gLarge = 0, gLargeFramebuffer = 0;
int gLargeFactor = 0;

void stopLarge() {
  if (gLargeFramebuffer) glDeleteFramebuffers(1, &gLargeFramebuffer);
  if (gLarge) {
    batch::deletingTexture(gLarge);
    glDeleteTextures(1, &gLarge);
  }
  gLarge = gLargeFramebuffer = 0;
  gLargeFactor = 0;
}

// The large texture at `factor` times the frame, ready to draw into; false
// where the driver cannot draw into a texture of that size.
bool largeAt(int factor) {
  if (gLarge && gLargeFactor == factor) return true;
  stopLarge();
  glGenTextures(1, &gLarge);
  batch::bindForChange(GL_TEXTURE_2D, gLarge);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, gWidth * factor, gHeight * factor, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  batch::setFilter(GL_TEXTURE_2D, gLarge, true);
  glGenFramebuffers(1, &gLargeFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, gLargeFramebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gLarge, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete || glGetError() != GL_NO_ERROR) {
    stopLarge();
    return false;
  }
  gLargeFactor = factor;
  return true;
}

// Draws `texture` over (left, top)-(right, bottom) of a `width` by `height`
// target (y downward from its top), after clearing what it leaves
// uncovered; the view, viewport and clipping are put back after.
void drawTexture(GLuint texture, bool smooth, float left, float top, float right, float bottom, int width, int height) {
  const Matrix4 projection = batch::projection(), modelView = batch::modelView();
  int viewport[4], scissorBox[4];
  batch::viewport(viewport);
  const bool scissorOn = batch::scissor(scissorBox);
  if (scissorOn) batch::setScissor(false, 0, 0, 0, 0);
  batch::setView(Matrix4::ortho(0, static_cast<float>(width), 0, static_cast<float>(height), -1, 1),
                 Matrix4::identity());
  batch::setViewport(0, 0, width, height);
  // Only margins are left to this clear: where the frame covers the whole
  // target, it is never done.
  batch::clear(0, 0, 0, 1);
  const float h = static_cast<float>(height);
  // The texture's first row is the frame's bottom row.
  const batch::Vertex corners[4] = {{left, h - top, 0, 1, 1, 1, 1, 1},
                                    {left, h - bottom, 0, 0, 1, 1, 1, 1},
                                    {right, h - bottom, 1, 0, 1, 1, 1, 1},
                                    {right, h - top, 1, 1, 1, 1, 1, 1}};
  batch::State state;
  state.texture = texture;
  state.target = GL_TEXTURE_2D;
  state.smooth = smooth;
  batch::addQuad(state, corners);
  batch::flush();
  batch::setView(projection, modelView);
  batch::setViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  if (scissorOn) batch::setScissor(true, scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
}

// The frame at its place at a factor that is not whole.
void drawSharp(const platform::Placement &p) {
  const float left = static_cast<float>(p.x), top = static_cast<float>(p.y);
  const float right = left + static_cast<float>(p.shownWidth), bottom = top + static_cast<float>(p.shownHeight);
  const int factor = std::max((p.shownWidth + gWidth - 1) / gWidth, (p.shownHeight + gHeight - 1) / gHeight);
  if (!largeAt(factor)) {
    // No texture to draw into: smooth all the way, soft but whole.
    drawTexture(gTexture, true, left, top, right, bottom, p.width, p.height);
    return;
  }
  const int largeWidth = gWidth * factor, largeHeight = gHeight * factor;
  batch::flush();
  glBindFramebuffer(GL_FRAMEBUFFER, gLargeFramebuffer);
  drawTexture(gTexture, false, 0, 0, static_cast<float>(largeWidth), static_cast<float>(largeHeight), largeWidth,
              largeHeight);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  drawTexture(gLarge, true, left, top, right, bottom, p.width, p.height);
}
} // namespace

bool start(int width, int height) {
  stop();
  gWidth = width;
  gHeight = height;
  glGenTextures(1, &gTexture);
  batch::bindForChange(GL_TEXTURE_2D, gTexture);
  // No alpha: the window has none to copy. Black until a frame is shown, as
  // the window is.
  const std::vector<unsigned char> black(static_cast<size_t>(width) * height * 3, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  batch::setFilter(GL_TEXTURE_2D, gTexture, false);
  return glGetError() == GL_NO_ERROR;
}

void stop() {
  stopLarge();
  if (gFramebuffer) glDeleteFramebuffers(1, &gFramebuffer);
  if (gTexture) {
    batch::deletingTexture(gTexture);
    glDeleteTextures(1, &gTexture);
  }
  gTexture = gFramebuffer = 0;
}

void present(const platform::Placement &p) {
  if (!gTexture) return;
  // Every frame shown is kept: what the window shows can be read at any
  // time (OpenGL ES cannot read a window's front buffer).
  batch::flush();
  batch::bindForChange(GL_TEXTURE_2D, gTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, p.drawBottom, gWidth, gHeight);
  if (p.width == gWidth && p.height == gHeight) return;
  if (p.scale > 0) drawAt(p.x, p.y, p.scale, p.width, p.height);
  else drawSharp(p);
}

void drawAt(int x, int y, int scale, int width, int height) {
  if (!gTexture) return;
  const float left = static_cast<float>(x), top = static_cast<float>(y);
  drawTexture(gTexture, false, left, top, left + static_cast<float>(gWidth * scale),
              top + static_cast<float>(gHeight * scale), width, height);
}

bool read(std::vector<unsigned char> &rgba) {
  if (!gTexture) return false;
  batch::flush();
  if (!gFramebuffer) {
    glGenFramebuffers(1, &gFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gTexture, 0);
  } else {
    glBindFramebuffer(GL_FRAMEBUFFER, gFramebuffer);
  }
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    rgba.resize(static_cast<size_t>(gWidth) * gHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gWidth, gHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return complete;
}

} // namespace shownframe
