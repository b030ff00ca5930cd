#pragma once

#include <cstdint>
#include <string>

#include "Matrix4.h"

/// The one way the engine draws: textured, coloured quads and lines,
/// gathered in a vertex buffer and drawn in as few calls as their texture,
/// filter and blending allow. A run is drawn when what it needs changes
/// (texture, filter, blending, the view, the clipping box, a texture it
/// reads), before pixels are read back, and at the flip. One context at a
/// time: start() after the window's context is made, stop() before it goes.
namespace batch {

/// A corner of a quad or an end of a line: its place in the world view
/// (OpenGL's coordinates, y upward), where it reads its texture (0..1 for a
/// 2D texture, texels for a rectangle texture), and its colour.
struct Vertex {
  float x, y;
  float s, t;
  float r, g, b, a;
};

/// How a run of quads or lines is drawn.
struct State {
  uint32_t texture = 0;  ///< the texture read; 0 for none (the colour alone)
  uint32_t target = 0;   ///< its target: GL_TEXTURE_2D or the rectangle target
  bool smooth = false;   ///< linear filtering; nearest otherwise
  bool blending = false; ///< blended by (source, destination); written as it is otherwise
  uint16_t source = 0, destination = 0;
  bool operator==(const State &o) const {
    return texture == o.texture && target == o.target && smooth == o.smooth && blending == o.blending &&
           (!blending || (source == o.source && destination == o.destination));
  }
  bool operator!=(const State &o) const { return !(*this == o); }
};

/// Quads gathered at most before they are drawn.
constexpr int kMaxQuads = 4096;
/// OpenGL's rectangle texture target, which the ES header does not name.
constexpr uint32_t kRectangleTarget = 0x84F5;

/// Sets up the programs and buffers in the current context; false (the
/// driver's words reported) if the program cannot be built.
bool start();
/// Releases them; the context must still be current.
void stop();
/// The context's objects are gone (a lost context given back, or a new one
/// in its place): makes the programs and buffers again without deleting
/// the old ones, and sets the viewport, the clipping box and the line width
/// in it as they were. False, as start(), if the program cannot be built.
bool renew();
bool started();
/// Whether the context is OpenGL ES (or WebGL), whose shaders are GLSL ES.
bool isES();
/// Whether pictures may be rectangle textures (a desktop context with the
/// extension).
bool rectangleTextures();
/// Whether the window allows rectangle textures for grabs of the screen:
/// KWindowGL::hasRectangleText names this flag, which the grabs read.
bool &rectangleTexCap();
/// Whether textures take texels in the order B, G, R, A (desktop OpenGL;
/// ES with the extension): a software rasteriser draws such textures on
/// its fast path. Where false, only R, G, B, A.
bool bgraTextures();
/// OpenGL's name for texels B, G, R, A, which the ES header does not name.
constexpr uint32_t kBGRA = 0x80E1;

/// A quad: corners top-left, bottom-left, bottom-right, top-right.
void addQuad(const State &state, const Vertex (&corners)[4]);
/// A line from the first end to the second.
void addLine(const State &state, const Vertex (&ends)[2]);
/// Whether a quad of `state`, its corners all white or not, would join the
/// run being gathered (white quads and tinted ones run apart).
bool continues(const State &state, bool white);
/// The state of the run being gathered, or null when nothing is.
const State *gathering();
/// Draws what is gathered (and a clear still owed).
void flush();

/// The world view: projection times model-view takes world coordinates to
/// OpenGL's clip space.
void setView(const Matrix4 &projection, const Matrix4 &modelView);
const Matrix4 &projection();
const Matrix4 &modelView();
void setViewport(int x, int y, int width, int height);
void viewport(int (&box)[4]);
/// The clipping box in the drawable's pixels (y upward), or none.
void setScissor(bool on, int x, int y, int width, int height);
bool scissor(int (&box)[4]);
/// Clears the colour buffer, or leaves it to the next quad when that quad
/// covers the whole viewport unblended: nobody would see the clear.
void clear(float r, float g, float b, float a);
void setLineWidth(float width);

/// Binds a texture on unit 0 for the caller to change it, after drawing
/// what is gathered of it (the quads read it as it was).
void bindForChange(uint32_t target, uint32_t texture);
/// Binds a texture on unit 0 without drawing anything.
void bindTexture(uint32_t target, uint32_t texture);
/// Sets a texture's filter (bound for change first).
void setFilter(uint32_t target, uint32_t texture, bool smooth);
/// Before a texture is deleted: what is gathered of it is drawn.
void deletingTexture(uint32_t texture);
/// Draws what is gathered and forgets what is known of OpenGL's state, for
/// code that draws with OpenGL directly.
void forgetState();
/// Hands OpenGL over to a caller's own drawing, after drawing what is
/// gathered: no program in use, no buffer bound, the engine's attribute
/// arrays off, `texture` bound on unit 0 on `target`. On desktop OpenGL also
/// the fixed function the caller draws with: the world view as its
/// projection and model-view matrices, `colour` as the current colour and
/// `target` the one texture target enabled. The engine sets all of its own
/// state again for its next quad.
void handOver(uint32_t target, uint32_t texture, const float (&colour)[4]);

/// What was drawn since the program started: for tests and benchmarks.
struct Counts {
  uint64_t drawCalls = 0;
  uint64_t quads = 0;
  uint64_t clears = 0;        ///< clears done
  uint64_t clearsSkipped = 0; ///< clears a quad covering the viewport made needless
};
const Counts &counts();

} // namespace batch
