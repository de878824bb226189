#include "engine/gl_context.h"

#include "engine/engine_lifecycle.h"
#include "engine/engine_messages.h"
#include "engine/fault_seam.h"
#include "engine/window_owners.h"

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>

namespace qv {

namespace {

// Drops every handle of the context without a GL call.
void forgetStaleContext(EngineState &s)
{
    s.window = nullptr;
    s.initialised = false;
    s.fbo = s.fboTexture = 0;
    s.program = s.vao = s.vbo = 0;
    forgetPrograms(s.programs);
    for (UnitTexture &texture : s.unitTextures)
        texture = UnitTexture();
    s.glfwGeneration = 0;
}

bool createWindow(EngineState &s, const ContextRequest &request)
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, request.versionMajor);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    /* Windows holds a framed window to its minimum and maximum tracking
       sizes (about 108 pixels wide at least, the screen at most), which
       would change the framebuffer; a frameless one gets the size asked. */
    glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
    s.window = glfwCreateWindow(request.windowWidth, request.windowHeight, "Quorvel - RenderEngine",
                                nullptr, nullptr);
    if (s.window)
        noteWindowMade(s.window);
    return s.window != nullptr;
}

// The float colour texture and the framebuffer around it; false if incomplete.
bool createFramebuffer(EngineState &s, bool attachColour)
{
    glGenFramebuffers(1, &s.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
    glGenTextures(1, &s.fboTexture);
    glBindTexture(GL_TEXTURE_2D, s.fboTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, s.fboWidth, s.fboHeight, 0, GL_RGBA, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (attachColour)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, s.fboTexture, 0);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// A context that cannot be made is retried by every render; a retry that
// fails for a cause still waiting unread in the queue (the construction's,
// drained after the render) adds no copy, so the reader gets one message
// per cause, not the same text run together.
void queueSetupError(EngineState &s, const char *message)
{
    if (std::find(s.errorQueue.begin(), s.errorQueue.end(), message) == s.errorQueue.end())
        queueError(s, message);
}

} // namespace

int initContext(EngineState &s)
{
    ContextRequest request = contextRequest();
    if (!createWindow(s, request)) {
        queueSetupError(s, msg::kWindowNotCreated);
        return -1;
    }
    s.glfwGeneration = glfwSession();
    glfwGetFramebufferSize(s.window, &s.fboWidth, &s.fboHeight);
    glfwMakeContextCurrent(s.window);
    if (!loadGlFunctions(request.loaderFinds)) {
        queueSetupError(s, msg::kGladNotLoaded);
        releaseContext(s);  /* a retry makes a new window: do not keep this one */
        return -1;
    }
    if (!createFramebuffer(s, request.attachColour)) {
        queueSetupError(s, msg::kFboIncomplete);
        releaseContext(s);
        return -1;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    s.initialised = true;
    return 0;
}

bool ensureContext(EngineState &s)
{
    if (s.initialised && s.glfwGeneration != glfwSession())
        forgetStaleContext(s);  /* GLFW was terminated and destroyed our window */
    if (!s.initialised) {
        ensureGlfw();
        initContext(s);
        releaseCurrent();
    }
    return s.initialised;
}

void releaseContext(EngineState &s)
{
    if (s.window && s.glfwGeneration == glfwSession()) {
        makeCurrent(s);  /* delete our names in our own context, not the last one made */
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &s.fbo);
        glDeleteTextures(1, &s.fboTexture);
        glBindTexture(GL_TEXTURE_2D, 0);
        releasePassObjects(s);
        for (int unit = 0; unit < kTextureUnits; ++unit)
            deleteUnitTexture(s, unit);
        deletePrograms(s.programs);
        glfwDestroyWindow(s.window);
        noteWindowDestroyed(s.window);
    }
    forgetStaleContext(s);
}

void deleteUnitTexture(EngineState &s, int unit)
{
    UnitTexture &texture = s.unitTextures[unit];
    if (texture.name)
        glDeleteTextures(1, &texture.name);  /* a bound texture's unit falls back to texture 0 */
    texture = UnitTexture();
}

void releasePassObjects(EngineState &s)
{
    glActiveTexture(GL_TEXTURE0);
    glDeleteVertexArrays(1, &s.vao);
    glDeleteBuffers(1, &s.vbo);
    s.vao = s.vbo = 0;
    glUseProgram(0);
    s.program = 0;  /* the program stays in the cache */
}

void makeCurrent(EngineState &s)
{
    if (glfwGetCurrentContext() != s.window)
        glfwMakeContextCurrent(s.window);
    if (!glFunctionsLoaded())  /* a failed load elsewhere left the pointers unusable */
        loadGlFunctions(true);
}

void releaseCurrent()
{
    if (glfwSession() && glfwGetCurrentContext())
        glfwMakeContextCurrent(nullptr);
}

} // namespace qv
