// Internal: one pass, stage after stage: compile, tiled geometry, parameters,
// then each tile drawn, read back and written into the output.
#pragma once

#include "engine/engine_state.h"

#include <string>

namespace qv {

constexpr int kPassStopped = 1;

// render's work under the engine lock: 0, -1 when the pass refused to start,
// kPassStopped when its stop callback ended it early (nothing queued).
int runPass(EngineState &s, const std::string &code, PassFrame *frame, bool wrap);

} // namespace qv
