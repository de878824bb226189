#include "testhost/scripting/script_engine.h"

#include "embedded/kScriptFilesJs.h"
#include "embedded/kScriptUiJs.h"
#include "testhost/host/host.h"
#include "testhost/scripting/script_engine_internal.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

namespace qvh {
namespace {

using Clock = std::chrono::steady_clock;

// A script that was already running when the host asked to stop is ended at
// once; one started after that (the plug-in's own short scripts that report
// the cancel) only when it runs this long.
constexpr auto kGraceAfterAbort = std::chrono::seconds(2);

// The heap's user data: the bytes it holds, and the run that the timeout
// check watches.
struct HeapWatch {
    std::size_t used = 0;
    int depth = 0;               /* nested runs, from natives that run scripts */
    Clock::time_point start;     /* of the outermost run */
    bool abortDueAtStart = false;
    bool stopped = false;        /* once true, true until the outermost run ends */
    bool refused = false;        /* an allocation past kScriptHeapLimit since the run began */

    bool timedOut()
    {
        if (!stopped && depth > 0 && abortDue())
            stopped = !abortDueAtStart || Clock::now() - start >= kGraceAfterAbort;
        return stopped;
    }
};

// Each block carries its size in front, so the heap's total is known.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
};

void *resizeBlock(void *udata, void *old, duk_size_t size)
{
    auto &watch = *static_cast<HeapWatch *>(udata);
    BlockHeader *header = old ? static_cast<BlockHeader *>(old) - 1 : nullptr;
    std::size_t oldSize = header ? header->size : 0;
    if (size > oldSize && size - oldSize > kScriptHeapLimit - watch.used) {
        watch.refused = true;
        return nullptr;  /* Duktape collects garbage and tries again, then throws */
    }
    auto *block = static_cast<BlockHeader *>(std::realloc(header, sizeof(BlockHeader) + size));
    if (!block)
        return nullptr;
    watch.used = watch.used - oldSize + size;
    block->size = size;
    return block + 1;
}

void *allocateBlock(void *udata, duk_size_t size) { return resizeBlock(udata, nullptr, size); }

void freeBlock(void *udata, void *block)
{
    if (!block)
        return;
    BlockHeader *header = static_cast<BlockHeader *>(block) - 1;
    static_cast<HeapWatch *>(udata)->used -= header->size;
    std::free(header);
}

} // namespace

struct ScriptEngine::State {
    std::recursive_mutex mutex;  /* one script at a time, from any thread */
    duk_context *ctx = nullptr;
    HeapWatch watch;
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

// Marks the outermost run of a script for the timeout check.
class RunWatch {
public:
    explicit RunWatch(HeapWatch &watch) : watch_(watch)
    {
        if (watch_.depth++ > 0)
            return;
        watch_.start = Clock::now();
        watch_.abortDueAtStart = abortDue();
        watch_.stopped = false;
        watch_.refused = false;
    }
    ~RunWatch()
    {
        if (--watch_.depth == 0)
            watch_.stopped = false;
    }
    // Why a failed run failed, in the user's words, around the engine's own error.
    std::string explain(const std::string &error) const
    {
        if (watch_.stopped)
            return "The script was stopped: the host asked to stop while it ran (" + error + ")";
        if (watch_.refused)
            return "The script needed more than the script engine's " + std::to_string(kScriptHeapLimit >> 20) +
                   " MB of memory (" + error + ")";
        return error;
    }

private:
    HeapWatch &watch_;
};

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

bool pushTextProtected(duk_context *ctx, const std::string &utf8)
{
    auto push = [](duk_context *c, void *text) -> duk_ret_t {
        pushText(c, *static_cast<const std::string *>(text));
        return 1;
    };
    return duk_safe_call(ctx, push, const_cast<std::string *>(&utf8), 0, 1) == DUK_EXEC_SUCCESS;
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
    state_->ctx = duk_create_heap(allocateBlock, resizeBlock, freeBlock, &state_->watch, nullptr);
    if (!state_->ctx)
        throw std::runtime_error("script engine: no heap");
    loadPrelude(state_->ctx, options);
}

A_Err ScriptEngine::run(const std::string &script, std::string &result, std::string &error)
{
    std::lock_guard<std::recursive_mutex> lock(state_->mutex);
    duk_context *ctx = state_->ctx;
    RunWatch watch(state_->watch);
    bool ok = evalOnStack(ctx, script);
    (ok ? result : error) = topText(ctx);
    duk_pop(ctx);
    if (!ok)
        error = watch.explain(error);
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

extern "C" duk_bool_t qvhScriptTimedOut(void *udata)
{
    return static_cast<qvh::HeapWatch *>(udata)->timedOut() ? 1 : 0;
}
