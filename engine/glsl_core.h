// GLSLCore: one GLSL fragment pass over the output frame in a hidden GLFW
// window's OpenGL 3.3 core context. Errors are queued, never thrown; callers
// drain them with hasError/popError after render.
#pragma once

#include "engine/pass_frame.h"

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

    // One pass: 0 when it ran its course (compile errors are queued), -1 when
    // it refused to start, 1 when frame->stop said stop between two pieces of
    // drawing: no message is queued for that and the output's pixels are
    // partial, so the caller returns the host's cancel code.
    int render(const std::string &code, PassFrame *frame, bool wrap);
    bool hasError();
    std::string popError();  // oldest first; "" when empty

private:
    friend class EngineProbe;  // test-only inspection, engine/engine_probe.h
    std::unique_ptr<EngineState> state;
};

// The thread's engines, one per calling site, each made on first
// use in the thread and destroyed when the thread ends.
GLSLCore &driverEngine();
GLSLCore &luaGlslEngine();
GLSLCore &luaFullGlslEngine();

} // namespace qv
