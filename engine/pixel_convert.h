// The two pixel conversions as plain loops, free of GL and of the
// engine object, so they can be tested and measured on their own. GLSLCore's
// copyToBuffer and writeTile check their inputs and call these.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

// Host layout of `depth` (8, 16, 32: ARGB of u8, u16 full at 32768, float) to
// engine float RGBA: the top-left cols x rows pixels of `world`, bottom row
// first, packed (row stride cols x 16 bytes). A depth of another value gives
// zeros. cols and rows are positive; world.data and dest are valid.
void convertHostToFloat(const PF_EffectWorld &world, int depth, int64_t cols, int64_t rows,
                        float *dest);

// 16-bit host pixels (full at 32768) to the 16-bit normalised texels (full at
// 65535) that GL makes of convertHostToFloat's floats, channel order kept
// (alpha, red, green, blue); the top-left cols x rows pixels, bottom row
// first, packed.
void convertHost16ToUnorm16(const PF_EffectWorld &world, int64_t cols, int64_t rows, uint16_t *dest);

// Where a tile's pixels may land: the target buffer and the frame size that
// bounds every write (PassFrame.width and height).
struct TileTarget {
    PF_EffectWorld *world;
    int depth;
    int64_t frameWidth;
    int64_t frameHeight;
};

// Writes frame columns [x0, x1) and rows [y0, y1) (bottom-up) from `readback`
// (fboWidth floats RGBA per row, its pixel 0 being frame pixel (x0, y0)) into
// the target, clamped and truncated as writeTile specifies.
void convertTileToHost(const float *readback, int64_t fboWidth, const TileTarget &target,
                       int64_t x0, int64_t x1, int64_t y0, int64_t y1);

} // namespace qv
