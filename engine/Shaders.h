#pragma once

#include <string>

/// The engine's drawing programs: every quad and line is a texture read
/// times its corners' colour (or the colour alone, for lines and filled
/// rectangles; or the texture alone, where every corner is white), in the
/// world view set as a uniform.
namespace shaders {

/// Which GLSL the context speaks: 1.10 (desktop OpenGL 2.1 and later) or
/// GLSL ES 1.00 (OpenGL ES 2.0, WebGL 1).
enum class Dialect { Desktop, ES };
/// What the program reads: a 2D texture (coordinates 0..1), a rectangle
/// texture (coordinates in texels; desktop only), or nothing (the colour
/// alone: a white texel times a colour may round otherwise).
enum class Sampler { Texture2D, Rectangle, None };

/// Attribute slots, bound before linking.
enum Attribute { kPosition = 0, kTexCoord = 1, kColour = 2 };

/// The sources of a program reading `sampler`, `tinted` by a colour at each
/// corner or not (the colour-only program always is).
std::string vertexSource(Dialect dialect, Sampler sampler, bool tinted);
std::string fragmentSource(Dialect dialect, Sampler sampler, bool tinted);

/// A linked program and where its uniforms are.
struct Program {
  unsigned int id = 0;
  int view = -1;    ///< mat4: world coordinates to clip space
  int picture = -1; ///< the sampler, on texture unit 0; -1 for none
};

/// Compiles and links the program in the current context. On failure
/// reports the driver's words (a warning) and leaves nothing behind.
bool build(Dialect dialect, Sampler sampler, bool tinted, Program &program);
void release(Program &program);

} // namespace shaders
