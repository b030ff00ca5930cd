#include "QuadBatch.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "OpenGL.h"
#include "Shaders.h"
#include "platform/Platform.h"

namespace batch {

namespace {
// A program and the view it was last given (0: none).
struct ProgramState {
  shaders::Program program;
  uint64_t viewVersion = 0;
};

// The fixed function of desktop OpenGL, which a caller's own drawing uses
// (handOver); looked up in a desktop context only.
const GLenum kModelViewMatrix = 0x1700, kProjectionMatrix = 0x1701;
struct FixedFunction {
  void (*matrixMode)(GLenum) = nullptr;
  void (*loadMatrix)(const GLfloat *) = nullptr;
  void (*colour)(GLfloat, GLfloat, GLfloat, GLfloat) = nullptr;
  bool ready() const { return matrixMode && loadMatrix && colour; }
};

// The batch's state: what it has gathered, the view, and what it knows of
// OpenGL's state.
struct BatchContext {
  bool started = false;
  bool es = false;
  bool bgra = false;
  // Reading 2D textures, rectangle textures (tinted by their corners'
  // colour, and untinted for runs whose every corner is white), and none.
  ProgramState plain, plainWhite, rectangle, rectangleWhite, colour;
  GLuint vertexBuffer = 0, indexBuffer = 0;

  // What is gathered: quads (four corners each) or lines (two ends each).
  std::vector<Vertex> vertices;
  int count = 0;
  bool lines = false;
  bool white = true; // every corner gathered is white: the texture is drawn as it is
  State state;

  // The view.
  Matrix4 projection = Matrix4::identity(), modelView = Matrix4::identity(), view = Matrix4::identity();
  uint64_t viewVersion = 1;
  int viewport[4] = {0, 0, 0, 0};
  bool scissorOn = false;
  int scissor[4] = {0, 0, 0, 0};
  float lineWidth = 1;
  // A clear asked for and not yet done.
  bool clearOwed = false;
  float clearColour[4] = {0, 0, 0, 1};

  // OpenGL's state as last set here; -1 where unknown.
  const ProgramState *used = nullptr;
  long bound2D = -1, boundRectangle = -1;
  int blendOn = -1;
  int blendSource = -1, blendDestination = -1;
  long filteredTexture = -1;
  int filter = -1;
  bool buffersReady = false;

  Counts counts;
  FixedFunction fixed;
  bool rectangleTexCap = false; // KWindowGL::hasRectangleText
};
BatchContext batch_;

long &boundOn(uint32_t target) { return target == kRectangleTarget ? batch_.boundRectangle : batch_.bound2D; }

void readyBuffers() {
  if (batch_.buffersReady) return;
  glBindBuffer(GL_ARRAY_BUFFER, batch_.vertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch_.indexBuffer);
  const GLsizei stride = sizeof(Vertex);
  glVertexAttribPointer(shaders::kPosition, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void *>(offsetof(Vertex, x)));
  glVertexAttribPointer(shaders::kTexCoord, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void *>(offsetof(Vertex, s)));
  glVertexAttribPointer(shaders::kColour, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void *>(offsetof(Vertex, r)));
  glEnableVertexAttribArray(shaders::kPosition);
  glEnableVertexAttribArray(shaders::kTexCoord);
  glEnableVertexAttribArray(shaders::kColour);
  glActiveTexture(GL_TEXTURE0);
  batch_.buffersReady = true;
}

void applyFilter(uint32_t target, uint32_t texture, bool smooth) {
  if (batch_.filteredTexture == static_cast<long>(texture) && batch_.filter == (smooth ? 1 : 0)) return;
  const GLint f = smooth ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, f);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, f);
  batch_.filteredTexture = texture;
  batch_.filter = smooth ? 1 : 0;
}

void apply(const State &s, bool white) {
  readyBuffers();
  const bool rectangle = s.target == kRectangleTarget;
  ProgramState &p = !s.texture ? batch_.colour
                    : white    ? (rectangle ? batch_.rectangleWhite : batch_.plainWhite)
                               : (rectangle ? batch_.rectangle : batch_.plain);
  if (batch_.used != &p) {
    glUseProgram(p.program.id);
    batch_.used = &p;
  }
  if (p.viewVersion != batch_.viewVersion) {
    glUniformMatrix4fv(p.program.view, 1, GL_FALSE, batch_.view.m);
    p.viewVersion = batch_.viewVersion;
  }
  if (s.texture) {
    bindTexture(s.target, s.texture);
    applyFilter(s.target, s.texture, s.smooth);
  }
  if (s.blending) {
    if (batch_.blendOn != 1) glEnable(GL_BLEND);
    if (batch_.blendSource != s.source || batch_.blendDestination != s.destination) glBlendFunc(s.source, s.destination);
    batch_.blendOn = 1;
    batch_.blendSource = s.source;
    batch_.blendDestination = s.destination;
  } else if (batch_.blendOn != 0) {
    glDisable(GL_BLEND);
    batch_.blendOn = 0;
  }
}

