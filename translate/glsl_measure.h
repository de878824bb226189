// A cheap look at a GLSL source before the driver compiles it. Mesa's
// compiler takes gigabytes and minutes for a one-line `float a[2000000000];`,
// and as long for a few lines of macros that expand to gigabytes, so sources
// past these bounds are refused instead of compiled:
//
//  - kMaxArrayElements: the elements of every array the source declares, added
//    up (a multi-dimensional array multiplies its sizes, an array of a struct
//    multiplies by the struct's own array elements). A size counts when it is
//    a constant expression of literals, const ints, macros and + - * / % << >>.
//    The bound is low because the driver's cost grows with the array's size
//    times its indexed accesses: 10 indexed writes to a float[4096] compile in
//    about 14 s, to a float[16384] in a minute.
//  - kMaxExpandedBytes: the text the source's macros expand to, the expansions
//    of their arguments included. Expansion is run as the preprocessor runs
//    it (arguments expanded, then the result rescanned, a macro never
//    expanding inside itself) and stopped as soon as it passes the bound;
//    conditionals are not evaluated, so every #define counts.
//  - kMaxMacroNesting and kMaxExpansionSteps: how deep macro arguments nest and
//    how many tokens the expansion may look at in all.
//
// Pure text in, text out: no GL. The engine measures each source it is about
// to compile and reports a refusal as that stage's compile error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

inline constexpr std::uint64_t kMaxArrayElements = 4096;
inline constexpr std::uint64_t kMaxExpandedBytes = 4u << 20;
inline constexpr int kMaxMacroNesting = 200;
inline constexpr std::uint64_t kMaxExpansionSteps = 20000000;

// Empty when `source` is within every bound; otherwise why it is refused, one
// line ending in a newline.
std::string MeasureGlsl(std::string_view source);

} // namespace qv
