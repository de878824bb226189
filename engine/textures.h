// Internal: the input, output and layer buffers as textures on fixed units
// with the pass's sampler state.
#pragma once

#include "engine/engine_state.h"

namespace qv {

constexpr int kUnitInput = 0;
constexpr int kUnitOutput = 1;
constexpr int kFirstLayerUnit = 2;

// The buffer behind each texture unit; null where the unit has none.
struct TextureSources {
    PF_EffectWorld *unit[kTextureUnits] = {};
};
TextureSources textureSources(const PassFrame &ctx);

// Grows the staging buffer for the largest source; false (message queued) if
// it cannot, or if a source is larger than the GL allows for a texture.
bool stageForTextures(EngineState &s, const TextureSources &sources);

// The source's pixels, clipped to the frame, into the staging buffer.
void convertSource(EngineState &s, const PF_EffectWorld *source);

// Defines unit `unit`'s texture from the staging buffer; layers record their size.
void defineTexture(EngineState &s, int unit, const PF_EffectWorld *source, float *layerResolution);

} // namespace qv
