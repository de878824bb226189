// Shadertoy-dialect code through an engine with two wrappings: the ordinary
// one first, and the full one (every input the website gives, with its
// types) only for code that the ordinary one does not compile. Code that
// compiles today thus keeps its exact output and is compiled once.
#pragma once

#include "host/render_context.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace qv {

class GLSLCore;

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

    // Passes started through this memory's engine: one compile each.
    size_t passes = 0;

private:
    static constexpr size_t kCapacity = 32;          // codes, oldest dropped first
    static constexpr size_t kByteCapacity = 1 << 20;  // their text
    std::deque<std::pair<std::string, Need>> entries;
    size_t bytes = 0;
};

// One Shadertoy-dialect pass of `code` (the stored, unwrapped text) on
// `engine`. The messages to report, oldest first and joined, or nothing.
// When neither wrapping compiles, the ordinary wrapping's messages.
std::optional<std::string> renderShadertoy(GLSLCore &engine, const std::string &code, PCData *pc,
                                           WrappingMemory &memory);

// The memory of the thread's driver engine.
WrappingMemory &driverWrappingMemory();

} // namespace qv
