// Until the GL engine lands, a GLSL pass from Lua reports that no engine is
// built; the script stops with that message as with any engine error.
#include "lua/glsl_pass.h"

namespace qv {

void touchLuaGlslEngine(LuaGlslEngine) {}

std::string runLuaGlslPass(LuaGlslEngine, const std::string &, PCData &, bool)
{
    return "QUORVEL_INNER_ERROR::\nGLSL engine not built.";
}

} // namespace qv
