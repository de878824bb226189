// A host-style frame for the Lua benchmarks: input and output buffers of one
// size and depth, and a registered LuaRuntime whose context points at them.
#pragma once

#include "base/render_context.h"
#include "lua/lua_runtime.h"

#include <memory>
#include <string>
#include <vector>

struct LuaBenchFrame {
    LuaBenchFrame(int width, int height, int depth)
        : input(std::size_t(width) * height * depth / 2), output(input.size())
    {
        world(inWorld, input, width, height, depth);
        world(outWorld, output, width, height, depth);
        runtime = qv::LuaRuntime::create();
        runtime->registerHostFunctions();
        fill(*runtime->context(), width, height, depth);
    }

    void fill(qv::PCData &pc, int width, int height, int depth)
    {
        pc.depth = int16_t(depth);
        pc.bytesPerPixel = int16_t(depth >> 1);
        pc.params = &params;
        pc.inputWorld = &inWorld;
        pc.outputWorld = &outWorld;
        pc.width = width;
        pc.height = height;
        pc.pluginFolder = "";
    }

    static void world(PF_EffectWorld &w, std::vector<unsigned char> &bytes, int width, int height, int depth)
    {
        w = PF_EffectWorld{};
        w.width = width;
        w.height = height;
        w.rowbytes = width * depth / 2;
        w.data = reinterpret_cast<PF_PixelPtr>(bytes.data());
    }

    std::vector<unsigned char> input, output;
    PF_EffectWorld inWorld{}, outWorld{};
    qv::ParamSnapshot params;
    std::unique_ptr<qv::LuaRuntime> runtime;
};
