// Counts the GL objects alive in an engine's context, from outside the engine.
// The engine keeps no count of its own, so the census asks the driver: it
// takes the next name of each kind the driver hands out (a fresh name, made
// and deleted at once) as the top of the range in use, then probes every name
// below it with glIs*. A leak shows as a live count that grows; names that
// keep growing while the live count stays flat only mean the driver does not
// reuse names. Call it on the engine's thread, between passes.
#pragma once

#include "engine/engine_probe.h"

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <mutex>

struct GlCensus {
    long live = 0;      // textures, buffers, vertex arrays, framebuffers, programs and shaders
    long nextName = 0;  // the largest of the fresh names, over every kind
};

namespace gl_census_detail {

using IsName = GLboolean (*)(GLuint);

inline long countLive(IsName isName, GLuint below)
{
    long n = 0;
    for (GLuint name = 1; name < below; ++name)
        n += isName(name) == GL_TRUE;
    return n;
}

// One kind: `fresh` makes and deletes a name and returns it.
template <typename Fresh>
void takeKind(GlCensus &census, IsName isName, Fresh fresh)
{
    GLuint next = fresh();
    census.live += countLive(isName, next);
    census.nextName = std::max<long>(census.nextName, static_cast<long>(next));
}

inline GLboolean isTexture(GLuint n) { return glIsTexture(n); }
inline GLboolean isBuffer(GLuint n) { return glIsBuffer(n); }
inline GLboolean isVertexArray(GLuint n) { return glIsVertexArray(n); }
inline GLboolean isFramebuffer(GLuint n) { return glIsFramebuffer(n); }
// Programs and shaders share one namespace.
inline GLboolean isProgramOrShader(GLuint n) { return glIsProgram(n) || glIsShader(n); }

} // namespace gl_census_detail

// The objects of `engine`'s context; an engine without a context counts none.
inline GlCensus takeGlCensus(qv::GLSLCore &engine)
{
    using namespace gl_census_detail;
    GlCensus census;
    std::lock_guard<std::recursive_mutex> lock(qv::engineMutex());
    if (!qv::EngineProbe(engine)->initialised || !qv::EngineProbe(engine)->window)
        return census;
    glfwMakeContextCurrent(qv::EngineProbe(engine)->window);
    takeKind(census, isTexture, [] { GLuint n = 0; glGenTextures(1, &n); glDeleteTextures(1, &n); return n; });
    takeKind(census, isBuffer, [] { GLuint n = 0; glGenBuffers(1, &n); glDeleteBuffers(1, &n); return n; });
    takeKind(census, isVertexArray,
             [] { GLuint n = 0; glGenVertexArrays(1, &n); glDeleteVertexArrays(1, &n); return n; });
    takeKind(census, isFramebuffer,
             [] { GLuint n = 0; glGenFramebuffers(1, &n); glDeleteFramebuffers(1, &n); return n; });
    takeKind(census, isProgramOrShader, [] { GLuint n = glCreateProgram(); glDeleteProgram(n); return n; });
    glfwMakeContextCurrent(nullptr);  /* the engines expect no context current between passes */
    return census;
}

inline GlCensus operator+(GlCensus a, const GlCensus &b)
{
    a.live += b.live;
    a.nextName = std::max(a.nextName, b.nextName);
    return a;
}
