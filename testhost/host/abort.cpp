// The interaction callback `abort`: the host's way of asking an effect to stop
// a render. It answers "stop" once a deadline set by the tool or a test has
// passed (qvhost render --abort-after) or once Ctrl-C was pressed, and counts how often it was asked.
#include "testhost/host/host.h"

#include <atomic>
#include <chrono>

namespace qvh {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<Clock::rep> deadline{Clock::time_point::max().time_since_epoch().count()};
std::atomic<int> asks{0};

} // namespace

void abortAfter(double seconds)
{
    auto wait = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    deadline = (Clock::now() + wait).time_since_epoch().count();
}

void abortNow()
{
    deadline = 0;  /* a lock-free store: safe in a signal handler */
}

void resetAbort()
{
    deadline = Clock::time_point::max().time_since_epoch().count();
    asks = 0;
}

int abortAsks()
{
    return asks;
}

bool abortDue()
{
    return Clock::now().time_since_epoch().count() >= deadline;
}

PF_Err abortCallback(PF_ProgPtr)
{
    ++asks;
    return abortDue() ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

} // namespace qvh
