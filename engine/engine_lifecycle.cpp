#include "engine/engine_lifecycle.h"


#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdlib>

namespace qv {

namespace {
bool glfwReady = false;
unsigned sessionCounter = 0;
unsigned currentSession = 0;
bool glLoaded = false;

GLADapiproc findNothing(const char *) { return nullptr; }

// The prelude's getColor indexes the sampler array `layer` with a function
// argument. Windows drivers accept that in GLSL 3.30; Mesa rejects it unless
// extensions such as ARB_gpu_shader5 are on, and turns them all on (as those
// drivers do) with this option of its own; MESA_DEBUG=silent keeps it from
// announcing the override on the host's standard error. Values already set
// are kept. Set before the first glfwInit, when Mesa reads its options.
void relaxMesaShaderRules()
{
#ifndef _WIN32
    static bool done = false;
    if (!done) {
        setenv("force_glsl_extensions_warn", "true", 0);
        setenv("MESA_DEBUG", "silent", 0);
    }
    done = true;
#endif
}
} // namespace

std::recursive_mutex &engineMutex()
{
    static std::recursive_mutex *mutex = new std::recursive_mutex;  /* outlives thread-exit destructors */
    return *mutex;
}

void ensureGlfw()
{
    if (glfwReady)
        return;
    relaxMesaShaderRules();
    if (glfwInit() == GLFW_TRUE) {
        glfwReady = true;
        currentSession = ++sessionCounter;
    }
}

unsigned glfwSession()
{
    return glfwReady ? currentSession : 0;
}

bool loadGlFunctions(bool ok)
{
    glLoaded = gladLoadGL(ok ? glfwGetProcAddress : findNothing) != 0;
    return glLoaded;
}

bool glFunctionsLoaded()
{
    return glLoaded;
}

void globalShutdown()
{
    std::lock_guard<std::recursive_mutex> lock(engineMutex());
    if (!glfwReady)
        return;
    glfwTerminate();
    glfwReady = false;
    currentSession = 0;
    glLoaded = false;
}

} // namespace qv
