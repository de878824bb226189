// Drains an engine's queued messages the way every caller reports them.
#pragma once

#include "engine/glsl_core.h"

#include <string>

namespace qv {

// Every queued message, oldest first, joined with nothing between them;
// the queue is empty afterwards.
inline std::string TakeEngineErrors(GLSLCore &engine)
{
    std::string log;
    while (engine.hasError())
        log += engine.popError();
    return log;
}

} // namespace qv
