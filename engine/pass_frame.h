// What one GL pass reads: the frame's buffers and size, the parameter bank's
// values and the sampler state. The engine sees the host only through
// PF_EffectWorld and the stop callback below.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

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

// Asks whoever started the pass whether to stop; null asks nobody.
struct StopCheck {
    bool (*shouldStop)(void *context) = nullptr;
    void *context = nullptr;
    bool operator()() const { return shouldStop && shouldStop(context); }
};

struct PassFrame {
    int16_t depth = 8;                  // bits per channel: 8, 16 or 32
    int16_t bytesPerPixel = 0;          // depth / 2
    const ParamSnapshot *params = nullptr;
    PF_EffectWorld *layerWorlds[kBankSize] = {};
    PF_EffectWorld *outputWorld = nullptr;
    PF_EffectWorld *inputWorld = nullptr;
    int64_t width = 2;
    int64_t height = 2;
    double time = 0;
    int32_t wrapU = 0, wrapV = 0;          // a WrapMode (engine/sampler_modes.h)
    int32_t magFilter = 0, minFilter = 0;  // a FilterMode
    double fps = 0;
    uint8_t useOutputAsInput = 0;
    StopCheck stop;
};

} // namespace qv
