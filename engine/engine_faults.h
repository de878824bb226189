// Test seam: makes the engine's context set-up and its allocations fail on
// purpose, and sizes the hidden windows made afterwards, so tests reach the
// failure paths of context creation, frame set-up and read-back without a broken driver.
#pragma once

namespace qv {

enum class EngineFault : unsigned {
    WindowCreation = 1u << 0,      // glfwCreateWindow is asked for an impossible context
    GladLoad = 1u << 1,            // the GL loader finds no function
    FramebufferIncomplete = 1u << 2,  // the FBO gets no colour attachment
    OutBufferLayerAlloc = 1u << 3, // the engine's outBufferLayer record
    StagingAlloc = 1u << 4,        // stagingBuffer growth
    ReadbackAlloc = 1u << 5,       // the read-back buffer
};

// Faults stay on until cleared; several may be on at once.
void setEngineFault(EngineFault fault, bool on);
bool engineFault(EngineFault fault);
void clearEngineFaults();

// Client-area size of hidden windows created from now on; 0 restores 1024.
void setEngineWindowSize(int width, int height);
int engineWindowWidth();
int engineWindowHeight();

} // namespace qv
