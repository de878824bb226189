// Internal: an engine's linked programs kept by their exact vertex and
// fragment source, so a shader seen again is not compiled again. Small and
// bounded: the least recently used goes first. A source that failed keeps
// its messages, which every later pass of it queues again.
#pragma once

#include "engine/pass_result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// Where each uniform the engine sets lives in one program; -1 for one the
// program does not use (GL ignores a set there).
struct UniformLocations {
    int slider = -1, angle = -1, checkbox = -1, point = -1, point3d = -1, color = -1;
    int time = -1, width = -1, height = -1, origin = -1, resolution = -1, fps = -1;
    int layerResolution = -1, inLayer = -1, outLayer = -1, layer = -1;
};

struct CachedProgram {
    std::string vertexSource;
    std::string fragmentSource;
    unsigned program = 0;               // 0 for a source that failed
    PassResult built = PassResult::Ran; // or CompileFailed, LinkFailed
    std::vector<std::string> messages;  // what its compile and link queued
    UniformLocations locations;         // looked up once, when it linked
    uint64_t lastUse = 0;
};

struct ProgramCache {
    static constexpr size_t kCapacity = 8;
    std::vector<CachedProgram> entries;
    uint64_t clock = 0;
};

// The entry for these sources, marked as just used; null when absent.
CachedProgram *findProgram(ProgramCache &cache, const std::string &vertex, const std::string &fragment);

// Stores an entry, deleting the least recently used program past the bound.
void keepProgram(ProgramCache &cache, CachedProgram entry);

// Deletes every program (in the context current now) and empties the cache.
void deletePrograms(ProgramCache &cache);

// Empties the cache without a GL call: its context is gone.
void forgetPrograms(ProgramCache &cache);

} // namespace qv
