#include "testhost/os/atomic_file.h"

#include "testhost/os/os.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace qvh {
namespace {

// The temporary in progress, for the interrupt handler, which may run on any
// thread at any moment. One slot is enough as frames are written by one
// thread; a write that finds it taken is still atomic, only not removed on
// the way out. The handler claims the slot for good, so the name it reads is
// never rewritten under it.
enum SlotState { kEmpty, kFilling, kHeld, kClaimed };
std::atomic<int> slotState{kEmpty};
char slotPath[4096];
std::atomic<unsigned long> temporaryCount{0};

bool hold(const std::string &temporary)
{
    int expected = kEmpty;
    if (temporary.size() >= sizeof slotPath || !slotState.compare_exchange_strong(expected, kFilling))
        return false;
    std::memcpy(slotPath, temporary.c_str(), temporary.size() + 1);
    slotState = kHeld;
    return true;
}

void release(bool held)
{
    int expected = kHeld;
    if (held)
        slotState.compare_exchange_strong(expected, kEmpty);  /* claimed: the process is ending */
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// Puts the written temporary in place; the writer's errors name `path`, the
// name the user gave.
void writeAndReplace(const std::string &path, const std::string &temporary,
                     const std::function<void(const std::string &)> &write)
{
    try {
        write(temporary);
    } catch (const std::runtime_error &e) {
        throw std::runtime_error(replaced(e.what(), temporary, path));
    }
    std::string error;
    if (!os::replaceFile(temporary, path, error))
        throw std::runtime_error(path + ": cannot replace the file: " + error);
}

} // namespace

std::string temporaryName(const std::string &path)
{
    std::size_t name = path.size();
    while (name > 0 && !os::isPathSeparator(path[name - 1]))
        --name;
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= name)
        dot = path.size();  /* no extension to keep */
    std::string tag = ".qvtmp-" + std::to_string(os::processId()) + "-" + std::to_string(++temporaryCount);
    return path.substr(0, name) + "." + path.substr(name, dot - name) + tag + path.substr(dot);
}

void writeAtomically(const std::string &path, const std::function<void(const std::string &temporary)> &write)
{
    std::string temporary = temporaryName(path);
    bool held = hold(temporary);
    try {
        writeAndReplace(path, temporary, write);
    } catch (...) {
        os::removeFile(temporary);
        release(held);
        throw;
    }
    release(held);
}

void removeTemporaryNow()
{
    int expected = kHeld;
    if (slotState.compare_exchange_strong(expected, kClaimed))
        os::removeFileNow(slotPath);
}

} // namespace qvh
