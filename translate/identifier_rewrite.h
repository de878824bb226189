// Edit-time conversion of Shadertoy-dialect code: names that clash with the
// engine's GLSL prelude get the prefix "qv_user_", and the channel inputs
// become the engine's layer, layerResolution and time. Pure text in, text out.
//
// The text is scanned by hand rather than with std::regex: the standard
// library's matchers recurse once per character of a repetition, so a long
// comment or identifier overflowed the stack.
#pragma once

#include <string>
#include <vector>

namespace qv {

// The names of the engine's GLSL text that the conversion renames, in the
// order it renames them.
const std::vector<std::string> &reservedNames();

// Renames every occurrence of `name` that has a character other than an ASCII
// letter, digit, '$' or '_' before it and one other than a letter, digit or
// '_' after it: the regular expression "([^a-zA-Z0-9\$_])NAME(?=[^a-zA-Z0-9_])"
// replaced by "$1REPLACEMENT". The character after is looked at, not
// consumed, so in "x=time*time;" both occurrences are renamed.
void RewriteName(std::string &text, const std::string &name, const std::string &replacement);

// The whole conversion: the reserved names, then the channel inputs. A
// channel input is a whole identifier: "iChannel" and one digit becomes
// "layer[d]"; "iChannelResolution[n]" becomes "layerResolution[n]" and
// "iChannelTime[n]" becomes "time" (white space allowed around the brackets
// and the index).
//
// Converting converted code again changes nothing, as long as the code does
// not declare a channel input itself: the engine names a conversion writes
// (layer, layerResolution, time) are renamed only where the code declares
// them (after a type, or further on in a list: "float a, time;"), and a
// channel input in declaration position ("float iChannelTime[0];",
// "float a, iChannel0;") turns into exactly such a declaration.
void ShadertoyTranslator(std::string &text);

} // namespace qv
