// Files that appear whole or not at all: each is written under a temporary
// name in its own folder and renamed over the final name once complete, so
// neither a failed write nor an ended process leaves a truncated file where
// a reader expects a good one, and a good file there stays until replaced.
#pragma once

#include <functional>
#include <string>

namespace qvh {

// ".NAME.qvtmp-PID-N.EXT" beside `path`: hidden, unique to the process and
// the call, with the extension kept since image writers choose by it.
std::string temporaryName(const std::string &path);

// Calls `write` with a temporary name, then puts that file in place of
// `path`. When either step fails the temporary is removed, `path` is left as
// it was and a std::runtime_error naming `path` is thrown (other exceptions
// pass as they are).
void writeAtomically(const std::string &path, const std::function<void(const std::string &temporary)> &write);

// Removes the temporary being written, if any: for the process's last
// moments, from the interrupt handler. No write may follow it.
void removeTemporaryNow();

} // namespace qvh
