// Ctrl-C, SIGTERM or SIGHUP during a qvhost render: the first is the host's
// abort (the running frame is asked to stop, no new frame starts), a second
// one ends the process at once, removing the file being written under its
// temporary name. Either way the status is the shell's for the signal, 128
// plus its number.
#pragma once

namespace qvh {

void installInterruptAbort();
bool interrupted();
// The status for the first signal received (kExitInterrupted for Ctrl-C);
// 0 before any.
int interruptStatus();

} // namespace qvh
