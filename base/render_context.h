// The records that carry one frame from the pre-render to the render and into
// the engines: the request, the parameter snapshot and the render context.
#pragma once

#include "base/language.h"
#include "engine/pass_frame.h"
#include "engine/sampler_modes.h"
#include "sdk/ae_sdk.h"

#include <cstdint>
#include <string>

namespace qv {

class SuiteAccess;

// One frame's settings and code, built by the pre-render and read by the
// render; the host frees it through FreeRenderRequest.
struct RenderRequest {
    double time = 0;                    // seconds
    PF_EffectWorld *inputWorld = nullptr;
    PF_EffectWorld *outputWorld = nullptr;
    uint8_t loadLayer[kBankSize] = {};
    PF_EffectWorld *layerWorlds[kBankSize] = {};
    std::string code;                   // the stored text, every byte
    ParamSnapshot params;
    uint8_t debug = 0;
    Language language = Language::Glsl;
    int32_t wrapU = kWrapRepeat, wrapV = kWrapRepeat;          // WrapMode
    int32_t magFilter = kFilterLinear, minFilter = kFilterLinear;  // FilterMode
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
    // The host's preference that lets scripts write files and access the
    // network: without it Lua gets no files, processes, native modules or HTTP.
    uint8_t scriptAccess = 0;
};

// Makes a request and hands it to the host as the frame's pre-render data in
// one step, with FreeRenderRequest as its disposal: from then on the host
// owns it, and that function is its only release point.
RenderRequest &HandRenderRequestToHost(PF_PreRenderExtra *extra);

// Frees a request; null is harmless.
void FreeRenderRequest(void *request);

} // namespace qv
