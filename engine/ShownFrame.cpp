#include "ShownFrame.h"

#include "Matrix4.h"
#include "OpenGL.h"
#include "QuadBatch.h"
#include "platform/Platform.h"

namespace shownframe {

namespace {
GLuint gTexture = 0;
GLuint gFramebuffer = 0; // for reading the texture back; made at the first read
int gWidth = 0, gHeight = 0;
bool gKept = false;      // the texture holds the frame last shown
bool gKeepEvery = false; // someone read it: every frame shown is kept
} // namespace

bool start(int width, int height) {
  stop();
  gWidth = width;
  gHeight = height;
  glGenTextures(1, &gTexture);
  batch::bindForChange(GL_TEXTURE_2D, gTexture);
  // No alpha: the window has none to copy.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  batch::setFilter(GL_TEXTURE_2D, gTexture, false);
  return glGetError() == GL_NO_ERROR;
}

void stop() {
  if (gFramebuffer) glDeleteFramebuffers(1, &gFramebuffer);
  if (gTexture) {
    batch::deletingTexture(gTexture);
    glDeleteTextures(1, &gTexture);
  }
  gTexture = gFramebuffer = 0;
  gKept = gKeepEvery = false;
}

void present(const platform::Placement &p) {
  const bool scaled = p.width != gWidth || p.height != gHeight;
  gKept = false;
  if (!gTexture || (!scaled && !gKeepEvery)) return;
  batch::flush();
  batch::bindForChange(GL_TEXTURE_2D, gTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, p.drawBottom, gWidth, gHeight);
  gKept = true;
  if (scaled) drawAt(p.x, p.y, p.scale, p.width, p.height);
}

void drawAt(int x, int y, int scale, int width, int height) {
  if (!gTexture) return;
  const Matrix4 projection = batch::projection(), modelView = batch::modelView();
  int viewport[4], scissorBox[4];
  batch::viewport(viewport);
  const bool scissorOn = batch::scissor(scissorBox);
  if (scissorOn) batch::setScissor(false, 0, 0, 0, 0);
  batch::setView(Matrix4::ortho(0, static_cast<float>(width), 0, static_cast<float>(height), -1, 1),
                 Matrix4::identity());
  batch::setViewport(0, 0, width, height);
  // Only margins are left to this clear: where the frame covers the whole
  // window, it is never done.
  batch::clear(0, 0, 0, 1);
  const float left = static_cast<float>(x), right = static_cast<float>(x + gWidth * scale);
  const float top = static_cast<float>(height - y), bottom = static_cast<float>(height - y - gHeight * scale);
  // The texture's first row is the frame's bottom row.
  const batch::Vertex corners[4] = {{left, top, 0, 1, 1, 1, 1, 1},
                                    {left, bottom, 0, 0, 1, 1, 1, 1},
                                    {right, bottom, 1, 0, 1, 1, 1, 1},
                                    {right, top, 1, 1, 1, 1, 1, 1}};
  batch::State state;
  state.texture = gTexture;
  state.target = GL_TEXTURE_2D;
  batch::addQuad(state, corners);
  batch::flush();
  batch::setView(projection, modelView);
  batch::setViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  if (scissorOn) batch::setScissor(true, scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
}

bool read(std::vector<unsigned char> &rgba) {
  if (!gKept) {
    gKeepEvery = gTexture != 0;
    return false;
  }
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
