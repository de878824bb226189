#include "testhost/effect/smartfx.h"

#include "testhost/effect/frame_pool.h"
#include "testhost/effect/instance.h"
#include "testhost/host/host.h"

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

namespace qvh {

// One frame in flight: what the callbacks of its two commands work on.
struct SmartFx::Frame {
    SmartFx *fx = nullptr;
    FrameTime time;
    FrameResult result;
    PF_RenderRequest request{};
    std::map<A_long, std::shared_ptr<const World>> checkedOut;  // by checkout id
    std::map<A_long, PF_EffectWorld> handedOut;                 // records given in the render
};

namespace {

thread_local SmartFx::Frame *currentFrame = nullptr;

// Makes `frame` the one this thread's callbacks answer for, for one command.
class FrameScope {
public:
    FrameScope(SmartFx::Frame &frame, Composition &comp) : active_(comp), previous_(currentFrame)
    {
        currentFrame = &frame;
    }
    ~FrameScope() { currentFrame = previous_; }

private:
    ActiveComposition active_;
    SmartFx::Frame *previous_;
};

// A fault set for the callback as a whole or for one index of it.
PF_Err injected(const char *name, A_long index)
{
    if (int err = host().faults.check(name))
        return err;
    return host().faults.check(std::string(name) + " " + std::to_string(index));
}

PF_LRect bounds(const World &world) { return {0, 0, world.width(), world.height()}; }

PF_LRect intersect(const PF_LRect &a, const PF_LRect &b)
{
    PF_LRect r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        r = {0, 0, 0, 0};
    return r;
}

PF_InData frameInData(const FrameTime &t)
{
    PF_InData in = makeInData();
    in.current_time = t.value;
    in.time_step = t.step;
    in.local_time_step = t.step;
    in.time_scale = t.scale;
    return in;
}

} // namespace

// The layer parameter `index` of the effect behind `ref` names in this
// composition: the input for 0, and for the effect's own layer parameters, in
// the order declared, the composition's layers 1 to kLayerCount (or none).
static bool layerFor(Composition &comp, PF_ProgPtr ref, PF_ParamIndex index, std::shared_ptr<const World> &layer)
{
    if (index == 0) {
        layer = comp.sharedInput();
        return true;
    }
    const Instance *instance = Instance::fromEffectRef(ref);
    int number = instance ? instance->declared().layerNumber(index) : 0;
    if (number < 1 || number > kLayerCount)
        return false;
    layer = comp.layers[number - 1];
    return true;
}

static PF_Err checkoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long checkoutId, const PF_RenderRequest *req,
                            A_long, A_long, A_u_long, PF_CheckoutResult *result)
{
    SmartFx::Frame *frame = currentFrame;
    if (!frame || !req || !result)
        return PF_Err_BAD_CALLBACK_PARAM;
    PF_Err err = injected("checkout_layer", index);
    frame->result.layerCheckouts.push_back({index, checkoutId, err});
    if (err)
        return err;
    std::shared_ptr<const World> layer;
    if (!layerFor(frame->fx->composition(), ref, index, layer)) {
        host().reportMisuse("checkout_layer of parameter " + std::to_string(index) + ", not a layer");
        return PF_Err_INVALID_INDEX;
    }
    std::memset(result, 0, sizeof *result);
    result->par = {1, 1};
    if (layer) {
        result->result_rect = intersect(req->rect, bounds(*layer));
        result->max_result_rect = bounds(*layer);
        result->ref_width = layer->width();
        result->ref_height = layer->height();
    }
    frame->checkedOut[checkoutId] = layer;
    return PF_Err_NONE;
}

