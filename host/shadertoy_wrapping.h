// Shadertoy-dialect code with two wrappings: the ordinary one first, and the
// full one (every input the website gives, with its types) only for code
// that the ordinary one does not compile. Code that compiles today thus
// keeps its exact output and is compiled once. The caller runs each pass and
// hands back what it did; the wrappings themselves are translate/'s text.
#pragma once

#include "engine/take_errors.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace qv {

// Which wrapping each recently seen code needs, for one engine, so that a
// code pays at most one failed compile. Codes that compile with the
// ordinary wrapping are not kept: they never need a second look. The codes
// are kept whole (a hash that collided could give code that compiles today
// the full wrapping) and within bounds: the newest 32, 1 MiB of text at
// most; a longer code is not kept and pays its failed compile each frame.
class WrappingMemory {
public:
    enum class Need { Ordinary, Full, Neither };

    Need need(const std::string &code) const;
    void remember(const std::string &code, Need need);
    void forget(const std::string &code);
    size_t size() const { return entries.size(); }

private:
    static constexpr size_t kCapacity = 32;          // codes, oldest dropped first
    static constexpr size_t kByteCapacity = 1 << 20;  // their text
    std::deque<std::pair<std::string, Need>> entries;
    size_t bytes = 0;
};

// Runs one pass (one compile) of a wrapped source.
using ShadertoyPass = std::function<PassReport(const std::string &source)>;

// One frame of `code` (the stored, unwrapped text): the report of the pass
// whose output stands. When neither wrapping compiles and links, the
// ordinary wrapping's.
PassReport renderShadertoy(const std::string &code, WrappingMemory &memory, const ShadertoyPass &pass);

// The memory of the thread's driver engine (one per thread, as the engine).
WrappingMemory &driverWrappingMemory();

} // namespace qv
