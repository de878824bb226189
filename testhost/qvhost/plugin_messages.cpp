#include "testhost/qvhost/plugin_messages.h"

#include "engine/engine_messages.h"
#include "testhost/host/host.h"
#include "testhost/scripting/script_engine.h"

#include <regex>

namespace qvh {
namespace {

thread_local DebugLogCapture *current = nullptr;

// The plug-in's log call is "if(_QUORVEL_log) _QUORVEL_log('...');" with the
// line as an escaped string literal; the script engine reads the literal back.
const char kLogCall[] = "_QUORVEL_log('";

void noteLogCall(const std::string &script)
{
    std::size_t at = script.find(kLogCall);
    std::size_t end = script.rfind("');");
    if (!current || at == std::string::npos || end == std::string::npos || end < at)
        return;
    std::size_t open = at + sizeof kLogCall - 2;  /* at the quote */
    try {
        for (const std::string &line : scriptEngine().strings("[" + script.substr(open, end + 1 - open) + "]"))
            current->add(line);
    } catch (const std::exception &) {
        /* not a literal after all: nothing learnt */
    }
}

} // namespace

void listenToDebugLog()
{
    std::lock_guard<std::mutex> lock(host().mutex);
    ScriptRunner runner = host().scriptRunner;
    host().scriptRunner = [runner](const std::string &script, std::string &result, std::string &error) {
        A_Err err = runner ? runner(script, result, error) : A_Err_NONE;
        noteLogCall(script);
        return err;
    };
}

DebugLogCapture::DebugLogCapture() : previous_(current)
{
    current = this;
}

DebugLogCapture::~DebugLogCapture()
{
    current = previous_;
}

bool isNoGlMessage(const std::string &line)
{
    /* GLSL and Shadertoy log the engine's text; a Lua pass raises it at the script's position */
    static const std::regex luaPosition(R"(^\[string "[^\n]*?"\]:\d+: )");
    std::smatch position;
    std::size_t at = std::regex_search(line, position, luaPosition) ? position.length(0) : 0;
    return line.compare(at, sizeof qv::msg::kWindowNotCreated - 1, qv::msg::kWindowNotCreated) == 0;
}

bool isCompileFailure(const std::string &line)
{
    return line.compare(0, 15, "ERROR::SHADER::") == 0;
}

bool isFailureMessage(const std::string &line)
{
    static const std::regex errorObject(R"(^\(error object is an? \w+ value\)$)");
    return isCompileFailure(line) || line.find("QUORVEL::INNER_ERROR") != std::string::npos ||
           line.find("QUORVEL_INNER_ERROR::") != std::string::npos || line.compare(0, 9, "[string \"") == 0 ||
           std::regex_match(line, errorObject) || line == "not enough memory";
}

std::string languageHint(const std::string &code)
{
    static const std::regex mainImage(R"(\bmainImage\s*\()"), main(R"(\bmain\s*\()");
    if (std::regex_search(code, mainImage) && !std::regex_search(code, main))
        return "the code defines mainImage and no main: it looks like Shadertoy code; render it with "
               "--language shadertoy";
    return "";
}

} // namespace qvh