static PF_Err checkoutLayerPixels(PF_ProgPtr, A_long checkoutId, PF_EffectWorld **pixels)
{
    SmartFx::Frame *frame = currentFrame;
    if (!frame || !pixels)
        return PF_Err_BAD_CALLBACK_PARAM;
    *pixels = nullptr;
    frame->result.pixelCheckouts.push_back(checkoutId);
    if (PF_Err err = injected("checkout_layer_pixels", checkoutId))
        return err;
    auto it = frame->checkedOut.find(checkoutId);
    if (it == frame->checkedOut.end()) {
        host().reportMisuse("checkout_layer_pixels of id " + std::to_string(checkoutId) +
                            ", not checked out in the pre-render");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (it->second && !host().faults.check(kNoLayerPixels)) {
        /* each render gets its own record over the shared, read-only pixels */
        PF_EffectWorld &record = frame->handedOut[checkoutId];
        record = it->second->pf();
        *pixels = &record;
    }
    frame->result.pixelWorlds.push_back(*pixels);
    return PF_Err_NONE;
}

static PF_Err checkinLayerPixels(PF_ProgPtr, A_long checkoutId)
{
    SmartFx::Frame *frame = currentFrame;
    if (!frame)
        return PF_Err_BAD_CALLBACK_PARAM;
    frame->result.pixelCheckins.push_back(checkoutId);
    return PF_Err_NONE;
}

static PF_Err checkoutOutput(PF_ProgPtr, PF_EffectWorld **output)
{
    SmartFx::Frame *frame = currentFrame;
    if (!frame || !output)
        return PF_Err_BAD_CALLBACK_PARAM;
    *output = nullptr;
    if (PF_Err err = host().faults.check("checkout_output"))
        return err;
    if (!frame->result.output)
        frame->result.output = frame->fx->makeOutput(frame->result.preRenderOutput.result_rect);
    *output = &frame->result.output->pf();
    return PF_Err_NONE;
}

CommandRunner plainRunner(Effect &effect)
{
    return [&effect](PF_Cmd cmd, void *extra, PF_InData &in) {
        return effect.command(cmd, extra, nullptr, nullptr, &in);
    };
}

FrameTime frameTime(long frame, double fps)
{
    FrameTime t;
    t.scale = static_cast<A_u_long>(std::lround(fps * 1000.0));
    t.step = 1000;
    t.value = static_cast<A_long>(frame * 1000);
    return t;
}

FrameTime secondsTime(double seconds, double fps)
{
    FrameTime t = frameTime(0, fps);
    t.value = static_cast<A_long>(std::llround(seconds * t.scale));
    return t;
}

SmartFx::SmartFx(Composition &comp, CommandRunner run) : comp_(comp), run_(std::move(run))
{
    comp_.inputWorld();  /* made before the first frame, not inside one */
}

std::shared_ptr<World> SmartFx::makeOutput(const PF_LRect &rect)
{
    std::shared_ptr<World> out =
        std::make_shared<World>(rect.right - rect.left, rect.bottom - rect.top, comp_.depth, comp_.outputPadding);
    out->fillBytes(garbage_);
    out->setOrigin(comp_.outputOriginX, comp_.outputOriginY);
    return out;
}

void SmartFx::preRender(Frame &frame)
{
    PF_PreRenderInput input{};
    frame.request.rect = bounds(comp_.inputWorld());
    frame.request.field = PF_Field_FRAME;
    frame.request.channel_mask = PF_ChannelMask_ARGB;
    input.output_request = frame.request;
    input.bitdepth = static_cast<short>(comp_.depth);
    PF_PreRenderCallbacks callbacks{};
    callbacks.checkout_layer = checkoutLayer;
    PF_PreRenderOutput &output = frame.result.preRenderOutput;
    PF_PreRenderExtra extra{&input, &output, &callbacks};
    PF_InData in = frameInData(frame.time);
    FrameScope scope(frame, comp_);
    CommandResult r = run_(PF_Cmd_SMART_PRE_RENDER, &extra, in);
    frame.result.preRenderErr = r.err;
    frame.result.message = r.message();
}

void SmartFx::render(Frame &frame)
{
    PF_SmartRenderInput input{};
    input.output_request = frame.request;
    input.bitdepth = static_cast<short>(comp_.depth);
    input.pre_render_data = frame.result.preRenderOutput.pre_render_data;
    PF_SmartRenderCallbacks callbacks{checkoutLayerPixels, checkinLayerPixels, checkoutOutput};
    PF_SmartRenderExtra extra{&input, &callbacks};
    PF_InData in = frameInData(frame.time);
    FrameScope scope(frame, comp_);
    frame.result.rendered = true;
    CommandResult r = run_(PF_Cmd_SMART_RENDER, &extra, in);
    frame.result.renderErr = r.err;
    frame.result.message = r.message();
}

// What the host does with the pre-render data once the frame is over, whether
// or not its render came: hands it to the effect's disposal function.
void SmartFx::dispose(Frame &frame)
{
    PF_PreRenderOutput &out = frame.result.preRenderOutput;
    if (!out.pre_render_data)
        return;
    if (out.delete_pre_render_data_func) {
        out.delete_pre_render_data_func(out.pre_render_data);
        frame.result.preRenderDataDisposed = true;
    } else if (!frame.result.rendered) {
        host().reportMisuse("pre-render data of a frame that was never rendered has no disposal function");
    }
}

FrameResult SmartFx::run(const FrameTime &time, bool withRender)
{
    Frame frame;
    frame.fx = this;
    frame.time = time;
    preRender(frame);
    if (withRender && frame.result.preRenderErr == PF_Err_NONE)
        render(frame);
    dispose(frame);
    return std::move(frame.result);
}

FrameResult SmartFx::renderFrame(const FrameTime &time) { return run(time, true); }

FrameResult SmartFx::preRenderOnly(const FrameTime &time) { return run(time, false); }

void SmartFx::renderFrames(const std::vector<FrameTime> &times, int threads,
                           const std::function<void(std::size_t, FrameResult &)> &done)
{
    std::mutex doneMutex;
    bool failed = false;  /* frames that finish after `done` threw are not reported */
    forEachFrame(0, times.size(), threads, [&](std::size_t i) {
        FrameResult result = renderFrame(times[i]);
        std::lock_guard<std::mutex> lock(doneMutex);
        if (failed)
            return;
        try {
            done(i, result);
        } catch (...) {
            failed = true;
            throw;
        }
    });
}

} // namespace qvh
