#include "testhost/script_engine.h"

#include "embedded/kScriptFilesJs.h"
#include "embedded/kScriptUiJs.h"
#include "testhost/host.h"
#include "testhost/script_engine_internal.h"

#include <mutex>
#include <stdexcept>

namespace qvh {

struct ScriptEngine::State {
    std::recursive_mutex mutex;  /* one script at a time, from any thread */
    duk_context *ctx = nullptr;
};

namespace {

bool isSurrogate(const std::string &t, std::size_t i, unsigned char low, unsigned char high)
{
    return i + 2 < t.size() && static_cast<unsigned char>(t[i]) == 0xED &&
           static_cast<unsigned char>(t[i + 1]) >= low && static_cast<unsigned char>(t[i + 1]) <= high;
}

void appendUtf8(std::string &out, uint32_t cp)
{
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

void appendSurrogate(std::string &out, uint32_t unit)
{
    out += static_cast<char>(0xE0 | (unit >> 12));
    out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (unit & 0x3F));
}

uint32_t byteAt(const std::string &t, std::size_t i) { return static_cast<unsigned char>(t[i]); }

// Surrogate pairs (six bytes) become four-byte UTF-8; everything else stays.
std::string cesuToUtf8(const std::string &t)
{
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (isSurrogate(t, i, 0xA0, 0xAF) && isSurrogate(t, i + 3, 0xB0, 0xBF)) {
            uint32_t high = ((byteAt(t, i + 1) & 0x0F) << 6) | (byteAt(t, i + 2) & 0x3F);
            uint32_t low = ((byteAt(t, i + 4) & 0x0F) << 6) | (byteAt(t, i + 5) & 0x3F);
            appendUtf8(out, 0x10000 + (high << 10) + low);
            i += 5;
        } else {
            out += t[i];
        }
    }
    return out;
}

// Four-byte UTF-8 becomes a surrogate pair; everything else stays.
std::string utf8ToCesu(const std::string &t)
{
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if ((byteAt(t, i) & 0xF8) == 0xF0 && i + 3 < t.size()) {
            uint32_t cp = ((byteAt(t, i) & 0x07) << 18) | ((byteAt(t, i + 1) & 0x3F) << 12) |
                          ((byteAt(t, i + 2) & 0x3F) << 6) | (byteAt(t, i + 3) & 0x3F);
            appendSurrogate(out, 0xD800 + ((cp - 0x10000) >> 10));
            appendSurrogate(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
            i += 3;
        } else {
            out += t[i];
        }
    }
    return out;
}

std::string topText(duk_context *ctx) { return takeText(ctx, -1); }

// Evaluates `source` and leaves its value (or its error) on the stack.
bool evalOnStack(duk_context *ctx, const std::string &source)
{
    return duk_peval_lstring(ctx, source.data(), source.size()) == 0;
}

void evalOrThrow(duk_context *ctx, const std::string &source)
{
    bool ok = evalOnStack(ctx, source);
    std::string text = topText(ctx);
    duk_pop(ctx);
    if (!ok)
        throw std::runtime_error("script engine: " + text);
}

void setOs(duk_context *ctx, const std::string &os)
{
    duk_get_global_string(ctx, "$");
    duk_push_lstring(ctx, os.data(), os.size());
    duk_put_prop_string(ctx, -2, "os");
    duk_pop(ctx);
}

duk_ret_t scriptAccessPref(duk_context *ctx)
{
    duk_push_int(ctx, host().allowScriptAccess ? 1 : 0);
    return 1;
}

// app.version and app.preferences.getPrefAsLong with the one preference
// scripts ask for, read from the host's state; an unknown one throws.
void loadApp(duk_context *ctx, const ScriptEngineOptions &options)
{
    duk_get_global_string(ctx, "__qvh");
    duk_push_c_function(ctx, scriptAccessPref, 0);
    duk_put_prop_string(ctx, -2, "scriptAccessPref");
    duk_pop(ctx);
    std::string section = std::stod(options.appVersion) < 12 ? "Main Pref Section" : "Main Pref Section v2";
    evalOrThrow(ctx, "var app = {version: '" + options.appVersion + "', preferences: {"
                     " getPrefAsLong: function (section, key) {"
                     "  if (section === '" + section + "' && key === 'Pref_SCRIPTING_FILE_NETWORK_SECURITY')"
                     "   return __qvh.scriptAccessPref();"
                     "  throw new Error('No such preference: ' + section + ', ' + key); }}};");
}

// The ScriptUI and file stand-ins, then what the options take away.
void loadPrelude(duk_context *ctx, const ScriptEngineOptions &options)
{
    evalOrThrow(ctx, "var __qvh = {}; var $ = {os: '', writeln: function (t) {}};");
    registerFileNatives(ctx);
    evalOrThrow(ctx, kScriptUiJs);
    evalOrThrow(ctx, kScriptFilesJs);
    setOs(ctx, options.os);
    loadApp(ctx, options);
    if (options.legacy)
        evalOrThrow(ctx, "delete this.JSON; delete Array.prototype.indexOf;");
}

} // namespace

