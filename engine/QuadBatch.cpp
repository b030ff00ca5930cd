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

bool gStarted = false;
bool gES = false;
bool gBGRA = false;
// Reading 2D textures, rectangle textures (tinted by their corners'
// colour, and untinted for runs whose every corner is white), and none.
ProgramState gPlain, gPlainWhite, gRectangle, gRectangleWhite, gColour;
GLuint gVertexBuffer = 0, gIndexBuffer = 0;

// What is gathered: quads (four corners each) or lines (two ends each).
std::vector<Vertex> gVertices;
int gCount = 0;
bool gLines = false;
bool gWhite = true; // every corner gathered is white: the texture is drawn as it is
State gState;

// The view.
Matrix4 gProjection = Matrix4::identity(), gModelView = Matrix4::identity(), gView = Matrix4::identity();
uint64_t gViewVersion = 1;
int gViewport[4] = {0, 0, 0, 0};
bool gScissorOn = false;
int gScissor[4] = {0, 0, 0, 0};
// A clear asked for and not yet done.
bool gClearOwed = false;
float gClearColour[4] = {0, 0, 0, 1};

// OpenGL's state as last set here; -1 where unknown.
const ProgramState *gUsed = nullptr;
long gBound2D = -1, gBoundRectangle = -1;
int gBlendOn = -1;
int gBlendSource = -1, gBlendDestination = -1;
long gFilteredTexture = -1;
int gFilter = -1;
bool gBuffersReady = false;

Counts gCounts;

// The fixed function of desktop OpenGL, which a caller's own drawing uses
// (handOver); looked up in a desktop context only.
const GLenum kModelViewMatrix = 0x1700, kProjectionMatrix = 0x1701;
struct FixedFunction {
  void (*matrixMode)(GLenum) = nullptr;
  void (*loadMatrix)(const GLfloat *) = nullptr;
  void (*colour)(GLfloat, GLfloat, GLfloat, GLfloat) = nullptr;
  bool ready() const { return matrixMode && loadMatrix && colour; }
};
FixedFunction gFixed;

long &boundOn(uint32_t target) { return target == kRectangleTarget ? gBoundRectangle : gBound2D; }

void readyBuffers() {
  if (gBuffersReady) return;
  glBindBuffer(GL_ARRAY_BUFFER, gVertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gIndexBuffer);
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
  gBuffersReady = true;
}

void applyFilter(uint32_t target, uint32_t texture, bool smooth) {
  if (gFilteredTexture == static_cast<long>(texture) && gFilter == (smooth ? 1 : 0)) return;
  const GLint f = smooth ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, f);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, f);
  gFilteredTexture = texture;
  gFilter = smooth ? 1 : 0;
}

void apply(const State &s, bool white) {
  readyBuffers();
  const bool rectangle = s.target == kRectangleTarget;
  ProgramState &p = !s.texture ? gColour
                    : white    ? (rectangle ? gRectangleWhite : gPlainWhite)
                               : (rectangle ? gRectangle : gPlain);
  if (gUsed != &p) {
    glUseProgram(p.program.id);
    gUsed = &p;
  }
  if (p.viewVersion != gViewVersion) {
    glUniformMatrix4fv(p.program.view, 1, GL_FALSE, gView.m);
    p.viewVersion = gViewVersion;
  }
  if (s.texture) {
    bindTexture(s.target, s.texture);
    applyFilter(s.target, s.texture, s.smooth);
  }
  if (s.blending) {
    if (gBlendOn != 1) glEnable(GL_BLEND);
    if (gBlendSource != s.source || gBlendDestination != s.destination) glBlendFunc(s.source, s.destination);
    gBlendOn = 1;
    gBlendSource = s.source;
    gBlendDestination = s.destination;
  } else if (gBlendOn != 0) {
    glDisable(GL_BLEND);
    gBlendOn = 0;
  }
}

void drawGathered() {
  if (gClearOwed) {
    glClearColor(gClearColour[0], gClearColour[1], gClearColour[2], gClearColour[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    gClearOwed = false;
    gCounts.clears++;
  }
  if (gCount == 0) return;
  apply(gState, gWhite && !gLines);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gCount * sizeof(Vertex)), gVertices.data(), GL_STREAM_DRAW);
  if (gLines) {
    glDrawArrays(GL_LINES, 0, gCount);
  } else {
    glDrawElements(GL_TRIANGLES, gCount / 4 * 6, GL_UNSIGNED_SHORT, nullptr);
    gCounts.quads += static_cast<uint64_t>(gCount / 4);
  }
  gCounts.drawCalls++;
  gCount = 0;
  gWhite = true;
}

bool isWhite(const Vertex &v) { return v.r == 1 && v.g == 1 && v.b == 1 && v.a == 1; }

