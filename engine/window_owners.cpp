#include "engine/window_owners.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <unordered_map>

namespace qv {
namespace {

std::unordered_map<GLFWwindow *, DWORD> &owners()
{
    static auto *table = new std::unordered_map<GLFWwindow *, DWORD>;
    return *table;
}

DWORD helperOwner = 0;

// A thread that ended took its windows with it.
bool running(DWORD thread)
{
    HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, thread);
    if (!handle)
        return false;
    bool alive = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    CloseHandle(handle);
    return alive;
}

bool ownedElsewhere(DWORD thread)
{
    return thread != 0 && thread != GetCurrentThreadId() && running(thread);
}

} // namespace

void noteGlfwInitialised() { helperOwner = GetCurrentThreadId(); }

void noteWindowMade(GLFWwindow *window) { owners()[window] = GetCurrentThreadId(); }

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
