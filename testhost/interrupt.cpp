#include "testhost/interrupt.h"

#include "testhost/host.h"
#include "testhost/os.h"

#include <atomic>

namespace qvh {
namespace {

std::atomic<bool> pressed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used in a signal handler");

void onInterrupt()
{
    if (pressed.exchange(true))
        os::exitNow(kInterruptedStatus);  /* the second Ctrl-C does not wait */
    abortNow();
    static const char note[] = "\nqvhost: interrupted, stopping the render (Ctrl-C again to quit at once)\n";
    os::writeErrorNow(note, sizeof note - 1);
}

} // namespace

void installInterruptAbort()
{
    os::onInterrupt(onInterrupt);
}

bool interrupted()
{
    return pressed;
}

} // namespace qvh
