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
// s.program, made current; failures are queued (a failed stage does not stop
// the ones after it). Always 0.
int compileProgram(EngineState &s);

} // namespace qv
