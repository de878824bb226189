// The Lua state of one render: built, given the host functions and
// the prelude, run once, asked for its message and closed, all within one
// render call. Nothing of it outlives the render.
#pragma once

#include "base/render_context.h"
#include "lua/memory_budget.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct lua_State;

namespace qv {

struct RuntimeContext;

// The Lua lock: one process-wide recursive mutex around everything done with
// any Lua state, the whole run of a user script included.
std::recursive_mutex &luaLock();

// The text put in front of every user script: adds the plug-ins folder and
// its Tessmar folder to the module search paths.
extern const char packagePathChunk[];

class LuaRuntime {
public:
    // Construction: null when the state or its context cannot be made (the
    // render then reports out of memory).
    static std::unique_ptr<LuaRuntime> create();
    ~LuaRuntime();  /* closes the state if close() was not called */
    LuaRuntime(const LuaRuntime &) = delete;
    LuaRuntime &operator=(const LuaRuntime &) = delete;

    // Stores the thirteen host functions into __PCFuncs__ and runs the prelude.
    void registerHostFunctions();

    // Sets the globals from the context and runs `code`. Returns 0, or
    // PF_Interrupt_CANCEL when the host's abort callback stopped the script.
    // What a host service threw inside the script (the integer 516 of a
    // missing suite, a host's own exception) is rethrown here, once the script
    // has unwound.
    PF_Err run(const char *code);

    // The run's message: the string or number left on top of the stack, popped.
    std::optional<std::string> takeMessage();

    // Closes the state and frees the context; calling it again is harmless.
    void close();

    // The most the script may hold while it runs (kScriptMemoryCap unless a
    // test lowers it); past it the script fails with "not enough memory".
    void setScriptMemoryCap(std::size_t bytes) { scriptMemoryCap_ = bytes; }

    PCData *context() const;  /* null once closed */
    lua_State *state() const { return state_; }

private:
    struct Registration {
        const char *name;
        int (*function)(lua_State *);
    };
    LuaRuntime() = default;

    lua_State *state_ = nullptr;
    RuntimeContext *context_ = nullptr;
    std::vector<Registration> pending_;
    MemoryBudget budget_;  /* the state's allocator data: outlives the state */
    std::size_t scriptMemoryCap_ = kScriptMemoryCap;
};

} // namespace qv
