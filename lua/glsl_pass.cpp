#include "lua/glsl_pass.h"

#include "engine/thread_engines.h"

namespace qv {
namespace {

GLSLCore &engineFor(LuaGlslEngine which)
{
    return which == LuaGlslEngine::Glsl ? luaGlslEngine() : luaUnwrappedGlslEngine();
}

} // namespace

void touchLuaGlslEngine(LuaGlslEngine which)
{
    engineFor(which);
}

PassReport runLuaGlslPass(LuaGlslEngine which, const std::string &code, PCData &ctx, bool wrap)
{
    return RenderAndTakeErrors(engineFor(which), code, &ctx, wrap);
}

} // namespace qv
