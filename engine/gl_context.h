// Internal: an engine's hidden window, its GL 3.3 core context and the float
// framebuffer the tiles are drawn into.
#pragma once

#include "engine/engine_state.h"

namespace qv {

// Makes the window, context and FBO: 0, or -1 with the reason queued (and
// nothing kept, so a retry starts over).
int initContext(EngineState &s);

// A usable context for a pass: made again after a failed set-up or after
// GLFW was terminated. False when it still cannot be made.
bool ensureContext(EngineState &s);

// Deletes the context's objects and destroys the window, unless GLFW has
// been terminated since they were made (it destroyed them then).
void releaseContext(EngineState &s);

// Geometry and program binding of a pass; the context's own objects, the
// cached programs and the units' textures stay.
void releasePassObjects(EngineState &s);

// Deletes one unit's texture, if it has one, and forgets its shape.
void deleteUnitTexture(EngineState &s, int unit);

void makeCurrent(EngineState &s);

// Leaves no context current on this thread between operations: a context
// still current on a render thread when the global shutdown terminates GLFW
// could not be freed (Mesa keeps it, Windows refuses to delete it).
void releaseCurrent();

} // namespace qv
