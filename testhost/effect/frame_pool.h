// The host's multi-frame rendering: frames taken in order by several threads
// at once, the caller's thread one of them.
#pragma once

#include <cstddef>
#include <functional>

namespace qvh {

// Calls `work(i)` for each i from `first` to before `end` on up to `threads`
// threads (never more than there are frames); each thread takes the next
// frame when done with one. No new frame is taken once `stop` (if given)
// answers true or a call has thrown; calls under way finish, then the first
// exception thrown is rethrown here.
void forEachFrame(std::size_t first, std::size_t end, int threads, const std::function<void(std::size_t)> &work,
                  const std::function<bool()> &stop = nullptr);

} // namespace qvh
