// Edit-time conversion of Shadertoy-dialect code: names that clash with the
// engine's GLSL prelude get the prefix "qv_user_", and the channel inputs
// become the engine's layer, layerResolution and time. Pure text in, text out.
#pragma once

#include <string>

namespace qv {

// Replaces every match of the ECMAScript `pattern`, left to right and not
// overlapping, by `format` ($1, $2 for the groups).
void RegexReplace(std::string &text, const std::string &pattern, const std::string &format);

// Renames every occurrence of `name` that has a character other than an ASCII
// letter, digit, '$' or '_' before it and one other than a letter, digit or
// '_' after it. The character after is looked at, not consumed, so in
// "x=time*time;" both occurrences are renamed.
void RewriteName(std::string &text, const std::string &name, const std::string &replacement);

// The whole conversion. Converting converted code again changes nothing: see
// the .cpp for how the engine names an earlier conversion produced survive.
void ShadertoyTranslator(std::string &text);

} // namespace qv
