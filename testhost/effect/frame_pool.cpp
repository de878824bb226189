#include "testhost/effect/frame_pool.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace qvh {

void forEachFrame(std::size_t first, std::size_t end, int threads, const std::function<void(std::size_t)> &work,
                  const std::function<bool()> &stop)
{
    std::atomic<std::size_t> next(first);
    std::atomic<bool> failed(false);
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto worker = [&] {
        for (std::size_t i; !failed && !(stop && stop()) && (i = next++) < end;) {
            try {
                work(i);
            } catch (...) {  /* an exception must not leave a thread: it ends the run and goes to the caller */
                std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads && first + t < end; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread &t : pool)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace qvh
