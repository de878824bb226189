#include "engine/engine_lifecycle.h"

#include "engine/thread_engines.h"
#include "engine/window_owners.h"

#include "support/platform.h"

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

// GLFW loads the system's game-controller libraries (XInput, DirectInput) at
// glfwInit and frees them at glfwTerminate. A library freed while a thread of
// its own still runs takes the host down (Wine's XInput has such a thread);
// the engine asks for no controllers, so once loaded they stay loaded.
void pinControllerLibraries()
{
#ifdef _WIN32
    for (const char *library : {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll", "xinput1_2.dll",
                                "xinput1_1.dll", "dinput8.dll"})
        platform::PinLoadedLibrary(library);  /* not loaded: nothing to do */
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
    if (glfwInit() == GLFW_TRUE) {
        pinControllerLibraries();
        noteGlfwInitialised();
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
    endOrphanedEngines();
    if (!glfwReady)
        return;
    if (otherThreadsOwnWindows())
        return;  /* GLFW stays as it is: their threads' engines go on using their windows */
    glfwTerminate();
    forgetAllWindows();
    glfwReady = false;
    currentSession = 0;
    glLoaded = false;
}

} // namespace qv
