// Internal: the engine's side of pixel conversion, the grow-only staging
// buffer, the read-back buffer and outBufferLayer, its private copy of the
// output for passes that read it.
#pragma once

#include "engine/engine_state.h"

namespace qv {

// Host buffer `world`, clipped to the frame, into float RGBA `dest`, bottom row first.
void copyToBuffer(EngineState &s, const PF_EffectWorld *world, float *dest);

// Depths uploaded in the host's channel order (undone by the texture's
// swizzle) instead of as converted floats, each defining the very texture the
// floats would: 8-bit bytes and 32-bit floats as they are; 16-bit rescaled to
// RGBA16's full scale of 65535 exactly as GL rounds the floats.
bool uploadsNative(int depth);

// Host buffer `world`, clipped to the frame, into `dest` in its own channel
// order (alpha, red, green, blue), rows packed and bottom row first: bytes
// and floats copied, 16-bit values rescaled.
void copyToTexels(EngineState &s, const PF_EffectWorld *world, void *dest);

// Frame columns [x0, x1) and rows [y0, y1) from `readback` into the pass's
// target: outBufferLayer when the output is an input, else the output.
void writeTile(EngineState &s, const float *readback, int64_t x0, int64_t x1, int64_t y0, int64_t y1);

// Makes the staging buffer hold `bytes`: 0, or -1 when the allocation failed.
int ensureStaging(EngineState &s, uint64_t bytes);

// The read-back buffer, made once per engine; false (message queued) if it cannot be.
bool ensureReadback(EngineState &s);

// outBufferLayer over the staging memory, a copy of the output's record.
void prepareOutBufferLayer(EngineState &s);
// Copies outBufferLayer's rows into the output.
void commitOutBufferLayer(EngineState &s);

} // namespace qv
