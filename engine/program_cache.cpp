#include "engine/program_cache.h"

#include <glad/gl.h>

#include <algorithm>

namespace qv {

CachedProgram *findProgram(ProgramCache &cache, const std::string &vertex, const std::string &fragment)
{
    for (CachedProgram &entry : cache.entries)
        if (entry.fragmentSource == fragment && entry.vertexSource == vertex) {
            entry.lastUse = ++cache.clock;
            return &entry;
        }
    return nullptr;
}

void keepProgram(ProgramCache &cache, CachedProgram entry)
{
    if (cache.entries.size() >= ProgramCache::kCapacity) {
        auto oldest = std::min_element(cache.entries.begin(), cache.entries.end(),
            [](const CachedProgram &a, const CachedProgram &b) { return a.lastUse < b.lastUse; });
        glDeleteProgram(oldest->program);
        cache.entries.erase(oldest);
    }
    entry.lastUse = ++cache.clock;
    cache.entries.push_back(std::move(entry));
}

void deletePrograms(ProgramCache &cache)
{
    for (CachedProgram &entry : cache.entries)
        glDeleteProgram(entry.program);
    forgetPrograms(cache);
}

void forgetPrograms(ProgramCache &cache)
{
    cache.entries.clear();
}

} // namespace qv
