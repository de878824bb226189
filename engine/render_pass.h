// Internal: one pass, stage after stage: compile, tiled geometry, parameters,
// then each tile drawn, read back and written into the output.
#pragma once

#include "engine/engine_state.h"

#include <string>

namespace qv {

// render's work under the engine lock.
PassResult runPass(EngineState &s, const std::string &code, PassFrame *ctx, bool wrap);

} // namespace qv
