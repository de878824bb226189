// A fixture for the Lua runtime: a registered LuaRuntime whose context is
// filled as the render driver fills it, over buffers the test allocates, with
// the simulator's suites behind `suites` for the script functions.
#pragma once

#include "common/host_fixture.h"
#include "base/suite_access.h"
#include "lua/lua_runtime.h"

#include <lua.hpp>

#include <cstring>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

// A host-style buffer: `width` × `height` pixels at `depth` bits per channel,
// rows padded by `padding` bytes (filled with 0xEE so overruns show).
struct TestWorld {
    TestWorld(int width, int height, int depth, int padding = 0)
        : bytesPerPixel(depth / 2), bytes(std::size_t((width * depth / 2 + padding) * height), 0)
    {
        world.width = width;
        world.height = height;
        world.rowbytes = width * bytesPerPixel + padding;
        world.data = reinterpret_cast<PF_PixelPtr>(bytes.data());
        for (int y = 0; y < height; ++y)
            std::memset(row(y) + width * bytesPerPixel, 0xEE, std::size_t(padding));
    }
    unsigned char *row(int y) { return bytes.data() + std::size_t(world.rowbytes) * y; }
    unsigned char *pixel(int x, int y) { return row(y) + x * bytesPerPixel; }
    template <class T> void set(int x, int y, T a, T r, T g, T b)
    {
        T c[4] = {a, r, g, b};
        std::memcpy(pixel(x, y), c, sizeof c);
    }
    template <class T> std::vector<T> get(int x, int y)
    {
        std::vector<T> c(4);
        std::memcpy(c.data(), pixel(x, y), sizeof(T) * 4);
        return c;
    }

    int bytesPerPixel;
    std::vector<unsigned char> bytes;
    PF_EffectWorld world{};
};

class LuaTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        suites_.reset(new qv::SuiteAccess(qvh::host().suites.basicSuite()));
        runtime_ = qv::LuaRuntime::create();
        ASSERT_TRUE(runtime_);
        runtime_->registerHostFunctions();
        frame(4, 3, 8);
    }

    void TearDown() override
    {
        if (runtime_)
            runtime_->close();
        runtime_.reset();
        suites_.reset();  /* releases the suites before the fixture counts them */
        HostTest::TearDown();
    }

    // A frame of width × height at `depth`: new input and output buffers.
    void frame(int width, int height, int depth)
    {
        input_.reset(new TestWorld(width, height, depth));
        output_.reset(new TestWorld(width, height, depth));
        qv::PCData &pc = *runtime_->context();
        pc.depth = int16_t(depth);
        pc.bytesPerPixel = int16_t(depth >> 1);
        pc.params = &params_;
        pc.suites = suites_.get();
        pc.inputWorld = &input_->world;
        pc.outputWorld = &output_->world;
        pc.width = width;
        pc.height = height;
        pc.time = 1.5;
        pc.fps = 24;
        pc.pluginFolder = pluginFolder_.c_str();
    }

    // A new runtime with a 4 x 3 8-bit frame, the host's preference on or off.
    void freshState(bool access)
    {
        runtime_->close();
        runtime_ = qv::LuaRuntime::create();
        ASSERT_TRUE(runtime_);
        runtime_->registerHostFunctions();
        frame(4, 3, 8);
        pc().scriptAccess = access ? 1 : 0;
    }

    // Puts `world` as layer `index`.
    void layer(int index, TestWorld &world) { runtime_->context()->layerWorlds[index] = &world.world; }

    // Runs `code` and returns the run's message.
    std::optional<std::string> run(const std::string &code)
    {
        lastResult_ = runtime_->run(code.c_str());
        return runtime_->takeMessage();
    }

    // The message of a script that must fail, or "<no message>" when it did
    // not; the position of the script's line in front of it is left out.
    std::string error(const std::string &code)
    {
        static const std::regex position(R"(^\[string "[^\n]*?"\]:\d+: )");
        return std::regex_replace(rawError(code), position, "", std::regex_constants::format_first_only);
    }

    // The message as the script's run left it.
    std::string rawError(const std::string &code)
    {
        std::optional<std::string> m = run(code);
        return m ? *m : std::string("<no message>");
    }

    qv::PCData &pc() { return *runtime_->context(); }
    lua_State *L() { return runtime_->state(); }
    std::vector<std::string> scripts() { return qvh::host().scripts(); }

    std::unique_ptr<qv::LuaRuntime> runtime_;
    std::unique_ptr<qv::SuiteAccess> suites_;
    qv::ParamSnapshot params_;
    std::unique_ptr<TestWorld> input_, output_;
    std::string pluginFolder_ = "C:\\\\Plug-ins";
    PF_Err lastResult_ = PF_Err_NONE;
};
