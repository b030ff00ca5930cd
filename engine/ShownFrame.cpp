#include "ShownFrame.h"

#include <algorithm>
#include <vector>

#include "Matrix4.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "platform/Platform.h"

namespace shownframe {

namespace {
// The frame shown's state: its texture and the large one of a sharp scale.
struct ShownFrameContext {
  GLuint texture = 0;
  GLuint framebuffer = 0; // for reading the texture back; made at the first read
  int width = 0, height = 0;
  // At a factor that is not whole, the frame is first drawn by nearest at the
  // whole factor just above, into this texture, which is then drawn down to
  // its place smoothly: every game pixel as wide as every other, edges at most
  // one blended pixel wide ("sharp bilinear").
  GLuint large = 0, largeFramebuffer = 0;
  int largeFactor = 0;
};
ShownFrameContext shown_;

void stopLarge() {
  if (shown_.largeFramebuffer) glDeleteFramebuffers(1, &shown_.largeFramebuffer);
  if (shown_.large) {
    batch::deletingTexture(shown_.large);
    glDeleteTextures(1, &shown_.large);
  }
  shown_.large = shown_.largeFramebuffer = 0;
  shown_.largeFactor = 0;
}

// The large texture at `factor` times the frame, ready to draw into; false
// where the driver cannot draw into a texture of that size.
bool largeAt(int factor) {
  if (shown_.large && shown_.largeFactor == factor) return true;
  stopLarge();
  glGenTextures(1, &shown_.large);
  batch::bindForChange(GL_TEXTURE_2D, shown_.large);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, shown_.width * factor, shown_.height * factor, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  batch::setFilter(GL_TEXTURE_2D, shown_.large, true);
  glGenFramebuffers(1, &shown_.largeFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, shown_.largeFramebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, shown_.large, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete || glGetError() != GL_NO_ERROR) {
    stopLarge();
    return false;
  }
  shown_.largeFactor = factor;
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
  const int factor = std::max((p.shownWidth + shown_.width - 1) / shown_.width, (p.shownHeight + shown_.height - 1) / shown_.height);
  if (!largeAt(factor)) {
    // No texture to draw into: smooth all the way, soft but whole.
    drawTexture(shown_.texture, true, left, top, right, bottom, p.width, p.height);
    return;
  }
  const int largeWidth = shown_.width * factor, largeHeight = shown_.height * factor;
  batch::flush();
  glBindFramebuffer(GL_FRAMEBUFFER, shown_.largeFramebuffer);
  drawTexture(shown_.texture, false, 0, 0, static_cast<float>(largeWidth), static_cast<float>(largeHeight), largeWidth,
              largeHeight);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  drawTexture(shown_.large, true, left, top, right, bottom, p.width, p.height);
}
} // namespace

bool start(int width, int height) {
  stop();
  shown_.width = width;
  shown_.height = height;
  glGenTextures(1, &shown_.texture);
  batch::bindForChange(GL_TEXTURE_2D, shown_.texture);
  // No alpha: the window has none to copy. Black until a frame is shown, as
  // the window is.
  const std::vector<unsigned char> black(static_cast<size_t>(width) * height * 3, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  batch::setFilter(GL_TEXTURE_2D, shown_.texture, false);
  return glGetError() == GL_NO_ERROR;
}

void stop() {
  stopLarge();
  if (shown_.framebuffer) glDeleteFramebuffers(1, &shown_.framebuffer);
  if (shown_.texture) {
    batch::deletingTexture(shown_.texture);
    glDeleteTextures(1, &shown_.texture);
  }
  shown_.texture = shown_.framebuffer = 0;
}

bool renew() {
  // The old context's names mean nothing in this one: forgotten, not deleted.
  shown_.texture = shown_.framebuffer = shown_.large = shown_.largeFramebuffer = 0;
  shown_.largeFactor = 0;
  return start(shown_.width, shown_.height);
}

void present(const platform::Placement &p) {
  if (!shown_.texture) return;
  // Every frame shown is kept: what the window shows can be read at any
  // time (OpenGL ES cannot read a window's front buffer).
  batch::flush();
  batch::bindForChange(GL_TEXTURE_2D, shown_.texture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, p.drawBottom, shown_.width, shown_.height);
  if (p.width == shown_.width && p.height == shown_.height) return;
  if (p.scale > 0) drawAt(p.x, p.y, p.scale, p.width, p.height);
  else drawSharp(p);
}

void drawAt(int x, int y, int scale, int width, int height) {
  if (!shown_.texture) return;
  const float left = static_cast<float>(x), top = static_cast<float>(y);
  drawTexture(shown_.texture, false, left, top, left + static_cast<float>(shown_.width * scale),
              top + static_cast<float>(shown_.height * scale), width, height);
}

bool read(std::vector<unsigned char> &rgba) {
  if (!shown_.texture) return false;
  batch::flush();
  if (!shown_.framebuffer) {
    glGenFramebuffers(1, &shown_.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, shown_.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, shown_.texture, 0);
  } else {
    glBindFramebuffer(GL_FRAMEBUFFER, shown_.framebuffer);
  }
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    rgba.resize(static_cast<size_t>(shown_.width) * shown_.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, shown_.width, shown_.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return complete;
}

} // namespace shownframe
