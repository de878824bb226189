#include "testhost/host/suite_registry.h"

#include "testhost/host/faults.h"
#include "testhost/host/misuse.h"

#include <cstdlib>
#include <cstring>

namespace qvh {

void SuiteRegistry::add(const std::string &name, int32_t version, const void *table)
{
    std::lock_guard<std::mutex> lock(mutex_);
    tables_[{name, version}] = table;
}

SPErr SuiteRegistry::acquire(const char *name, int32_t version, const void **suite)
{
    if (!name || !suite)
        return kSPBadParameterError;
    *suite = nullptr;
    if (hostFaults().suiteMissing(name))
        return kSPSuiteNotFoundError;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = tables_.find({name, version});
    if (it == tables_.end())
        return kSPSuiteNotFoundError;
    ++held_[it->first];
    ++acquired_[it->first];
    *suite = it->second;
    return kSPNoError;
}

SPErr SuiteRegistry::release(const char *name, int32_t version)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = held_.find({name ? name : "", version});
    if (it == held_.end() || it->second == 0) {
        ++unbalanced_;
        return kSPBadParameterError;
    }
    --it->second;
    return kSPNoError;
}

int SuiteRegistry::outstanding() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    int total = 0;
    for (const auto &h : held_)
        total += h.second;
    return total;
}

int SuiteRegistry::unbalancedReleases() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return unbalanced_;
}

int SuiteRegistry::acquisitions(const std::string &name, int32_t version) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = acquired_.find({name, version});
    return it == acquired_.end() ? 0 : it->second;
}

void SuiteRegistry::resetCounts()
{
    std::lock_guard<std::mutex> lock(mutex_);
    held_.clear();
    acquired_.clear();
    unbalanced_ = 0;
}

SuiteRegistry &hostSuites()
{
    static SuiteRegistry *registry = new SuiteRegistry;  /* lives as long as the process */
    return *registry;
}

namespace {

SPErr basicAcquire(const char *name, int32_t version, const void **suite)
{
    return hostSuites().acquire(name, version, suite);
}

SPErr basicRelease(const char *name, int32_t version)
{
    return hostSuites().release(name, version);
}

SPBoolean basicIsEqual(const char *a, const char *b)
{
    return a && b && std::strcmp(a, b) == 0;
}

SPErr basicAllocate(size_t size, void **block)
{
    *block = std::malloc(size);
    return *block ? kSPNoError : kSPOutOfMemoryError;
}

SPErr basicFree(void *block)
{
    std::free(block);
    return kSPNoError;
}

SPErr basicReallocate(void *block, size_t size, void **out)
{
    *out = std::realloc(block, size);
    return *out ? kSPNoError : kSPOutOfMemoryError;
}

SPErr basicUndefined() { return kSPUnimplementedError; }

} // namespace

SPBasicSuite *SuiteRegistry::basicSuite()
{
    static SPBasicSuite suite = {basicAcquire, basicRelease, basicIsEqual, basicAllocate,
                                 basicFree, basicReallocate, basicUndefined};
    return &suite;
}

} // namespace qvh