void drawGathered() {
  if (batch_.clearOwed) {
    glClearColor(batch_.clearColour[0], batch_.clearColour[1], batch_.clearColour[2], batch_.clearColour[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    batch_.clearOwed = false;
    batch_.counts.clears++;
  }
  if (batch_.count == 0) return;
  apply(batch_.state, batch_.white && !batch_.lines);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(batch_.count * sizeof(Vertex)), batch_.vertices.data(), GL_STREAM_DRAW);
  if (batch_.lines) {
    glDrawArrays(GL_LINES, 0, batch_.count);
  } else {
    glDrawElements(GL_TRIANGLES, batch_.count / 4 * 6, GL_UNSIGNED_SHORT, nullptr);
    batch_.counts.quads += static_cast<uint64_t>(batch_.count / 4);
  }
  batch_.counts.drawCalls++;
  batch_.count = 0;
  batch_.white = true;
}

bool isWhite(const Vertex &v) { return v.r == 1 && v.g == 1 && v.b == 1 && v.a == 1; }

// Whether the quad, through the view, covers every pixel of the viewport:
// an upright rectangle reaching past each pixel centre at the edges.
bool coversViewport(const Vertex (&c)[4]) {
  float x[4], y[4];
  for (int i = 0; i < 4; i++) {
    float cx, cy;
    batch_.view.apply(c[i].x, c[i].y, cx, cy);
    x[i] = (cx + 1) * 0.5f * static_cast<float>(batch_.viewport[2]);
    y[i] = (cy + 1) * 0.5f * static_cast<float>(batch_.viewport[3]);
  }
  // Top-left, bottom-left, bottom-right, top-right: upright when the sides
  // share their x and y, whichever way it was turned.
  const bool upright = (x[0] == x[1] && x[2] == x[3] && y[0] == y[3] && y[1] == y[2]) ||
                       (y[0] == y[1] && y[2] == y[3] && x[0] == x[3] && x[1] == x[2]);
  if (!upright) return false;
  float left = x[0], right = x[0], bottom = y[0], top = y[0];
  for (int i = 1; i < 4; i++) {
    left = std::min(left, x[i]);
    right = std::max(right, x[i]);
    bottom = std::min(bottom, y[i]);
    top = std::max(top, y[i]);
  }
  const float margin = 0.25f; // well inside the outermost pixel centres
  return left <= margin && bottom <= margin && right >= batch_.viewport[2] - margin && top >= batch_.viewport[3] - margin;
}

void forgetKnownState() {
  batch_.used = nullptr;
  for (ProgramState *p : {&batch_.plain, &batch_.plainWhite, &batch_.rectangle, &batch_.rectangleWhite, &batch_.colour}) p->viewVersion = 0;
  batch_.bound2D = batch_.boundRectangle = -1;
  batch_.blendOn = batch_.blendSource = batch_.blendDestination = -1;
  batch_.filteredTexture = -1;
  batch_.filter = -1;
  batch_.buffersReady = false;
}
} // namespace

