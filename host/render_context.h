// The records that carry one frame from the pre-render to the render and into
// the engines: the request, the parameter snapshot and the render context.
#pragma once

#include "engine/pass_frame.h"
#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

class SuiteAccess;

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

// The per-render context: what the GLSL engine reads (the PassFrame it
// extends) and what the Lua host functions need besides.
struct PCData : PassFrame {
    uint32_t magic = kPCDataMagic;
    SuiteAccess *suites = nullptr;
    uint8_t debugLog = 0;
    const char *pluginFolder = nullptr;
    // The host's abort callback (PF_InData's inter.abort) and
    // the effect reference it takes, so a long Lua run can stop when the host
    // cancels the render. Null means nobody asks.
    PF_Err (*abortCheck)(PF_ProgPtr effect_ref) = nullptr;
    PF_ProgPtr effectRef = nullptr;
};

// Frees a request with its code and snapshot; null is harmless. Also the
// disposal function handed to the host with the pre-render data.
void FreeRenderRequest(void *request);

} // namespace qv
