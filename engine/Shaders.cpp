#include "Shaders.h"

#include <vector>

#include "OpenGL.h"
#include "platform/Platform.h"

namespace shaders {

namespace {
// The two dialects differ only in their first lines: the version, the ES
// precisions, how a rectangle texture is named and read, and whether the
// colour is there (TINTED). The colour is the first varying: Mesa's
// software rasteriser (22.x) mixes the two up on its fast path otherwise.
// Nothing is discarded and nothing compared, so that the same fast path
// takes the program.
const char *kVertexBody = R"(
attribute vec2 aPosition;
attribute vec2 aTexCoord;
uniform mat4 uView;
#ifdef TINTED
attribute vec4 aColour;
varying vec4 vColour;
#endif
varying vec2 vTexCoord;
void main() {
  vTexCoord = aTexCoord;
#ifdef TINTED
  vColour = aColour;
#endif
  gl_Position = uView * vec4(aPosition, 0.0, 1.0);
}
)";

const char *kFragmentBody = R"(
uniform PICTURE uPicture;
#ifdef TINTED
varying vec4 vColour;
#endif
varying vec2 vTexCoord;
void main() {
#ifdef TINTED
  gl_FragColor = READ(uPicture, vTexCoord) * vColour;
#else
  gl_FragColor = READ(uPicture, vTexCoord);
#endif
}
)";

const char *kColourVertexBody = R"(
attribute vec2 aPosition;
attribute vec4 aColour;
uniform mat4 uView;
varying vec4 vColour;
void main() {
  vColour = aColour;
  gl_Position = uView * vec4(aPosition, 0.0, 1.0);
}
)";

const char *kColourBody = R"(
varying vec4 vColour;
void main() {
  gl_FragColor = vColour;
}
)";

std::string header(Dialect dialect) { return dialect == Dialect::ES ? "#version 100\n" : "#version 110\n"; }

unsigned int compile(unsigned int kind, const std::string &source, std::string &log) {
  const unsigned int shader = glCreateShader(kind);
  if (!shader) {
    log = "the driver made no shader object";
    return 0;
  }
  const char *text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> message(static_cast<size_t>(length > 1 ? length : 1), '\0');
  glGetShaderInfoLog(shader, static_cast<GLsizei>(message.size()), nullptr, message.data());
  log = std::string(kind == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + message.data();
  glDeleteShader(shader);
  return 0;
}

} // namespace

std::string vertexSource(Dialect dialect, Sampler sampler, bool tinted) {
  if (sampler == Sampler::None) return header(dialect) + kColourVertexBody;
  return header(dialect) + (tinted ? "#define TINTED\n" : "") + kVertexBody;
}

std::string fragmentSource(Dialect dialect, Sampler sampler, bool tinted) {
  std::string s = header(dialect);
  // ES reads a texture at low precision unless told: the texels would
  // round apart from the desktop's.
  if (dialect == Dialect::ES)
    s += "#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\nprecision highp sampler2D;\n"
         "#else\nprecision mediump float;\n#endif\n";
  if (tinted) s += "#define TINTED\n";
  if (sampler == Sampler::Rectangle)
    s += "#extension GL_ARB_texture_rectangle : require\n#define PICTURE sampler2DRect\n#define READ texture2DRect\n";
  else if (sampler == Sampler::Texture2D)
    s += "#define PICTURE sampler2D\n#define READ texture2D\n";
  else
    return s + kColourBody;
  return s + kFragmentBody;
}

namespace {
// The driver's words on a program that did not build, reported.
bool failed(Dialect dialect, Sampler sampler, const std::string &log) {
  const char *kind = sampler == Sampler::Rectangle ? "rectangle textures" : sampler == Sampler::None ? "colour" : "2D textures";
  const std::string what = std::string(dialect == Dialect::ES ? "GLSL ES 1.00, " : "GLSL 1.10, ") + kind;
  platform::report(K_REPORT_WARNING, "a drawing program did not build", what.c_str(), log.c_str());
  return false;
}
} // namespace

bool build(Dialect dialect, Sampler sampler, bool tinted, Program &program) {
  program = Program();
  std::string log;
  const unsigned int vertex = compile(GL_VERTEX_SHADER, vertexSource(dialect, sampler, tinted), log);
  if (!vertex) return failed(dialect, sampler, log);
  const unsigned int fragment = compile(GL_FRAGMENT_SHADER, fragmentSource(dialect, sampler, tinted), log);
  if (!fragment) {
    glDeleteShader(vertex);
    return failed(dialect, sampler, log);
  }
  const unsigned int id = glCreateProgram();
  glAttachShader(id, vertex);
  glAttachShader(id, fragment);
  glBindAttribLocation(id, kPosition, "aPosition");
  glBindAttribLocation(id, kTexCoord, "aTexCoord");
  glBindAttribLocation(id, kColour, "aColour");
  glLinkProgram(id);
  // The program keeps what it needs: the shaders go with it.
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(id, GL_LINK_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetProgramiv(id, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length > 1 ? length : 1), '\0');
    glGetProgramInfoLog(id, static_cast<GLsizei>(text.size()), nullptr, text.data());
    log = std::string("link: ") + text.data();
    glDeleteProgram(id);
    return failed(dialect, sampler, log);
  }
  program.id = id;
  program.view = glGetUniformLocation(id, "uView");
  program.picture = glGetUniformLocation(id, "uPicture");
  glUseProgram(id);
  if (program.picture >= 0) glUniform1i(program.picture, 0);
  return true;
}

void release(Program &program) {
  if (program.id) glDeleteProgram(program.id);
  program = Program();
}

} // namespace shaders
