// The thread-local engines: one per calling site and thread,
// made on first use and destroyed when the thread ends.
#include "engine/glsl_core.h"

namespace qv {

GLSLCore &driverEngine()
{
    thread_local GLSLCore engine;
    return engine;
}

GLSLCore &luaGlslEngine()
{
    thread_local GLSLCore engine;
    return engine;
}

GLSLCore &luaFullGlslEngine()
{
    thread_local GLSLCore engine;
    return engine;
}

} // namespace qv