void pushText(duk_context *ctx, const std::string &utf8)
{
    std::string text = utf8ToCesu(utf8);
    duk_push_lstring(ctx, text.data(), text.size());
}

// Uses a safe conversion, so a value whose toString throws still gives text.
std::string takeText(duk_context *ctx, duk_idx_t idx)
{
    duk_size_t size = 0;
    const char *text = duk_safe_to_lstring(ctx, idx, &size);
    return cesuToUtf8(std::string(text, size));
}

ScriptEngine::ScriptEngine() : state_(new State) { restart(); }

ScriptEngine::~ScriptEngine()
{
    closeScriptFiles();
    if (state_->ctx)
        duk_destroy_heap(state_->ctx);
}

void ScriptEngine::restart(const ScriptEngineOptions &options)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    closeScriptFiles();
    if (state_->ctx)
        duk_destroy_heap(state_->ctx);
    state_->ctx = duk_create_heap_default();
    if (!state_->ctx)
        throw std::runtime_error("script engine: no heap");
    loadPrelude(state_->ctx, options);
}

A_Err ScriptEngine::run(const std::string &script, std::string &result, std::string &error)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    duk_context *ctx = state_->ctx;
    bool ok = evalOnStack(ctx, script);
    (ok ? result : error) = topText(ctx);
    duk_pop(ctx);
    return ok ? A_Err_NONE : A_Err_GENERIC;
}

void ScriptEngine::setUser(const std::string &functionSource)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    evalOrThrow(state_->ctx, "__qvh.user = (" + (functionSource.empty() ? "null" : functionSource) + "\n);");
}

void ScriptEngine::answerPrompts(const std::vector<std::optional<std::string>> &answers)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    duk_context *ctx = state_->ctx;
    duk_get_global_string(ctx, "__qvh");
    duk_get_prop_string(ctx, -1, "answers");
    for (const auto &answer : answers) {
        if (answer)
            pushText(ctx, *answer);
        else
            duk_push_null(ctx);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(duk_get_length(ctx, -2)));
    }
    duk_pop_2(ctx);
}

std::vector<std::string> ScriptEngine::alerts() { return strings("__qvh.alerts"); }
std::vector<std::string> ScriptEngine::prompts() { return strings("__qvh.prompts"); }
std::vector<std::string> ScriptEngine::promptDefaults() { return strings("__qvh.promptDefaults"); }
std::vector<std::string> ScriptEngine::handlerErrors() { return strings("__qvh.handlerErrors"); }

std::string ScriptEngine::evaluate(const std::string &expression)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    duk_context *ctx = state_->ctx;
    bool ok = evalOnStack(ctx, expression);
    std::string text = topText(ctx);
    duk_pop(ctx);
    if (!ok)
        throw std::runtime_error("script engine: " + text);
    return text;
}

std::vector<std::string> ScriptEngine::strings(const std::string &expression)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    duk_context *ctx = state_->ctx;
    if (!evalOnStack(ctx, expression) || !duk_is_array(ctx, -1)) {
        duk_pop(ctx);
        throw std::runtime_error("script engine: " + expression + " is no array");
    }
    std::vector<std::string> texts;
    for (duk_size_t i = 0, n = duk_get_length(ctx, -1); i < n; ++i) {
        duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(i));
        texts.push_back(topText(ctx));
        duk_pop(ctx);
    }
    duk_pop(ctx);
    return texts;
}

ScriptEngine &scriptEngine()
{
    static ScriptEngine *engine = new ScriptEngine;  /* lives as long as the host */
    return *engine;
}

void installScriptEngine(const ScriptEngineOptions &options)
{
    scriptEngine().restart(options);
    std::lock_guard<std::mutex> lock(host().mutex);
    host().scriptRunner = [](const std::string &script, std::string &result, std::string &error) {
        return scriptEngine().run(script, result, error);
    };
}

} // namespace qvh
