// Process-wide lifecycle of the GL engines: the engine lock and the windowing
// library's session.
#pragma once

#include <mutex>

namespace qv {

// Serialises every GLSLCore operation and every GL call in the process;
// each public operation takes it once.
std::recursive_mutex &engineMutex();

// Called at global setdown: terminates the windowing library (which destroys
// every remaining hidden window) so no context outlives the effect's global
// data. Engines destroyed afterwards make no GL or GLFW call. On Windows,
// while another running thread owns a window (which only that thread can
// destroy), GLFW is left as it is and those threads keep their contexts.
void globalShutdown();

// The rest holds engineMutex in its caller.

// Initialises GLFW unless it is ready. A failed glfwInit leaves it not ready,
// so a later render tries again; the failure then shows as a window that
// could not be created.
void ensureGlfw();

// Non-zero while GLFW is initialised, and different for every initialisation:
// an engine whose context was made in an earlier session must not touch it.
unsigned glfwSession();

// Loads the GL functions through the context current on this thread; `ok`
// false stands for a loader that finds nothing (the GladLoad fault).
bool loadGlFunctions(bool ok);
// False after a failed load, which leaves the process-wide function pointers
// unusable until a load succeeds.
bool glFunctionsLoaded();

} // namespace qv
