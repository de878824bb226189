// The fragment source around the user's code, and the compile and
// link of both shaders with their fixed messages.
#include "engine/glsl_core.h"

#include "embedded/kFragmentPreludeText.h"

#include <glad/gl.h>

#include <algorithm>

namespace qv {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr int kPlatformCode = 0;  // the platform define's value in this build

// The whole info log of a shader or program, however long.
template <typename GetIv, typename GetLog>
std::string infoLog(unsigned object, GetIv getIv, GetLog getLog)
{
    GLint length = 0;
    getIv(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    GLsizei written = 0;
    getLog(object, static_cast<GLsizei>(log.size()), &written, &log[0]);
    log.resize(static_cast<std::size_t>(std::max(written, 0)));
    return log;
}

// Compiles one shader stage into `shader`; false with the driver's log on failure.
bool compileStage(GLenum stage, const std::string &text, unsigned &shader, std::string &log)
{
    shader = glCreateShader(stage);
    const char *source = text.c_str();  /* one NUL-terminated string: a NUL in the code ends it */
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
        log = infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    return ok == GL_TRUE;
}

} // namespace

std::string GLSLCore::makeFragmentSource(const std::string &code, int version)
{
    Lock lock(engineMutex());
    std::string source = "#version " + std::to_string(version) + " core\n";
    source += "#define platform " + std::to_string(kPlatformCode) + "\n";
    source.append(kFragmentPreludeText, kFragmentPreludeText_size);
    source += "#line 1\n";  /* compile messages count the user's lines */
    source += code;
    return source;
}

int GLSLCore::compileProgram()
{
    Lock lock(engineMutex());
    std::string log;
    unsigned vertex = 0, fragment = 0;
    if (!compileStage(GL_VERTEX_SHADER, vertexSource, vertex, log))
        queueError("ERROR::SHADER::VERTEX::COMPILATION_FAILED\n" + log);
    log.clear();
    if (!compileStage(GL_FRAGMENT_SHADER, fragmentSource, fragment, log))
        queueError("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n" + log);
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok)
        queueError("ERROR::SHADER::PROGRAM::LINKING_FAILED\n" + infoLog(program, glGetProgramiv, glGetProgramInfoLog));
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    glUseProgram(program);
    return 0;
}

} // namespace qv
