#include "engine/engine_faults.h"

#include <atomic>

namespace qv {

namespace {
std::atomic<unsigned> activeFaults{0};
std::atomic<int> windowWidth{0};
std::atomic<int> windowHeight{0};
constexpr int kWindowSize = 1024;  // the hidden window is 1024 x 1024
} // namespace

void setEngineFault(EngineFault fault, bool on)
{
    unsigned bit = static_cast<unsigned>(fault);
    if (on)
        activeFaults |= bit;
    else
        activeFaults &= ~bit;
}

bool engineFault(EngineFault fault)
{
    return (activeFaults.load() & static_cast<unsigned>(fault)) != 0;
}

void clearEngineFaults()
{
    activeFaults = 0;
}

void setEngineWindowSize(int width, int height)
{
    windowWidth = width;
    windowHeight = height;
}

int engineWindowWidth()
{
    int w = windowWidth.load();
    return w > 0 ? w : kWindowSize;
}

int engineWindowHeight()
{
    int h = windowHeight.load();
    return h > 0 ? h : kWindowSize;
}

} // namespace qv
