// What one pass did, as a value, so a caller decides on it instead of on the
// text of the messages the pass queued.
#pragma once

namespace qv {

enum class PassResult {
    Ran,            // ran its course; a failure after the link (memory, say) is queued
    Refused,        // did not start: no context, no render context or no output copy
    Stopped,        // its stop callback said stop between pieces: pixels partial, nothing queued
    CompileFailed,  // a shader stage did not compile; its messages (and the link's) are queued
    LinkFailed,     // both stages compiled and the link failed; its message is queued
};

} // namespace qv
