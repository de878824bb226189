// The engine call behind qv.glsl and qv.full_glsl: one full-frame
// pass on this thread's engine for that function. lua/ makes no GL call; the
// pass itself is the engine's.
#pragma once

#include "base/render_context.h"

#include <string>

namespace qv {

enum class LuaGlslEngine { Glsl, FullGlsl };

// This thread's engine for `which`, constructed on its first use.
void touchLuaGlslEngine(LuaGlslEngine which);

// Renders `code` into the context's output (wrap: complete it with the
// engine's prelude) and returns the engine's messages, queue order, joined
// without separators; empty when the pass reported nothing.
std::string runLuaGlslPass(LuaGlslEngine which, const std::string &code, PCData &pc, bool wrap);

} // namespace qv
