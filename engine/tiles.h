// Internal: the frame cut into framebuffer-sized tiles, their geometry in one
// vertex buffer, and one tile drawn and read back.
#pragma once

#include "engine/engine_state.h"

namespace qv {

// Tile k covers frame columns [x0, x1) and rows [y0, y1), bottom-up.
struct TileRect {
    int64_t x0, x1, y0, y1;
};

struct TileGrid {
    int64_t tilesX = 0;
    int64_t tilesY = 0;
    int64_t count() const { return tilesX * tilesY; }
};

TileGrid tileGrid(const EngineState &s);
TileRect tileRect(const EngineState &s, const TileGrid &grid, int64_t k);

// Six vertices per tile into a new vertex array and buffer, left bound.
void buildTiles(EngineState &s);

// Clears, draws and reads back tile k, whose used rectangle is `r`, asking
// the pass's stop callback between pieces; false, with s.stopped set and
// nothing read back, when it said stop.
bool drawTile(EngineState &s, const TileRect &r, int64_t k);

} // namespace qv
