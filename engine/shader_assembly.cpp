// The fragment source around the user's code, and the compile and
// link of both shaders with their fixed messages.
#include "engine/shader_assembly.h"

#include "engine/engine_messages.h"
#include "engine/uniforms.h"

#include "translate/glsl_measure.h"

#include "embedded/kFragmentPreludeText.h"

#include <glad/gl.h>

#include <algorithm>

namespace qv {

namespace {

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

// Compiles one shader stage into `shader`; false with the driver's log on
// failure. A source past the bounds the driver compiles in reasonable time and
// memory is not handed to it: the stage stays uncompiled, so the link fails
// after it as it does after any compile error.
bool compileStage(GLenum stage, const std::string &text, unsigned &shader, std::string &log)
{
    shader = glCreateShader(stage);
    const char *source = text.c_str();  /* one NUL-terminated string: a NUL in the code ends it */
    log = MeasureGlsl(source);
    if (!log.empty())
        return false;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
        log = infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    return ok == GL_TRUE;
}

} // namespace

std::string makeFragmentSource(const std::string &code, int version)
{
    std::string source = "#version " + std::to_string(version) + " core\n";
    source += "#define platform " + std::to_string(kPlatformCode) + "\n";
    // The prelude's getColor picks a layer's sampler by a constant index in
    // each branch: GLSL 3.30 allows no other index into a sampler array, and
    // drivers that keep to the rules (Mesa's defaults) refuse a variable one.
    source.append(kFragmentPreludeText, kFragmentPreludeText_size);
    source += "#line 1\n";  /* compile messages count the user's lines */
    source += code;
    return source;
}

namespace {

// Compiles both stages and links them into entry.program, queuing the
// failures' messages; entry.built says which step failed first.
void buildProgram(EngineState &s, CachedProgram &entry)
{
    std::string log;
    unsigned vertex = 0, fragment = 0;
    bool compiled = compileStage(GL_VERTEX_SHADER, s.vertexSource, vertex, log);
    if (!compiled)
        queueError(s, msg::kVertexCompileFailed + log);
    log.clear();
    if (!compileStage(GL_FRAGMENT_SHADER, s.fragmentSource, fragment, log)) {
        queueError(s, msg::kFragmentCompileFailed + log);
        compiled = false;
    }
    unsigned program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok)
        queueError(s, msg::kLinkFailed + infoLog(program, glGetProgramiv, glGetProgramInfoLog));
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    entry.program = program;
    entry.built = !compiled ? PassResult::CompileFailed : !ok ? PassResult::LinkFailed : PassResult::Ran;
}

// A new cache entry for the current sources: the program with its uniform
// locations, or, for a failure, only its messages and result.
CachedProgram newEntry(EngineState &s)
{
    CachedProgram entry;
    entry.vertexSource = s.vertexSource;
    entry.fragmentSource = s.fragmentSource;
    size_t before = s.errorQueue.size();
    buildProgram(s, entry);
    entry.messages.assign(s.errorQueue.begin() + static_cast<long>(before), s.errorQueue.end());
    if (entry.built != PassResult::Ran) {  /* a failure is kept for its messages and result only */
        glDeleteProgram(entry.program);
        entry.program = 0;
    } else {
        entry.locations = lookUpUniforms(entry.program);
    }
    return entry;
}

} // namespace

PassResult compileProgram(EngineState &s)
{
    CachedProgram *cached = findProgram(s.programs, s.vertexSource, s.fragmentSource);
    if (!cached) {
        keepProgram(s.programs, newEntry(s));
        cached = &s.programs.entries.back();
    } else {
        for (const std::string &message : cached->messages)
            queueError(s, message);
    }
    s.program = cached->program;
    s.locations = cached->locations;
    glUseProgram(s.program);
    return cached->built;
}

} // namespace qv