bool start() {
  if (batch_.started) stop();
  const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  batch_.es = version && std::strncmp(version, "OpenGL ES", 9) == 0;
  const shaders::Dialect dialect = batch_.es ? shaders::Dialect::ES : shaders::Dialect::Desktop;
  if (!shaders::build(dialect, shaders::Sampler::Texture2D, true, batch_.plain.program) ||
      !shaders::build(dialect, shaders::Sampler::Texture2D, false, batch_.plainWhite.program) ||
      !shaders::build(dialect, shaders::Sampler::None, true, batch_.colour.program)) {
    for (ProgramState *p : {&batch_.plain, &batch_.plainWhite, &batch_.colour}) shaders::release(p->program);
    return false;
  }
  batch_.fixed = FixedFunction();
  if (!batch_.es) {
    batch_.fixed.matrixMode = reinterpret_cast<void (*)(GLenum)>(platform::glFunction("glMatrixMode"));
    batch_.fixed.loadMatrix = reinterpret_cast<void (*)(const GLfloat *)>(platform::glFunction("glLoadMatrixf"));
    batch_.fixed.colour = reinterpret_cast<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>(platform::glFunction("glColor4f"));
  }
  const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
  batch_.bgra = !batch_.es || (extensions && std::strstr(extensions, "GL_EXT_texture_format_BGRA8888"));
  if (!batch_.es && extensions && std::strstr(extensions, "_texture_rectangle")) {
    // Without it pictures are 2D textures of their own size.
    if (!shaders::build(dialect, shaders::Sampler::Rectangle, true, batch_.rectangle.program) ||
        !shaders::build(dialect, shaders::Sampler::Rectangle, false, batch_.rectangleWhite.program)) {
      shaders::release(batch_.rectangle.program);
      shaders::release(batch_.rectangleWhite.program);
    }
  }
  glGenBuffers(1, &batch_.vertexBuffer);
  glGenBuffers(1, &batch_.indexBuffer);
  // Every quad is two triangles sharing the diagonal from its second corner
  // to its fourth, as OpenGL split its quads.
  std::vector<uint16_t> indices(static_cast<size_t>(kMaxQuads) * 6);
  for (int q = 0; q < kMaxQuads; q++) {
    const uint16_t v = static_cast<uint16_t>(q * 4);
    const uint16_t six[6] = {v, static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 3),
                             static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 2), static_cast<uint16_t>(v + 3)};
    std::memcpy(&indices[static_cast<size_t>(q) * 6], six, sizeof six);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch_.indexBuffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)), indices.data(),
               GL_STATIC_DRAW);
  batch_.vertices.assign(static_cast<size_t>(kMaxQuads) * 4, Vertex{});
  batch_.count = 0;
  batch_.clearOwed = false;
  // A fresh context: its viewport and clipping are its own, not the last one's.
  batch_.scissorOn = false;
  for (int &v : batch_.viewport) v = -1;
  forgetKnownState();
  batch_.started = true;
  return true;
}

void stop() {
  if (!batch_.started) return;
  batch_.count = 0;
  batch_.clearOwed = false;
  for (ProgramState *p : {&batch_.plain, &batch_.plainWhite, &batch_.rectangle, &batch_.rectangleWhite, &batch_.colour}) shaders::release(p->program);
  glDeleteBuffers(1, &batch_.vertexBuffer);
  glDeleteBuffers(1, &batch_.indexBuffer);
  batch_.vertexBuffer = batch_.indexBuffer = 0;
  batch_.vertices.clear();
  batch_.vertices.shrink_to_fit();
  forgetKnownState();
  batch_.started = false;
}

bool renew() {
  // The old context's names mean nothing in this one: forgotten, not deleted.
  for (ProgramState *p : {&batch_.plain, &batch_.plainWhite, &batch_.rectangle, &batch_.rectangleWhite, &batch_.colour})
    p->program = shaders::Program();
  batch_.vertexBuffer = batch_.indexBuffer = 0;
  batch_.started = false;
  int viewport[4], scissor[4];
  std::memcpy(viewport, batch_.viewport, sizeof viewport);
  std::memcpy(scissor, batch_.scissor, sizeof scissor);
  const bool scissorOn = batch_.scissorOn;
  if (!start()) return false;
  if (viewport[2] >= 0) setViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  if (scissorOn) setScissor(true, scissor[0], scissor[1], scissor[2], scissor[3]);
  if (batch_.lineWidth != 1) glLineWidth(batch_.lineWidth);
  return true;
}

bool started() { return batch_.started; }
bool isES() { return batch_.es; }
bool rectangleTextures() { return batch_.started && batch_.rectangle.program.id != 0; }
bool &rectangleTexCap() { return batch_.rectangleTexCap; }
bool bgraTextures() { return batch_.started && batch_.bgra; }

void addQuad(const State &state, const Vertex (&corners)[4]) {
  if (!batch_.started) return;
  // The first quad after a clear, drawn unblended over the whole viewport,
  // hides whatever the clear would have left.
  if (batch_.clearOwed && batch_.count == 0 && !state.blending && coversViewport(corners)) {
    batch_.clearOwed = false;
    batch_.counts.clearsSkipped++;
  }
  // White quads and tinted ones are drawn apart: the rasteriser's fast path
  // takes long runs of quads only without a colour to interpolate.
  const bool white = isWhite(corners[0]) && isWhite(corners[1]) && isWhite(corners[2]) && isWhite(corners[3]);
  if (batch_.count > 0 && (batch_.lines || state != batch_.state || white != batch_.white || batch_.count + 4 > kMaxQuads * 4)) drawGathered();
  batch_.state = state;
  batch_.lines = false;
  batch_.white = white;
  std::memcpy(&batch_.vertices[static_cast<size_t>(batch_.count)], corners, sizeof corners);
  batch_.count += 4;
}

