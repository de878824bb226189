#include "engine/fault_seam.h"

#include "engine/engine_faults.h"

#include <cstdlib>

namespace qv {

void *seamAllocate(EngineFault site, size_t bytes, bool zeroed)
{
    if (engineFault(site))
        return nullptr;
    return zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
}

ContextRequest contextRequest()
{
    ContextRequest r;
    r.versionMajor = engineFault(EngineFault::WindowCreation) ? 99 : 3;
    r.windowWidth = engineWindowWidth();
    r.windowHeight = engineWindowHeight();
    r.loaderFinds = !engineFault(EngineFault::GladLoad);
    r.attachColour = !engineFault(EngineFault::FramebufferIncomplete);
    return r;
}

} // namespace qv
