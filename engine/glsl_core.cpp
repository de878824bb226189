// The public operations: each takes the engine lock once and hands the
// engine's state to the internal modules.
#include "engine/glsl_core.h"

#include "engine/engine_lifecycle.h"
#include "engine/engine_messages.h"
#include "engine/engine_state.h"
#include "engine/fault_seam.h"
#include "engine/engine_faults.h"
#include "engine/gl_context.h"
#include "engine/render_pass.h"
#include "engine/thread_engines.h"
#include "embedded/kVertexShaderText.h"

#include <cstdlib>
#include <mutex>

namespace qv {

using Lock = std::lock_guard<std::recursive_mutex>;

GLSLCore::GLSLCore()
    : state(new EngineState)
{
    Lock lock(engineMutex());
    EngineState &s = *state;
    s.vertexSource.assign(kVertexShaderText, kVertexShaderText_size);
    ensureGlfw();
    initContext(s);
    releaseCurrent();
    s.outBufferLayer = static_cast<PF_EffectWorld *>(
        seamAllocate(EngineFault::OutBufferLayerAlloc, sizeof(PF_EffectWorld), true));
    if (!s.outBufferLayer)
        queueError(s, msg::kOutBufferLayerMissing);
}

GLSLCore::~GLSLCore()
{
    Lock lock(engineMutex());
    EngineState &s = *state;
    releaseContext(s);
    std::free(s.stagingBuffer);
    std::free(s.readbackBuffer);
    std::free(s.outBufferLayer);
    s.stagingBuffer = s.readbackBuffer = nullptr;
    s.outBufferLayer = nullptr;
    s.stagingCapacity = 0;
}

PassResult GLSLCore::render(const std::string &code, PassFrame *ctx, bool wrap)
{
    Lock lock(engineMutex());
    endOrphanedEngines();
    return runPass(*state, code, ctx, wrap);
}

bool GLSLCore::hasError()
{
    Lock lock(engineMutex());
    return !state->errorQueue.empty();
}

std::string GLSLCore::popError()
{
    Lock lock(engineMutex());
    if (state->errorQueue.empty())
        return std::string();
    std::string message = std::move(state->errorQueue.front());
    state->errorQueue.pop_front();
    return message;
}

} // namespace qv
