// Internal: everything one engine owns, read and written by the stage modules
// (gl_context, shader_assembly, uniforms, textures, tiles, pixel_buffers,
// render_pass).
// Every function over it runs with engineMutex held by the public operation
// that called it.
#pragma once

#include "engine/pass_frame.h"
#include "engine/pass_timings.h"
#include "engine/program_cache.h"
#include "sdk/ae_sdk.h"

#include <cstdint>
#include <deque>
#include <string>

struct GLFWwindow;

namespace qv {

constexpr int kTextureUnits = 12;  // input, output, ten layers

// A unit's texture and the shape its storage was defined with. Textures stay
// between passes, so a source of the same size and depth overwrites the
// storage instead of allocating (and the system zero-filling) it again.
struct UnitTexture {
    unsigned name = 0;
    int64_t width = 0, height = 0;
    int depth = 0;
};

struct EngineState {
    PassFrame *ctx = nullptr;  // the pass in progress
    bool initialised = false;
    std::string fragmentSource;
    std::string vertexSource;
    std::deque<std::string> errorQueue;
    GLFWwindow *window = nullptr;
    unsigned program = 0;  // the pass's program, owned by `programs`
    UniformLocations locations;  // the pass's program's, copied from `programs`
    ProgramCache programs;
    unsigned vbo = 0;
    unsigned vao = 0;
    unsigned fbo = 0;
    unsigned fboTexture = 0;
    UnitTexture unitTextures[kTextureUnits];
    PF_EffectWorld *outBufferLayer = nullptr;
    float *stagingBuffer = nullptr;
    float *readbackBuffer = nullptr;
    uint64_t stagingCapacity = 0;
    int fboWidth = 0;
    int fboHeight = 0;

    unsigned glfwGeneration = 0;  // the GLFW session this engine's context belongs to
    size_t passErrorMark = 0;     // queue length when the pass began
    bool stopped = false;         // the pass's stop callback said stop
    int64_t piecePixels = 0;      // pixels drawn between two stop checks; adapts during a pass
    PassTimings *timings = nullptr;
};

inline void queueError(EngineState &s, std::string message)
{
    s.errorQueue.push_back(std::move(message));
}

// A message was queued since the pass began.
inline bool passFailed(const EngineState &s)
{
    return s.errorQueue.size() > s.passErrorMark;
}

} // namespace qv