// Whether the quad, through the view, covers every pixel of the viewport:
// an upright rectangle reaching past each pixel centre at the edges.
bool coversViewport(const Vertex (&c)[4]) {
  float x[4], y[4];
  for (int i = 0; i < 4; i++) {
    float cx, cy;
    gView.apply(c[i].x, c[i].y, cx, cy);
    x[i] = (cx + 1) * 0.5f * static_cast<float>(gViewport[2]);
    y[i] = (cy + 1) * 0.5f * static_cast<float>(gViewport[3]);
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
  return left <= margin && bottom <= margin && right >= gViewport[2] - margin && top >= gViewport[3] - margin;
}

void forgetKnownState() {
  gUsed = nullptr;
  for (ProgramState *p : {&gPlain, &gPlainWhite, &gRectangle, &gRectangleWhite, &gColour}) p->viewVersion = 0;
  gBound2D = gBoundRectangle = -1;
  gBlendOn = gBlendSource = gBlendDestination = -1;
  gFilteredTexture = -1;
  gFilter = -1;
  gBuffersReady = false;
}
} // namespace

bool start() {
  if (gStarted) stop();
  const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  gES = version && std::strncmp(version, "OpenGL ES", 9) == 0;
  const shaders::Dialect dialect = gES ? shaders::Dialect::ES : shaders::Dialect::Desktop;
  if (!shaders::build(dialect, shaders::Sampler::Texture2D, true, gPlain.program) ||
      !shaders::build(dialect, shaders::Sampler::Texture2D, false, gPlainWhite.program) ||
      !shaders::build(dialect, shaders::Sampler::None, true, gColour.program)) {
    for (ProgramState *p : {&gPlain, &gPlainWhite, &gColour}) shaders::release(p->program);
    return false;
  }
  gFixed = FixedFunction();
  if (!gES) {
    gFixed.matrixMode = reinterpret_cast<void (*)(GLenum)>(platform::glFunction("glMatrixMode"));
    gFixed.loadMatrix = reinterpret_cast<void (*)(const GLfloat *)>(platform::glFunction("glLoadMatrixf"));
    gFixed.colour = reinterpret_cast<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>(platform::glFunction("glColor4f"));
  }
  const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
  gBGRA = !gES || (extensions && std::strstr(extensions, "GL_EXT_texture_format_BGRA8888"));
  if (!gES && extensions && std::strstr(extensions, "_texture_rectangle")) {
    // Without it pictures are 2D textures of their own size.
    if (!shaders::build(dialect, shaders::Sampler::Rectangle, true, gRectangle.program) ||
        !shaders::build(dialect, shaders::Sampler::Rectangle, false, gRectangleWhite.program)) {
      shaders::release(gRectangle.program);
      shaders::release(gRectangleWhite.program);
    }
  }
  glGenBuffers(1, &gVertexBuffer);
  glGenBuffers(1, &gIndexBuffer);
  // Every quad is two triangles sharing the diagonal from its second corner
  // to its fourth, as OpenGL split its quads.
  std::vector<uint16_t> indices(static_cast<size_t>(kMaxQuads) * 6);
  for (int q = 0; q < kMaxQuads; q++) {
    const uint16_t v = static_cast<uint16_t>(q * 4);
    const uint16_t six[6] = {v, static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 3),
                             static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 2), static_cast<uint16_t>(v + 3)};
    std::memcpy(&indices[static_cast<size_t>(q) * 6], six, sizeof six);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gIndexBuffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)), indices.data(),
               GL_STATIC_DRAW);
  gVertices.assign(static_cast<size_t>(kMaxQuads) * 4, Vertex{});
  gCount = 0;
  gClearOwed = false;
  // A fresh context: its viewport and clipping are its own, not the last one's.
  gScissorOn = false;
  for (int &v : gViewport) v = -1;
  forgetKnownState();
  gStarted = true;
  return true;
}

void stop() {
  if (!gStarted) return;
  gCount = 0;
  gClearOwed = false;
  for (ProgramState *p : {&gPlain, &gPlainWhite, &gRectangle, &gRectangleWhite, &gColour}) shaders::release(p->program);
  glDeleteBuffers(1, &gVertexBuffer);
  glDeleteBuffers(1, &gIndexBuffer);
  gVertexBuffer = gIndexBuffer = 0;
  gVertices.clear();
  gVertices.shrink_to_fit();
  forgetKnownState();
  gStarted = false;
}

bool started() { return gStarted; }
bool isES() { return gES; }
bool rectangleTextures() { return gStarted && gRectangle.program.id != 0; }
bool bgraTextures() { return gStarted && gBGRA; }

