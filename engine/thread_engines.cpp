// The thread-local engines: one per calling site and thread,
// made on first use and destroyed when the thread ends.
//
// The engines are owned by a process-wide table, not by thread_local objects:
// with emulated TLS (mingw-w64's GCC) a thread_local's storage is freed before
// its destructor runs at thread exit, so such a destructor would work on freed
// memory. Only a trivial pointer is thread_local; the exit hook finds the
// thread's engines by its id and reads no thread-local storage.
//
// On Windows the exit hook runs under the loader lock, which another thread
// may need while it holds the engine lock (making a window or a context
// loads libraries); waiting for the engine lock there would deadlock. When
// the engine lock is taken, the ending thread's engines are left to the next
// engine operation of another thread, which ends them (their window went
// with the thread; their contexts are deleted from there).
#include "engine/engine_lifecycle.h"
#include "engine/gl_context.h"
#include "engine/glsl_core.h"

#include <vector>

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace qv {
namespace {

struct ThreadEngines {
    std::unique_ptr<GLSLCore> driver, luaGlsl, luaFullGlsl;
};

std::mutex &tableMutex()
{
    static std::mutex *mutex = new std::mutex;  /* outlives thread-exit hooks */
    return *mutex;
}

std::unordered_map<std::thread::id, ThreadEngines *> &table()
{
    static auto *engines = new std::unordered_map<std::thread::id, ThreadEngines *>;
    return *engines;
}

std::vector<ThreadEngines *> &orphans()
{
    static auto *left = new std::vector<ThreadEngines *>;  /* under tableMutex */
    return *left;
}

void endEngines(ThreadEngines *engines)
{
#ifdef _WIN32
    std::unique_lock<std::recursive_mutex> engineLock(engineMutex(), std::try_to_lock);
    if (!engineLock.owns_lock()) {
        std::lock_guard<std::mutex> lock(tableMutex());
        orphans().push_back(engines);
        return;
    }
#endif
    delete engines;
}

struct ExitHook {
    ~ExitHook()
    {
        ThreadEngines *engines = nullptr;
        {
            std::lock_guard<std::mutex> lock(tableMutex());
            auto it = table().find(std::this_thread::get_id());
            if (it == table().end())
                return;
            engines = it->second;
            table().erase(it);
        }
        endEngines(engines);  /* outside the table's lock: the engines take the engine lock */
    }
};

ThreadEngines &threadEngines()
{
    thread_local ThreadEngines *mine = nullptr;
    if (!mine) {
        thread_local ExitHook hook;  /* its destructor runs at thread exit */
        (void)hook;
        auto engines = std::make_unique<ThreadEngines>();
        std::lock_guard<std::mutex> lock(tableMutex());
        table()[std::this_thread::get_id()] = engines.get();
        mine = engines.release();
    }
    return *mine;
}

GLSLCore &made(std::unique_ptr<GLSLCore> &engine)
{
    if (!engine)
        engine = std::make_unique<GLSLCore>();
    return *engine;
}

} // namespace

void endOrphanedEngines()
{
    std::vector<ThreadEngines *> left;
    {
        std::lock_guard<std::mutex> lock(tableMutex());
        left.swap(orphans());
    }
    for (ThreadEngines *engines : left)
        delete engines;
    if (!left.empty())
        releaseCurrent();
}

GLSLCore &driverEngine()
{
    return made(threadEngines().driver);
}

GLSLCore &luaGlslEngine()
{
    return made(threadEngines().luaGlsl);
}

GLSLCore &luaFullGlslEngine()
{
    return made(threadEngines().luaFullGlsl);
}

} // namespace qv
