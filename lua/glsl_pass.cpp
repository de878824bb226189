#include "lua/glsl_pass.h"

#include "engine/glsl_core.h"
#include "engine/take_errors.h"

namespace qv {
namespace {

GLSLCore &engineFor(LuaGlslEngine which)
{
    return which == LuaGlslEngine::Glsl ? luaGlslEngine() : luaFullGlslEngine();
}

} // namespace

void touchLuaGlslEngine(LuaGlslEngine which)
{
    engineFor(which);
}

std::string runLuaGlslPass(LuaGlslEngine which, const std::string &code, PCData &pc, bool wrap)
{
    GLSLCore &engine = engineFor(which);
    engine.render(code, &pc, wrap);
    return TakeEngineErrors(engine);
}

} // namespace qv
