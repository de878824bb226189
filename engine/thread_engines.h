// The thread-local engines: one per calling site and thread, made on first
// use and destroyed when the thread ends (thread_engines.cpp says how).
#pragma once

#include "engine/glsl_core.h"

namespace qv {

GLSLCore &driverEngine();           // the render driver's GLSL and Shadertoy passes
GLSLCore &luaGlslEngine();          // qv.glsl: the code wrapped with the prelude
GLSLCore &luaUnwrappedGlslEngine(); // qv.full_glsl: a complete shader, not wrapped

// Ends the engines of threads that ended while another thread held the
// engine lock (Windows only). Leaves no context current. Called with
// engineMutex held.
void endOrphanedEngines();

} // namespace qv
