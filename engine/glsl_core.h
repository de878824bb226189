// GLSLCore: one GLSL fragment pass over the output frame in a hidden GLFW
// window's OpenGL 3.3 core context. Errors are queued, never thrown; callers
// drain them with hasError/popError after render.
#pragma once

#include "engine/pass_frame.h"
#include "engine/pass_result.h"

#include <memory>
#include <string>

namespace qv {

struct EngineState;

class GLSLCore {
public:
    GLSLCore();
    ~GLSLCore();
    GLSLCore(const GLSLCore &) = delete;
    GLSLCore &operator=(const GLSLCore &) = delete;

    // One pass into ctx's output; what it did (engine/pass_result.h). After
    // Stopped the output's pixels are partial, so the caller returns the
    // host's cancel code.
    PassResult render(const std::string &code, PassFrame *ctx, bool wrap);
    bool hasError();
    std::string popError();  // oldest first; "" when empty

private:
    friend class EngineProbe;  // test-only inspection, engine/engine_probe.h
    std::unique_ptr<EngineState> state;
};

} // namespace qv
