// The host's SmartFX sequence for one effect in one composition: the smart
// pre-render with checkout_layer, the smart render with the pixel and output
// checkouts, and the disposal of the pre-render data, as the host does them;
// several frames at once on several threads like the host's multi-frame
// rendering.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/images/composition.h"
#include "testhost/effect/effect.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qvh {

// Runs one command of the effect instance with `in` already holding the
// frame's times; the instance adds its own fields (effect_ref, the parameter
// callbacks) before calling the plug-in.
using CommandRunner = std::function<CommandResult(PF_Cmd cmd, void *extra, PF_InData &in)>;

// A runner for an effect without an instance: the in_data the simulator makes.
CommandRunner plainRunner(Effect &effect);

// A time in the host's rational form: value / scale seconds, step per frame.
struct FrameTime {
    A_long value = 0;
    A_long step = 1;
    A_u_long scale = 24;
};

// Time of frame `frame` at `fps` frames per second, and of `seconds`, with a
// scale of a thousand ticks per frame so fractional rates stay exact enough.
FrameTime frameTime(long frame, double fps);
FrameTime secondsTime(double seconds, double fps);

struct LayerCheckout {
    PF_ParamIndex index;
    A_long checkoutId;
    PF_Err err;
};

struct FrameResult {
    PF_Err preRenderErr = PF_Err_NONE;
    PF_Err renderErr = PF_Err_NONE;
    bool rendered = false;       // the render command was sent
    std::string message;         // return_msg of the last command sent
    PF_PreRenderOutput preRenderOutput{};
    std::vector<LayerCheckout> layerCheckouts;  // pre-render checkout_layer calls
    std::vector<A_long> pixelCheckouts;          // render checkout_layer_pixels ids
    std::vector<A_long> pixelCheckins;           // render checkin_layer_pixels ids
    std::vector<const PF_EffectWorld *> pixelWorlds;  // what each pixel checkout returned
    bool preRenderDataDisposed = false;          // the host called the disposal function
    std::shared_ptr<World> output;               // null unless checked out

    PF_Err err() const { return preRenderErr ? preRenderErr : renderErr; }
};

class SmartFx {
public:
    SmartFx(Composition &comp, CommandRunner run);

    // Pre-render, then the render when the pre-render succeeded, then the
    // disposal of the pre-render data.
    FrameResult renderFrame(const FrameTime &time);
    // Pre-render only: the host drops the frame and disposes of its data.
    FrameResult preRenderOnly(const FrameTime &time);

    // Renders every time on `threads` threads (each keeping its engines for
    // the batch); `done` is called once per frame, one call at a time, in the
    // order frames finish. Results are not kept.
    void renderFrames(const std::vector<FrameTime> &times, int threads,
                      const std::function<void(std::size_t index, FrameResult &result)> &done);

    // Fills the output buffer with this byte before the plug-in sees it.
    void setOutputGarbage(unsigned char value) { garbage_ = value; }

    Composition &composition() { return comp_; }
    // A new output buffer for the pre-render's result rectangle.
    std::shared_ptr<World> makeOutput(const PF_LRect &rect);

    struct Frame;  // one frame in flight, for the host's callbacks

private:
    FrameResult run(const FrameTime &time, bool render);
    void preRender(Frame &frame);
    void render(Frame &frame);
    void dispose(Frame &frame);

    Composition &comp_;
    CommandRunner run_;
    unsigned char garbage_ = 0xCD;
};

} // namespace qvh
