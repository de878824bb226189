#include "testhost/host/faults.h"

#include <stdexcept>

namespace qvh {

void Faults::removeSuite(const std::string &name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    missingSuites_.insert(name);
}

bool Faults::suiteMissing(const std::string &name) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    consulted_.suites.insert(name);
    return missingSuites_.count(name) != 0;
}

void Faults::failFunction(const std::string &name, int err)
{
    std::lock_guard<std::mutex> lock(mutex_);
    failing_[name] = err;
}

void Faults::throwFrom(const std::string &name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    throwing_.insert(name);
}

int Faults::check(const std::string &name) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    consulted_.functions.insert(name);
    if (throwing_.count(name))
        throw std::runtime_error("injected fault in " + name);
    auto it = failing_.find(name);
    return it == failing_.end() ? 0 : it->second;
}

void Faults::failHandleAllocations(int count)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handleFailures_ = count;
}

void Faults::failMemoryAllocations(int count)
{
    std::lock_guard<std::mutex> lock(mutex_);
    memoryFailures_ = count;
}

static bool take(int &counter)
{
    if (counter <= 0)
        return false;
    --counter;
    return true;
}

bool Faults::takeHandleFailure()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++consulted_.handleAllocations;
    return take(handleFailures_);
}

bool Faults::takeMemoryFailure()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++consulted_.memoryAllocations;
    return take(memoryFailures_);
}

bool Faults::active() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !missingSuites_.empty() || !failing_.empty() || !throwing_.empty() || handleFailures_ > 0 ||
           memoryFailures_ > 0;
}

void Faults::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    missingSuites_.clear();
    failing_.clear();
    throwing_.clear();
    handleFailures_ = memoryFailures_ = 0;
}

Faults::Consulted Faults::takeConsulted()
{
    std::lock_guard<std::mutex> lock(mutex_);
    Consulted taken = consulted_;
    consulted_ = Consulted();
    return taken;
}

Faults &hostFaults()
{
    static Faults *faults = new Faults;  /* lives as long as the process, like the host */
    return *faults;
}

} // namespace qvh
