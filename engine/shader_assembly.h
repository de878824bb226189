// Internal: the fragment source around the user's code, and the compile and
// link of both shaders with their fixed messages.
#pragma once

#include "engine/engine_state.h"

#include <string>

namespace qv {

constexpr int kGlslVersion = 330;

// Version line, platform define, prelude, then the code unchanged.
std::string makeFragmentSource(const std::string &code, int version);

// Compiles s.vertexSource and s.fragmentSource and links them into
// s.program (its uniform locations into s.locations), made current; failures
// are queued (a failed stage does not stop the ones after it). Ran when it
// linked, else CompileFailed or LinkFailed. A source seen before is taken
// from the cache with its messages and result.
PassResult compileProgram(EngineState &s);

} // namespace qv
