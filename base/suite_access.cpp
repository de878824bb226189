#include "base/suite_access.h"

#include <cstring>

namespace qv {

SuiteAccess::SuiteAccess(SPBasicSuite *basic) : basic_(basic)
{
    if (!basic_)
        throw kMissingSuiteError;
}

SuiteAccess::~SuiteAccess()
{
    for (auto it = held_.rbegin(); it != held_.rend(); ++it)
        basic_->ReleaseSuite(it->name.c_str(), it->version);
}

const void *SuiteAccess::acquire(const char *name, int32_t version)
{
    for (const Held &h : held_)
        if (h.version == version && h.name == name)
            return h.table;
    const void *table = nullptr;
    SPErr err = basic_->AcquireSuite(name, version, &table);
    if (err != kSPNoError || !table) {
        if (err == kSPNoError)
            basic_->ReleaseSuite(name, version);  /* acquired, but unusable */
        throw kMissingSuiteError;
    }
    held_.push_back({name, version, table});
    return table;
}

} // namespace qv