void addQuad(const State &state, const Vertex (&corners)[4]) {
  if (!gStarted) return;
  // The first quad after a clear, drawn unblended over the whole viewport,
  // hides whatever the clear would have left.
  if (gClearOwed && gCount == 0 && !state.blending && coversViewport(corners)) {
    gClearOwed = false;
    gCounts.clearsSkipped++;
  }
  // White quads and tinted ones are drawn apart: the rasteriser's fast path
  // takes long runs of quads only without a colour to interpolate.
  const bool white = isWhite(corners[0]) && isWhite(corners[1]) && isWhite(corners[2]) && isWhite(corners[3]);
  if (gCount > 0 && (gLines || state != gState || white != gWhite || gCount + 4 > kMaxQuads * 4)) drawGathered();
  gState = state;
  gLines = false;
  gWhite = white;
  std::memcpy(&gVertices[static_cast<size_t>(gCount)], corners, sizeof corners);
  gCount += 4;
}

void addLine(const State &state, const Vertex (&ends)[2]) {
  if (!gStarted) return;
  if (gCount > 0 && (!gLines || state != gState || gCount + 2 > kMaxQuads * 4)) drawGathered();
  gState = state;
  gLines = true;
  std::memcpy(&gVertices[static_cast<size_t>(gCount)], ends, sizeof ends);
  gCount += 2;
}

bool continues(const State &state, bool white) { return gCount > 0 && !gLines && state == gState && white == gWhite; }
const State *gathering() { return gCount > 0 ? &gState : nullptr; }

void flush() {
  if (gStarted) drawGathered();
}

void setView(const Matrix4 &projection, const Matrix4 &modelView) {
  if (std::memcmp(projection.m, gProjection.m, sizeof gProjection.m) == 0 &&
      std::memcmp(modelView.m, gModelView.m, sizeof gModelView.m) == 0)
    return;
  flush();
  gProjection = projection;
  gModelView = modelView;
  gView = projection * modelView;
  gViewVersion++;
}

const Matrix4 &projection() { return gProjection; }
const Matrix4 &modelView() { return gModelView; }

void setViewport(int x, int y, int width, int height) {
  if (gViewport[0] == x && gViewport[1] == y && gViewport[2] == width && gViewport[3] == height) return;
  flush();
  glViewport(x, y, width, height);
  gViewport[0] = x;
  gViewport[1] = y;
  gViewport[2] = width;
  gViewport[3] = height;
}

void viewport(int (&box)[4]) { std::memcpy(box, gViewport, sizeof box); }

void setScissor(bool on, int x, int y, int width, int height) {
  flush();
  if (on) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, width, height);
    gScissor[0] = x;
    gScissor[1] = y;
    gScissor[2] = width;
    gScissor[3] = height;
  } else {
    glDisable(GL_SCISSOR_TEST);
  }
  gScissorOn = on;
}

bool scissor(int (&box)[4]) {
  std::memcpy(box, gScissor, sizeof box);
  return gScissorOn;
}

void clear(float r, float g, float b, float a) {
  flush();
  gClearOwed = true;
  gClearColour[0] = r;
  gClearColour[1] = g;
  gClearColour[2] = b;
  gClearColour[3] = a;
  if (!gStarted) drawGathered();
}

void setLineWidth(float width) {
  flush();
  glLineWidth(width);
}

void bindTexture(uint32_t target, uint32_t texture) {
  long &bound = boundOn(target);
  if (bound == static_cast<long>(texture)) return;
  glBindTexture(target, texture);
  bound = static_cast<long>(texture);
}

void bindForChange(uint32_t target, uint32_t texture) {
  if (gCount > 0 && gState.texture == texture) flush();
  bindTexture(target, texture);
}

void setFilter(uint32_t target, uint32_t texture, bool smooth) {
  bindForChange(target, texture);
  applyFilter(target, texture, smooth);
}

void deletingTexture(uint32_t texture) {
  if (gCount > 0 && gState.texture == texture) flush();
  if (gFilteredTexture == static_cast<long>(texture)) gFilteredTexture = -1;
  if (gBound2D == static_cast<long>(texture)) gBound2D = -1;
  if (gBoundRectangle == static_cast<long>(texture)) gBoundRectangle = -1;
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
  if (gStarted && !gES && gFixed.ready()) {
    gFixed.matrixMode(kProjectionMatrix);
    gFixed.loadMatrix(gProjection.m);
    gFixed.matrixMode(kModelViewMatrix);
    gFixed.loadMatrix(gModelView.m);
    gFixed.colour(colour[0], colour[1], colour[2], colour[3]);
    if (target == kRectangleTarget) glDisable(GL_TEXTURE_2D);
    else if (rectangleTextures()) glDisable(kRectangleTarget);
    glEnable(target);
  }
  forgetKnownState();
}

const Counts &counts() { return gCounts; }

} // namespace batch
