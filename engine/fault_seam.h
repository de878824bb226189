// Internal: where the engine's simulated faults (engine_faults.h) reach it.
// The stages take their allocations and their context request from here and
// never test a fault themselves.
#pragma once

#include <cstddef>

namespace qv {

enum class EngineFault : unsigned;

// malloc (calloc when `zeroed`), or null when `site`'s fault is on.
void *seamAllocate(EngineFault site, size_t bytes, bool zeroed = false);

// What initContext asks for: the hidden window and how its context is set up.
struct ContextRequest {
    int versionMajor;    // 3; an impossible version stands for a failed window
    int windowWidth;
    int windowHeight;
    bool loaderFinds;    // the GL loader finds the functions
    bool attachColour;   // the FBO gets its colour attachment
};
ContextRequest contextRequest();

} // namespace qv
