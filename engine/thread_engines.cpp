// The thread-local engines: one per calling site and thread,
// made on first use and destroyed when the thread ends.
//
// The engines are owned through ThreadOwned (support/thread_owned.h), whose
// exit hook works where thread_local destructors cannot.
//
// On Windows the exit hook runs under the loader lock, which another thread
// may need while it holds the engine lock (making a window or a context
// loads libraries); waiting for the engine lock there would deadlock. When
// the engine lock is taken, the ending thread's engines are left to the next
// engine operation of another thread, which ends them (their window went
// with the thread; their contexts are deleted from there).
#include "engine/thread_engines.h"

#include "engine/engine_lifecycle.h"
#include "engine/gl_context.h"
#include "support/thread_owned.h"

#include <memory>
#include <mutex>
#include <vector>

namespace qv {
namespace {

struct ThreadEngines {
    std::unique_ptr<GLSLCore> driver, luaGlsl, luaUnwrappedGlsl;
};

std::mutex &orphansMutex()
{
    static std::mutex *mutex = new std::mutex;  /* outlives thread-exit hooks */
    return *mutex;
}

std::vector<ThreadEngines *> &orphans()
{
    static auto *left = new std::vector<ThreadEngines *>;  /* under orphansMutex */
    return *left;
}

void endEngines(ThreadEngines *engines)
{
#ifdef _WIN32
    std::unique_lock<std::recursive_mutex> engineLock(engineMutex(), std::try_to_lock);
    if (!engineLock.owns_lock()) {
        std::lock_guard<std::mutex> lock(orphansMutex());
        orphans().push_back(engines);
        return;
    }
#endif
    delete engines;  /* the engines take the engine lock */
}

ThreadEngines &threadEngines()
{
    return ThreadOwned<ThreadEngines, endEngines>::mine();
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
        std::lock_guard<std::mutex> lock(orphansMutex());
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

GLSLCore &luaUnwrappedGlslEngine()
{
    return made(threadEngines().luaUnwrappedGlsl);
}

} // namespace qv
