// The engine call behind qv.glsl and qv.full_glsl: one pass over the whole
// frame on this thread's engine for that function. lua/ makes no GL call; the
// pass itself is the engine's.
#pragma once

#include "base/render_context.h"
#include "engine/take_errors.h"

#include <string>

namespace qv {

// qv.glsl's engine wraps the code with the prelude; qv.full_glsl's takes a
// complete shader as it is.
enum class LuaGlslEngine { Glsl, UnwrappedGlsl };

// This thread's engine for `which`, constructed on its first use.
void touchLuaGlslEngine(LuaGlslEngine which);

// Renders `code` into the context's output (wrap: complete it with the
// engine's prelude): what the pass did and the engine's messages, queue
// order, joined without separators ("" when the pass reported nothing).
PassReport runLuaGlslPass(LuaGlslEngine which, const std::string &code, PCData &ctx, bool wrap);

} // namespace qv
