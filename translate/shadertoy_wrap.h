// The render-time wrapping of Shadertoy-dialect code. Pure text in,
// text out; the engine then puts its version line and prelude in front.
#pragma once

#include <string>

namespace qv {

// The #define block put in front of the code (ends in four spaces, no line
// feed: the code's first line continues it) and the main() put after it.
extern const char kShadertoyHead[];
extern const char kShadertoyTail[];

// Wraps a per-render copy of the code in place.
void wrapShadertoyCode(std::string &code);

} // namespace qv
