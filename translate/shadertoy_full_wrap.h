// The full render-time wrapping of Shadertoy-dialect code: every input the
// website gives a single-pass shader, with the website's types. Tried only
// for code that the ordinary wrapping (shadertoy_wrap.h) does not compile,
// so code written for the ordinary wrapping keeps its meaning.
// Pure text in, text out.
#pragma once

#include <string>

namespace qv {

// The block put in front of the code and the main() put after it.
extern const char kShadertoyFullHead[];
extern const char kShadertoyFullTail[];

// Wraps a per-render copy of the code in place with the full wrapping: the
// head, the code with its directives adapted, the tail.
void wrapShadertoyCodeFull(std::string &code);

// Makes each #extension line a // comment and puts "#undef NAME" before each
// #define of a name the head defines, so the code's own macro wins.
void adaptDirectives(std::string &code);

} // namespace qv
