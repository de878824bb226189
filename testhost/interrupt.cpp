#include "testhost/interrupt.h"

#include "testhost/host.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace qvh {
namespace {

std::atomic<bool> pressed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used in a signal handler");

extern "C" void onInterrupt(int)
{
    if (pressed.exchange(true))
        ::_exit(kInterruptedStatus);  /* the second Ctrl-C does not wait */
    abortNow();
    static const char note[] = "\nqvhost: interrupted, stopping the render (Ctrl-C again to quit at once)\n";
    ssize_t ignored = ::write(2, note, sizeof note - 1);
    (void)ignored;
}

} // namespace

void installInterruptAbort()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

bool interrupted()
{
    return pressed;
}

} // namespace qvh