void addLine(const State &state, const Vertex (&ends)[2]) {
  if (!batch_.started) return;
  if (batch_.count > 0 && (!batch_.lines || state != batch_.state || batch_.count + 2 > kMaxQuads * 4)) drawGathered();
  batch_.state = state;
  batch_.lines = true;
  std::memcpy(&batch_.vertices[static_cast<size_t>(batch_.count)], ends, sizeof ends);
  batch_.count += 2;
}

bool continues(const State &state, bool white) { return batch_.count > 0 && !batch_.lines && state == batch_.state && white == batch_.white; }
const State *gathering() { return batch_.count > 0 ? &batch_.state : nullptr; }

void flush() {
  if (batch_.started) drawGathered();
}

void setView(const Matrix4 &projection, const Matrix4 &modelView) {
  if (std::memcmp(projection.m, batch_.projection.m, sizeof batch_.projection.m) == 0 &&
      std::memcmp(modelView.m, batch_.modelView.m, sizeof batch_.modelView.m) == 0)
    return;
  flush();
  batch_.projection = projection;
  batch_.modelView = modelView;
  batch_.view = projection * modelView;
  batch_.viewVersion++;
}

const Matrix4 &projection() { return batch_.projection; }
const Matrix4 &modelView() { return batch_.modelView; }

void setViewport(int x, int y, int width, int height) {
  if (batch_.viewport[0] == x && batch_.viewport[1] == y && batch_.viewport[2] == width && batch_.viewport[3] == height) return;
  flush();
  glViewport(x, y, width, height);
  batch_.viewport[0] = x;
  batch_.viewport[1] = y;
  batch_.viewport[2] = width;
  batch_.viewport[3] = height;
}

void viewport(int (&box)[4]) { std::memcpy(box, batch_.viewport, sizeof box); }

void setScissor(bool on, int x, int y, int width, int height) {
  flush();
  if (on) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, width, height);
    batch_.scissor[0] = x;
    batch_.scissor[1] = y;
    batch_.scissor[2] = width;
    batch_.scissor[3] = height;
  } else {
    glDisable(GL_SCISSOR_TEST);
  }
  batch_.scissorOn = on;
}

bool scissor(int (&box)[4]) {
  std::memcpy(box, batch_.scissor, sizeof box);
  return batch_.scissorOn;
}

void clear(float r, float g, float b, float a) {
  flush();
  batch_.clearOwed = true;
  batch_.clearColour[0] = r;
  batch_.clearColour[1] = g;
  batch_.clearColour[2] = b;
  batch_.clearColour[3] = a;
  if (!batch_.started) drawGathered();
}

void setLineWidth(float width) {
  flush();
  glLineWidth(width);
  batch_.lineWidth = width;
}

void bindTexture(uint32_t target, uint32_t texture) {
  long &bound = boundOn(target);
  if (bound == static_cast<long>(texture)) return;
  glBindTexture(target, texture);
  bound = static_cast<long>(texture);
}

void bindForChange(uint32_t target, uint32_t texture) {
  if (batch_.count > 0 && batch_.state.texture == texture) flush();
  bindTexture(target, texture);
}

void setFilter(uint32_t target, uint32_t texture, bool smooth) {
  bindForChange(target, texture);
  applyFilter(target, texture, smooth);
}

void deletingTexture(uint32_t texture) {
  if (batch_.count > 0 && batch_.state.texture == texture) flush();
  if (batch_.filteredTexture == static_cast<long>(texture)) batch_.filteredTexture = -1;
  if (batch_.bound2D == static_cast<long>(texture)) batch_.bound2D = -1;
  if (batch_.boundRectangle == static_cast<long>(texture)) batch_.boundRectangle = -1;
}

void forgetState() {
  flush();
  forgetKnownState();
}

void handOver(uint32_t target, uint32_t texture, const float (&colour)[4]) {
  flush();
  glUseProgram(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glDisableVertexAttribArray(shaders::kPosition);
  glDisableVertexAttribArray(shaders::kTexCoord);
  glDisableVertexAttribArray(shaders::kColour);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(target, texture);
  if (batch_.started && !batch_.es && batch_.fixed.ready()) {
    batch_.fixed.matrixMode(kProjectionMatrix);
    batch_.fixed.loadMatrix(batch_.projection.m);
    batch_.fixed.matrixMode(kModelViewMatrix);
    batch_.fixed.loadMatrix(batch_.modelView.m);
    batch_.fixed.colour(colour[0], colour[1], colour[2], colour[3]);
    if (target == kRectangleTarget) glDisable(GL_TEXTURE_2D);
    else if (rectangleTextures()) glDisable(kRectangleTarget);
    glEnable(target);
  }
  forgetKnownState();
}

const Counts &counts() { return batch_.counts; }

} // namespace batch
