// What the plug-in tells the user during a render, learnt the way the host
// can learn it: the lines it adds to its debug log window through
// AEGP_ExecuteScript. The plug-in is not asked anything it would not be asked
// in the host; qvhost only listens to the scripts it runs.
#pragma once

#include <string>
#include <vector>

namespace qvh {

// Puts a listener in front of the host's script runner (installed already).
void listenToDebugLog();

// The log lines the plug-in sends on this thread while the object lives.
class DebugLogCapture {
public:
    DebugLogCapture();
    ~DebugLogCapture();
    DebugLogCapture(const DebugLogCapture &) = delete;
    DebugLogCapture &operator=(const DebugLogCapture &) = delete;

    const std::vector<std::string> &lines() const { return lines_; }
    void add(const std::string &line) { lines_.push_back(line); }

private:
    DebugLogCapture *previous_;
    std::vector<std::string> lines_;
};

// Whether a line the plug-in logged reports a failure of the user's code:
// a shader compile or link error, an internal error, or a Lua error (which
// carries the chunk and line it happened at, or names the type of a value
// raised that is not text, or is Lua's own "not enough memory", which has no
// position). Lines a script writes itself with debug.add are
// not failures; neither is error("text", 0), whose message has no position
// and reads exactly like a script's returned text.
bool isFailureMessage(const std::string &line);

// Whether a line says the engine could not make its OpenGL context (the
// windowing system refused its hidden window): no frame can render here.
bool isNoGlMessage(const std::string &line);

// Whether a failure is the shader compiler's or linker's: the same code
// fails the same way on every frame.
bool isCompileFailure(const std::string &line);

// For GLSL code that failed: a hint when it is Shadertoy code (it defines
// mainImage and no main); empty otherwise.
std::string languageHint(const std::string &code);

} // namespace qvh
