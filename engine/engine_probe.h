// Test-only: a view into one engine's state for tests and benchmarks, which
// call the internal modules on it. Holds the engine lock while it lives, as
// every public operation does. Product code never includes this.
#pragma once

#include "engine/engine_lifecycle.h"
#include "engine/engine_state.h"
#include "engine/glsl_core.h"

#include <mutex>

namespace qv {

class EngineProbe {
public:
    explicit EngineProbe(GLSLCore &engine)
        : lock_(engineMutex()), state_(*engine.state)
    {
    }

    EngineState &state() { return state_; }
    EngineState *operator->() { return &state_; }

    // Stage timings of every later pass go to `sink` (null: none).
    void setPassTimings(PassTimings *sink) { state_.timings = sink; }

private:
    std::lock_guard<std::recursive_mutex> lock_;
    EngineState &state_;
};

} // namespace qv
