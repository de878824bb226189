// Host buffers the tests allocate themselves, a render context around them,
// and an engine that tests share (each fault test makes its own).
#pragma once

#include "engine/engine_faults.h"
#include "engine/engine_probe.h"
#include "engine/glsl_core.h"
#include "engine/take_errors.h"
#include "engine/pixel_buffers.h"
#include "engine/shader_assembly.h"
#include "base/render_context.h"
#include "common/keep_libraries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// One PF_EffectWorld with its own pixel memory, rows padded past the pixels.
class HostBuffer {
public:
    HostBuffer(int width, int height, int depth, int padding = 24)
        : depth_(depth)
    {
        int rowbytes = width * depth / 2 + padding;
        bytes_.assign(static_cast<size_t>(rowbytes) * static_cast<size_t>(height) + 1, 0xCD);
        world_.data = reinterpret_cast<PF_PixelPtr>(bytes_.data());
        world_.rowbytes = rowbytes;
        world_.width = width;
        world_.height = height;
    }

    PF_EffectWorld *world() { return &world_; }
    int width() const { return world_.width; }
    int height() const { return world_.height; }

    // Channel c (0 alpha, 1 red, 2 green, 3 blue) of the pixel at column x,
    // host row y (top first), in host units: 0..255, 0..32768 or floats.
    double get(int x, int y, int c) const
    {
        const char *p = pixel(x, y);
        switch (depth_) {
        case 8: return reinterpret_cast<const uint8_t *>(p)[c];
        case 16: return reinterpret_cast<const uint16_t *>(p)[c];
        default: return reinterpret_cast<const float *>(p)[c];
        }
    }

    void set(int x, int y, int c, double v)
    {
        char *p = const_cast<char *>(pixel(x, y));
        switch (depth_) {
        case 8: reinterpret_cast<uint8_t *>(p)[c] = static_cast<uint8_t>(v); break;
        case 16: reinterpret_cast<uint16_t *>(p)[c] = static_cast<uint16_t>(v); break;
        default: reinterpret_cast<float *>(p)[c] = static_cast<float>(v); break;
        }
    }

    // Every pixel to (a, r, g, b).
    void fill(double a, double r, double g, double b)
    {
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x) {
                set(x, y, 0, a);
                set(x, y, 1, r);
                set(x, y, 2, g);
                set(x, y, 3, b);
            }
    }

    // The padding bytes after each row (and one guard byte) are untouched.
    bool paddingIntact() const
    {
        size_t used = static_cast<size_t>(width()) * depth_ / 2;
        for (int y = 0; y < height(); ++y)
            for (size_t i = used; i < static_cast<size_t>(world_.rowbytes); ++i)
                if (bytes_[static_cast<size_t>(world_.rowbytes) * y + i] != 0xCD)
                    return false;
        return bytes_.back() == 0xCD;
    }

    const std::vector<uint8_t> &bytes() const { return bytes_; }

private:
    const char *pixel(int x, int y) const
    {
        return reinterpret_cast<const char *>(bytes_.data()) +
               static_cast<size_t>(world_.rowbytes) * y + static_cast<size_t>(x) * depth_ / 2;
    }

    int depth_;
    std::vector<uint8_t> bytes_;
    PF_EffectWorld world_{};
};

// Full scale of a host channel at each depth.
inline double fullScale(int depth)
{
    return depth == 8 ? 255.0 : depth == 16 ? 32768.0 : 1.0;
}

// writeTile's rule for one float channel: clamp, scale and truncate, or the float itself.
inline double hostValue(float v, int depth)
{
    if (depth == 32)
        return v;
    float c = v > 0.0f ? v : 0.0f;
    c = c < 1.0f ? c : 1.0f;
    return static_cast<double>(static_cast<int>(c * static_cast<float>(fullScale(depth))));
}

// A frame: an input and an output of one size and depth, and the context.
struct Frame {
    Frame(int width, int height, int depth, int padding = 24)
        : input(width, height, depth, padding), output(width, height, depth, padding)
    {
        ctx.depth = static_cast<int16_t>(depth);
        ctx.bytesPerPixel = static_cast<int16_t>(depth >> 1);
        ctx.params = &params;
        ctx.inputWorld = input.world();
        ctx.outputWorld = output.world();
        ctx.width = width;
        ctx.height = height;
        ctx.fps = 24.0;
        input.fill(0, 0, 0, 0);
        output.fill(0, 0, 0, 0);
    }

    qv::ParamSnapshot params;
    HostBuffer input;
    HostBuffer output;
    qv::PCData ctx;
};

// Every queued message, joined in queue order as callers do.
inline std::string drain(qv::GLSLCore &engine)
{
    return qv::TakeEngineErrors(engine);
}

class EngineTest : public ::testing::Test {
public:
    static qv::GLSLCore &engine()
    {
        static qv::GLSLCore *shared = [] {  /* one window for the suite's tests */
            qv::GLSLCore *engine = new qv::GLSLCore;
            keepLoadedLibraries();
            return engine;
        }();
        return *shared;
    }

protected:
    void SetUp() override
    {
        qv::clearEngineFaults();
        qv::setEngineWindowSize(0, 0);
        drain(engine());
    }

    void TearDown() override
    {
        qv::clearEngineFaults();
        qv::setEngineWindowSize(0, 0);
    }

    // Renders `code` into the frame and returns the engine's messages; the
    // pass starts and runs its course (a compile failure is in the messages).
    static std::string render(Frame &frame, const std::string &code, bool wrap = true)
    {
        qv::PassResult result = engine().render(code, &frame.ctx, wrap);
        EXPECT_NE(result, qv::PassResult::Refused);
        EXPECT_NE(result, qv::PassResult::Stopped);
        return drain(engine());
    }
};
