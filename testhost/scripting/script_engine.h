// The simulator's stand-in for the host's ExtendScript engine: one Duktape
// heap whose global state lasts as long as the host, with the parts of the
// host's scripting world that Quorvel's scripts use (ScriptUI windows and
// controls, File and Folder, alert, prompt, $.os). Modal dialogs are worked
// by a scripted user.
#pragma once

#include "sdk/ae_sdk.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvh {

struct ScriptEngineOptions {
    // As older host engines: no JSON object and no Array.prototype.indexOf.
    bool legacy = false;
    // What $.os reports; the scripts treat paths differently on "Windows".
    std::string os = "Linux";
    // What app.version reports; hosts before 12 keep their script
    // preferences under "Main Pref Section" instead of "Main Pref Section v2".
    std::string appVersion = "23.0";
};

class ScriptEngine {
public:
    ScriptEngine();
    ~ScriptEngine();

    // A fresh global state, as after a host start; forgets the scripted user,
    // the prompt answers and everything recorded.
    void restart(const ScriptEngineOptions &options = {});

    // Runs a UTF-8 script text. Success: 0 and the completion value as text
    // ("undefined" when there is none). Failure: A_Err_GENERIC and the error text.
    A_Err run(const std::string &script, std::string &result, std::string &error);

    // The scripted user: the source of a function (dialog, user) that is
    // called when a modal dialog shows; empty for nobody (the dialog is closed
    // by its frame at once). Throws std::runtime_error when it does not compile.
    void setUser(const std::string &functionSource);
    // Answers for the prompts to come, in order; nullopt is a Cancel.
    void answerPrompts(const std::vector<std::optional<std::string>> &answers);

    std::vector<std::string> alerts();
    std::vector<std::string> prompts();
    std::vector<std::string> promptDefaults();
    std::vector<std::string> handlerErrors();

    // For tests and qvhost: runs `expression` (statements allowed) and gives
    // its completion value as text, or the texts of an array of strings.
    // Throws std::runtime_error when it fails.
    std::string evaluate(const std::string &expression);
    std::vector<std::string> strings(const std::string &expression);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The one engine of the process.
ScriptEngine &scriptEngine();

// Restarts the engine and makes it the host's answer to AEGP_ExecuteScript.
void installScriptEngine(const ScriptEngineOptions &options = {});

} // namespace qvh
