// The records that carry one frame from the pre-render to the render and into
// the engines: the request, the parameter snapshot and the render context.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

class SuiteAccess;

constexpr int kBankSize = 10;  // ten of each parameter kind, and ten layers

// Parameter values at the frame's time, as doubles; a new snapshot is all zeros.
struct ParamSnapshot {
    double sliders[kBankSize] = {};
    double angles[kBankSize] = {};        // degrees
    double points[kBankSize][2] = {};     // x, y
    double points3d[kBankSize][3] = {};   // x, y, z
    double checkboxes[kBankSize] = {};    // 1.0 or 0.0
    double colors[kBankSize][4] = {};     // red, green, blue, alpha in 0..1
};

// One frame's settings and code, built by the pre-render and freed by the
// render that receives it (or by the host's disposal call if none does).
struct RenderRequest {
    double time = 0;                    // seconds
    PF_EffectWorld *inputWorld = nullptr;
    PF_EffectWorld *outputWorld = nullptr;
    uint8_t loadLayer[kBankSize] = {};
    PF_EffectWorld *layerWorlds[kBankSize] = {};
    char *code = nullptr;               // owned, zero-terminated
    ParamSnapshot *params = nullptr;    // owned
    uint8_t debug = 0;
    int32_t language = 0;               // 0 GLSL, 1 Shadertoy dialect, 2 Lua
    int32_t wrapU = 0, wrapV = 0;       // 0 repeat, 1 mirrored repeat, 2 clamp to edge
    int32_t magFilter = 0, minFilter = 0;  // 0 linear, 1 nearest
    double fps = 0;
};

constexpr uint32_t kPCDataMagic = 0xE1F5E1F5u;

// The per-render context seen by the GLSL engine and the Lua host functions.
struct PCData {
    uint32_t magic = kPCDataMagic;
    int16_t depth = 8;                  // bits per channel: 8, 16 or 32
    int16_t bytesPerPixel = 0;          // depth / 2
    const ParamSnapshot *params = nullptr;
    SuiteAccess *suites = nullptr;
    PF_EffectWorld *layerWorlds[kBankSize] = {};
    PF_EffectWorld *outputWorld = nullptr;
    PF_EffectWorld *inputWorld = nullptr;
    int64_t width = 2;
    int64_t height = 2;
    double time = 0;
    int32_t wrapU = 0, wrapV = 0, magFilter = 0, minFilter = 0;
    uint8_t debugLog = 0;
    double fps = 0;
    const char *pluginFolder = nullptr;
    uint8_t useOutputAsInput = 0;
    // The host's abort callback (PF_InData's inter.abort) and
    // the effect reference it takes, so a long Lua run can stop when the host
    // cancels the render. Null means nobody asks.
    PF_Err (*abortCheck)(PF_ProgPtr effect_ref) = nullptr;
    PF_ProgPtr effectRef = nullptr;
    // The host's preference that lets scripts write files and access the
    // network: without it Lua gets no files, processes, native modules or HTTP.
    uint8_t scriptAccess = 0;
};

// Frees a request with its code and snapshot; null is harmless. Also the
// disposal function handed to the host with the pre-render data.
void FreeRenderRequest(void *request);

} // namespace qv
