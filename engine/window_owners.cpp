#include "engine/window_owners.h"

#ifdef _WIN32
#include "support/platform.h"

#include <cstdint>
#include <unordered_map>

namespace qv {
namespace {

std::unordered_map<GLFWwindow *, std::uint32_t> &owners()
{
    static auto *table = new std::unordered_map<GLFWwindow *, std::uint32_t>;
    return *table;
}

std::uint32_t helperOwner = 0;

// A thread that ended took its windows with it.
bool ownedElsewhere(std::uint32_t thread)
{
    return thread != 0 && thread != platform::CurrentThreadId() && platform::ThreadRunning(thread);
}

} // namespace

void noteGlfwInitialised() { helperOwner = platform::CurrentThreadId(); }

void noteWindowMade(GLFWwindow *window) { owners()[window] = platform::CurrentThreadId(); }

void noteWindowDestroyed(GLFWwindow *window) { owners().erase(window); }

void forgetAllWindows()
{
    owners().clear();
    helperOwner = 0;
}

bool otherThreadsOwnWindows()
{
    if (ownedElsewhere(helperOwner))
        return true;
    for (const auto &entry : owners())
        if (ownedElsewhere(entry.second))
            return true;
    return false;
}

} // namespace qv

#else

namespace qv {

void noteGlfwInitialised() {}
void noteWindowMade(GLFWwindow *) {}
void noteWindowDestroyed(GLFWwindow *) {}
void forgetAllWindows() {}
bool otherThreadsOwnWindows() { return false; }

} // namespace qv

#endif
