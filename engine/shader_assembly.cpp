// The fragment source around the user's code, and the compile and
// link of both shaders with their fixed messages.
#include "engine/shader_assembly.h"

#include "engine/engine_messages.h"

#include "embedded/kFragmentPreludeText.h"

#include <glad/gl.h>

namespace qv {

namespace {

constexpr int kPlatformCode = 0;  // the platform define's value in this build
constexpr int kInfoLogSize = 1024;

// Compiles one shader stage into `shader`; false with the driver's log on failure.
bool compileStage(GLenum stage, const std::string &text, unsigned &shader, std::string &log)
{
    shader = glCreateShader(stage);
    const char *source = text.c_str();  /* one NUL-terminated string: a NUL in the code ends it */
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char buffer[kInfoLogSize] = {};
        glGetShaderInfoLog(shader, kInfoLogSize, nullptr, buffer);
        log = buffer;
    }
    return ok == GL_TRUE;
}

} // namespace

std::string makeFragmentSource(const std::string &code, int version)
{
    std::string source = "#version " + std::to_string(version) + " core\n";
    source += "#define platform " + std::to_string(kPlatformCode) + "\n";
    source.append(kFragmentPreludeText, kFragmentPreludeText_size);
    source += code;
    return source;
}

int compileProgram(EngineState &s)
{
    std::string log;
    unsigned vertex = 0, fragment = 0;
    if (!compileStage(GL_VERTEX_SHADER, s.vertexSource, vertex, log))
        queueError(s, msg::kVertexCompileFailed + log);
    log.clear();
    if (!compileStage(GL_FRAGMENT_SHADER, s.fragmentSource, fragment, log))
        queueError(s, msg::kFragmentCompileFailed + log);
    s.program = glCreateProgram();
    glAttachShader(s.program, vertex);
    glAttachShader(s.program, fragment);
    glLinkProgram(s.program);
    GLint ok = GL_FALSE;
    glGetProgramiv(s.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char buffer[kInfoLogSize] = {};
        glGetProgramInfoLog(s.program, kInfoLogSize, nullptr, buffer);
        queueError(s, msg::kLinkFailed + std::string(buffer));
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    glUseProgram(s.program);
    return 0;
}

} // namespace qv
