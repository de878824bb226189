// Ctrl-C during a qvhost render: the first press is the host's abort (the
// running frame is asked to stop, no new frame starts), a second one ends
// the process at once with status 130.
#pragma once

namespace qvh {

constexpr int kInterruptedStatus = 130;  // 128 + SIGINT, as shells report it

void installInterruptAbort();
bool interrupted();

} // namespace qvh
