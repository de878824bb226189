// Internal: the parameter bank, time and sizes, and the sampler units as
// uniforms of s.program, at locations looked up once per program.
#pragma once

#include "engine/engine_state.h"

namespace qv {

// Every location the engine sets, looked up in a linked program.
UniformLocations lookUpUniforms(unsigned program);

// Bank, frame and size uniforms, and unclamped read-back; false (message
// queued) when the pass has no render context.
bool loadUniforms(EngineState &s);

// layerResolution and the sampler units.
void setSamplerUniforms(EngineState &s, const float *layerResolution);

} // namespace qv
