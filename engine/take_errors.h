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

// What a pass did and every message it queued, joined ("" when none).
struct PassReport {
    PassResult result = PassResult::Ran;
    std::string log;
};

// One pass of `engine` into ctx's output, its messages taken.
inline PassReport RenderAndTakeErrors(GLSLCore &engine, const std::string &code, PassFrame *ctx, bool wrap)
{
    PassResult result = engine.render(code, ctx, wrap);
    return PassReport{result, TakeEngineErrors(engine)};
}

} // namespace qv
