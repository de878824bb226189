#include "testhost/qvhost/interrupt.h"

#include "testhost/os/atomic_file.h"
#include "testhost/host/host.h"
#include "testhost/os/os.h"

#include <atomic>

namespace qvh {
namespace {

std::atomic<int> firstStatus{0};
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

void onInterrupt(int status)
{
    int none = 0;
    if (!firstStatus.compare_exchange_strong(none, status)) {
        removeTemporaryNow();
        os::exitNow(status);  /* the second signal does not wait */
    }
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
    return firstStatus != 0;
}

int interruptStatus()
{
    return firstStatus;
}

} // namespace qvh
