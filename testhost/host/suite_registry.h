// The basic suite and the table of suites the simulator offers, with counts of
// acquisitions and releases per suite so tests see unbalanced use.
#pragma once

#include "sdk/ae_sdk.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace qvh {

class SuiteRegistry {
public:
    void add(const std::string &name, int32_t version, const void *table);
    SPErr acquire(const char *name, int32_t version, const void **suite);
    SPErr release(const char *name, int32_t version);

    // Suites acquired and not yet released, over all names and versions.
    int outstanding() const;
    // Releases of suites that were not held.
    int unbalancedReleases() const;
    int acquisitions(const std::string &name, int32_t version) const;
    void resetCounts();

    SPBasicSuite *basicSuite();

private:
    using Key = std::pair<std::string, int32_t>;
    mutable std::mutex mutex_;
    std::map<Key, const void *> tables_;
    std::map<Key, int> held_;
    std::map<Key, int> acquired_;
    int unbalanced_ = 0;
};

// Registers every suite the simulator implements (called once by host()).
void registerStandardSuites(SuiteRegistry &registry);

// The process's suite tables (the host registers the standard ones when it starts).
SuiteRegistry &hostSuites();

} // namespace qvh
