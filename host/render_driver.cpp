// OnSmartRender. The request stays the host's: it came as pre-render data with
// its disposal function, so the render reads and fills it and never frees it.
#include "host/render_driver.h"

#include "engine/thread_engines.h"
#include "engine/take_errors.h"
#include "base/global_data.h"
#include "host/global_setup.h"
#include "host/shadertoy_wrapping.h"
#include "base/handle_lock.h"
#include "base/param_indices.h"
#include "base/render_context.h"
#include "base/suite_access.h"
#include "lua/lua_runtime.h"
#include "bridge/debug_log.h"
#include "bridge/script_bridge.h"

#include <cstring>
#include <memory>
#include <optional>

namespace qv {
namespace {

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

void fillContext(PCData *ctx, PF_InData *in_data, const RenderRequest &request, short bitdepth, SuiteAccess &suites,
                 const GlobalData *global)
{
    ctx->depth = bitdepth;
    ctx->bytesPerPixel = static_cast<int16_t>(bitdepth >> 1);
    ctx->width = request.outputWorld->width;
    ctx->height = request.outputWorld->height;
    ctx->inputWorld = request.inputWorld;
    ctx->outputWorld = request.outputWorld;
    std::memcpy(ctx->layerWorlds, request.layerWorlds, sizeof ctx->layerWorlds);
    ctx->time = request.time;
    ctx->fps = request.fps;
    ctx->wrapU = request.wrapU;
    ctx->wrapV = request.wrapV;
    ctx->magFilter = request.magFilter;
    ctx->minFilter = request.minFilter;
    ctx->debugLog = request.debug ? 1 : 0;
    ctx->suites = &suites;
    ctx->pluginFolder = global ? global->pluginFolder : "";
    ctx->useOutputAsInput = 0;
    ctx->abortCheck = in_data->inter.abort;  /* lets a long Lua run stop when the host cancels */
    ctx->effectRef = in_data->effect_ref;
    ctx->scriptAccess = global ? global->scriptAccessAllowed.load() : 0;
}

// The engine's stop callback: the host's abort callback, remembered once it
// said stop so the render can report the cancel.
struct HostStop {
    const PCData *ctx = nullptr;
    bool asked = false;
};

bool hostWantsStop(void *context)
{
    HostStop &stop = *static_cast<HostStop *>(context);
    if (!stop.asked && stop.ctx->abortCheck) {
        try {
            stop.asked = stop.ctx->abortCheck(stop.ctx->effectRef) != PF_Err_NONE;
        } catch (...) {
            stop.asked = true;  /* a host that cannot answer is not kept waiting on */
        }
    }
    return stop.asked;
}

// The code without a UTF-8 byte-order mark, which editors may put in front.
const char *withoutByteOrderMark(const char *code)
{
    return code && std::strncmp(code, "\xEF\xBB\xBF", 3) == 0 ? code + 3 : code;
}

// The wrapped source with a #line where the user's own text starts inside
// the wrapping, so compile messages count its lines.
std::string withUserLineNumbers(const std::string &source, const std::string &code)
{
    std::string marked = source;
    std::size_t at = marked.find(code);
    if (!code.empty() && at != std::string::npos)
        marked.insert(at, "\n#line 1\n");
    return marked;
}

// One pass of the thread's driver engine (Shadertoy code: a second with the
// full wrapping when the first does not compile, shadertoy_wrapping.h).
PassReport renderGlsl(const RenderRequest &request, PCData *ctx)
{
    std::string code = withoutByteOrderMark(request.code.c_str());  /* the code ends at its first NUL */
    GLSLCore &engine = driverEngine();
    if (request.language == Language::Shadertoy)
        return renderShadertoy(code, driverWrappingMemory(), [&](const std::string &source) {
            return RenderAndTakeErrors(engine, withUserLineNumbers(source, code), ctx, true);
        });
    return RenderAndTakeErrors(engine, code, ctx, true);
}

// The GLSL or Shadertoy code into ctx's output: the host's cancel code when
// the host stopped the pass (its pixels are partial); `message` gets the
// pass's messages when it queued any.
PF_Err runGlsl(const RenderRequest &request, PCData *ctx, std::optional<std::string> &message)
{
    PassReport report = renderGlsl(request, ctx);
    if (!report.log.empty())
        message = std::move(report.log);
    return report.result == PassResult::Stopped ? PF_Interrupt_CANCEL : PF_Err_NONE;
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
    PCData *ctx = runtime->context();
    ctx->params = &request->params;
    PF_Err err = checkoutBuffers(a.in_data, extra, request);
    if (err || !request->outputWorld)
        return err;
    fillContext(ctx, a.in_data, *request, extra->input->bitdepth, a.suites, global);
    HostStop stop{ctx};
    ctx->stop = StopCheck{hostWantsStop, &stop};  /* GL passes stop between pieces when the host cancels */

    std::optional<std::string> message;
    switch (request->language) {
    case Language::Glsl:
    case Language::Shadertoy: err = runGlsl(*request, ctx, message); break;
    case Language::Lua:
        err = runtime->run(withoutByteOrderMark(request->code.c_str()));
        message = runtime->takeMessage();
        break;
    default: break;  /* no language: the cleared frame stays */
    }
    if (stop.asked && !err)
        err = PF_Interrupt_CANCEL;  /* a Lua run's GL pass the host stopped */
    if (request->debug && message && global && global->debugWindowOpened) {
        PF_Err logErr = RunScript(a.suites, DebugLogAddScript(*message));
        if (!err)
            err = logErr;  /* a cancelled run stays cancelled */
    }
    runtime->close();
    return err;
}

} // namespace qv
