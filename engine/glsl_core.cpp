// The engine object, its hidden window and context, the float
// framebuffer and the error queue.
#include "engine/glsl_core.h"

#include "engine/engine_faults.h"
#include "engine/engine_lifecycle.h"
#include "embedded/kVertexShaderText.h"

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdlib>

namespace qv {

using Lock = std::lock_guard<std::recursive_mutex>;

GLSLCore::GLSLCore()
{
    Lock lock(engineMutex());
    vertexSource.assign(kVertexShaderText, kVertexShaderText_size);
    initialised = false;
    ensureGlfw();
    initContext();
    releaseCurrent();
    if (!engineFault(EngineFault::OutBufferLayerAlloc))
        outBufferLayer = static_cast<PF_EffectWorld *>(std::calloc(1, sizeof(PF_EffectWorld)));
    if (!outBufferLayer)
        queueError("Failed on initializing outBufferLayer.\n");
}

GLSLCore::~GLSLCore()
{
    Lock lock(engineMutex());
    releaseContext();
    std::free(stagingBuffer);
    std::free(readbackBuffer);
    std::free(outBufferLayer);
    stagingBuffer = readbackBuffer = nullptr;
    outBufferLayer = nullptr;
    stagingCapacity = 0;
}

// Deletes the context's objects and destroys the window, unless GLFW has
// been terminated since they were made (it destroyed them then).
void GLSLCore::releaseContext()
{
    if (window && glfwGeneration == glfwSession()) {
        makeCurrent();  /* delete our names in our own context, not the last one made */
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteTextures(1, &fboTexture);
        glBindTexture(GL_TEXTURE_2D, 0);
        releasePassObjects();
        glfwDestroyWindow(window);
    }
    forgetStaleContext();
}

// Drops every handle of the context without a GL call.
void GLSLCore::forgetStaleContext()
{
    window = nullptr;
    initialised = false;
    fbo = fboTexture = 0;
    program = vao = vbo = 0;
    for (unsigned &name : layerTextures)
        name = 0;
    glfwGeneration = 0;
}

void GLSLCore::makeCurrent()
{
    if (glfwGetCurrentContext() != window)
        glfwMakeContextCurrent(window);
    if (!glFunctionsLoaded())  /* a failed load elsewhere left the pointers unusable */
        loadGlFunctions(true);
}

// Leaves no context current on this thread between operations: a context
// still current on a render thread when the global shutdown terminates GLFW
// could not be freed (Mesa keeps it, Windows refuses to delete it).
void GLSLCore::releaseCurrent()
{
    if (glfwSession() && glfwGetCurrentContext())
        glfwMakeContextCurrent(nullptr);
}

int GLSLCore::initContext()
{
    Lock lock(engineMutex());
    bool impossible = engineFault(EngineFault::WindowCreation);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, impossible ? 99 : 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    /* Windows holds a framed window to its minimum and maximum tracking
       sizes (about 108 pixels wide at least, the screen at most), which
       would change the framebuffer; a frameless one gets the size asked. */
    glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
    window = glfwCreateWindow(engineWindowWidth(), engineWindowHeight(), "Quorvel - RenderEngine",
                              nullptr, nullptr);
    if (!window) {
        queueError("Failed to create GLFW window");
        return -1;
    }
    glfwGeneration = glfwSession();
    glfwGetFramebufferSize(window, &fboWidth, &fboHeight);
    glfwMakeContextCurrent(window);
    if (!loadGlFunctions(!engineFault(EngineFault::GladLoad))) {
        queueError("Failed to initialize GLAD");
        releaseContext();  /* a retry makes a new window: do not keep this one */
        return -1;
    }
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenTextures(1, &fboTexture);
    glBindTexture(GL_TEXTURE_2D, fboTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, fboWidth, fboHeight, 0, GL_RGBA, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!engineFault(EngineFault::FramebufferIncomplete))
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, fboTexture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        queueError("Failed to initialize FBO");
        releaseContext();
        return -1;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    initialised = true;
    return 0;
}

void GLSLCore::queueError(std::string message)
{
    Lock lock(engineMutex());
    errorQueue.push_back(std::move(message));
}

bool GLSLCore::hasError()
{
    Lock lock(engineMutex());
    return !errorQueue.empty();
}

std::string GLSLCore::popError()
{
    Lock lock(engineMutex());
    if (errorQueue.empty())
        return std::string();
    std::string message = std::move(errorQueue.front());
    errorQueue.pop_front();
    return message;
}

} // namespace qv
