// Asks the host's abort callback while a script runs (the design is described at the top of abort_watch.cpp).
#pragma once

#include "base/render_context.h"

#include <lua.hpp>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qv {

// For the length of one run: a watchdog that makes the script ask the host
// every few milliseconds. No thread when the host gave no abort callback.
class AbortWatch {
public:
    AbortWatch(lua_State *L, const PCData &pc);
    ~AbortWatch();  /* stops the watchdog and removes every hook from L */
    AbortWatch(const AbortWatch &) = delete;
    AbortWatch &operator=(const AbortWatch &) = delete;

private:
    void watch();

    lua_State *L_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

// The message a script stops with when the host cancels the render.
extern const char kAbortMessage[];

// Asks the host's abort callback now (long host-function loops) and stops the
// script when it answers "stop". Cheap when nobody asks.
void checkAbort(lua_State *L);

// Asks the host's abort callback now without stopping the script: for a host
// function that must first end work of its own (a request on another thread)
// and then calls checkAbort.
bool hostAskedToStop(lua_State *L);

// Gives coroutines made from now on a standing count hook that asks the host,
// and keeps xpcall's message handlers from running once the host asked to stop.
void guardCoroutinesAndHandlers(lua_State *L);

} // namespace qv
