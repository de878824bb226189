// OnSmartRender. The request stays the host's: it came as pre-render data with
// its disposal function, so the render reads and fills it and never frees it.
#include "host/render_driver.h"

#include "engine/glsl_core.h"
#include "host/global_data.h"
#include "host/handle_lock.h"
#include "host/param_indices.h"
#include "host/render_context.h"
#include "host/suite_access.h"
#include "lua/lua_runtime.h"
#include "translate/shadertoy_wrap.h"
#include "ui/debug_log.h"
#include "ui/script_bridge.h"

#include <cstring>
#include <memory>
#include <optional>

namespace qv {
namespace {

enum Language : uint32_t { kGlsl = 0, kShadertoy = 1, kLua = 2 };

// Input, switched-on layers and output, in that order, stopping at the first
// failure; the output, when it came, is cleared to transparent black.
PF_Err checkoutBuffers(PF_InData *in_data, PF_SmartRenderExtra *extra, RenderRequest *request)
{
    PF_SmartRenderCallbacks *cb = extra->cb;
    PF_Err err = cb->checkout_layer_pixels(in_data->effect_ref, kInputLayerParam, &request->inputWorld);
    for (int i = 0; i < kBankSize && !err; ++i)
        if (request->loadLayer[i])
            err = cb->checkout_layer_pixels(in_data->effect_ref, kFirstLayerParam + i, &request->layerWorlds[i]);
    if (!err)
        err = cb->checkout_output(in_data->effect_ref, &request->outputWorld);
    PF_EffectWorld *out = request->outputWorld;
    if (out && out->data && out->rowbytes > 0 && out->height > 0)
        std::memset(out->data, 0, static_cast<std::size_t>(out->rowbytes) * static_cast<std::size_t>(out->height));
    return err;
}

void fillContext(PCData *pc, PF_InData *in_data, const RenderRequest &request, short bitdepth, SuiteAccess &suites,
                 const GlobalData *global)
{
    pc->depth = bitdepth;
    pc->bytesPerPixel = static_cast<int16_t>(bitdepth >> 1);
    pc->width = request.outputWorld->width;
    pc->height = request.outputWorld->height;
    pc->inputWorld = request.inputWorld;
    pc->outputWorld = request.outputWorld;
    std::memcpy(pc->layerWorlds, request.layerWorlds, sizeof pc->layerWorlds);
    pc->time = request.time;
    pc->fps = request.fps;
    pc->wrapU = request.wrapU;
    pc->wrapV = request.wrapV;
    pc->magFilter = request.magFilter;
    pc->minFilter = request.minFilter;
    pc->debugLog = request.debug ? 1 : 0;
    pc->suites = &suites;
    pc->pluginFolder = global ? global->pluginFolder : "";
    pc->useOutputAsInput = 0;
    pc->abortCheck = in_data->inter.abort;  /* lets a long Lua run stop when the host cancels */
    pc->effectRef = in_data->effect_ref;
}

// The code without a UTF-8 byte-order mark, which editors may put in front.
const char *withoutByteOrderMark(const char *code)
{
    return code && std::strncmp(code, "\xEF\xBB\xBF", 3) == 0 ? code + 3 : code;
}

// Shadertoy code as the engine runs it, with a #line where the user's own
// text starts inside the wrapping, so compile messages count its lines.
std::string wrapShadertoy(const std::string &code)
{
    std::string source = code;
    wrapShadertoyCode(source);
    std::size_t at = source.find(code);
    if (!code.empty() && at != std::string::npos)
        source.insert(at, "\n#line 1\n");
    return source;
}

// One pass of the thread's driver engine; every queued message, oldest first,
// joined with nothing between them.
std::optional<std::string> runGlsl(const RenderRequest &request, PCData *pc)
{
    std::string source = withoutByteOrderMark(request.code);
    if (static_cast<uint32_t>(request.language) == kShadertoy)
        source = wrapShadertoy(source);
    GLSLCore &engine = driverEngine();
    engine.render(source, pc, true);
    if (!engine.hasError())
        return std::nullopt;
    std::string log;
    while (engine.hasError())
        log += engine.popError();
    return log;
}

} // namespace

PF_Err OnSmartRender(const CommandArgs &a)
{
    PF_SmartRenderExtra *extra = static_cast<PF_SmartRenderExtra *>(a.extra);
    std::shared_lock<std::shared_mutex> setdownWaits(globalDataMutex());  /* held past the unlock below */
    HandleLock globalLock(a.in_data, a.in_data->global_data);  /* for the whole render */
    const GlobalData *global = globalLock.as<GlobalData>();
    RenderRequest *request = static_cast<RenderRequest *>(extra->input->pre_render_data);
    if (!request)
        return PF_Err_INTERNAL_STRUCT_DAMAGED;  /* no pre-render data: nothing says what to run */
    std::unique_ptr<LuaRuntime> runtime = LuaRuntime::create();
    if (!runtime)
        return PF_Err_OUT_OF_MEMORY;
    runtime->registerHostFunctions();
    PCData *pc = runtime->context();
    pc->params = request->params;
    PF_Err err = checkoutBuffers(a.in_data, extra, request);
    if (err || !request->outputWorld)
        return err;
    fillContext(pc, a.in_data, *request, extra->input->bitdepth, a.suites, global);

    std::optional<std::string> message;
    switch (static_cast<uint32_t>(request->language)) {
    case kGlsl:
    case kShadertoy: message = runGlsl(*request, pc); break;
    case kLua:
        err = runtime->run(withoutByteOrderMark(request->code));
        message = runtime->takeMessage();
        break;
    default: break;  /* no language: the cleared frame stays */
    }
    if (request->debug && message && global && global->debugWindowOpened) {
        PF_Err logErr = RunScript(a.suites, DebugLogAddScript(*message));
        if (!err)
            err = logErr;  /* a cancelled run stays cancelled */
    }
    runtime->close();
    return err;
}

} // namespace qv
