// The stored code as the editor shows it, and back. The host's script engine
// carries text, not bytes: a NUL would end the script's result and a byte
// that is not UTF-8 comes back re-encoded. So every such byte travels as a
// code point of its own, U+10FE00 plus the byte, from the private-use plane
// (a stored text that already holds one of those code points sends its bytes
// that way too). The editor shows them as unknown characters; whatever the
// user leaves alone comes back as the very bytes it was.
#pragma once

#include <string>

namespace qv {

// Valid UTF-8 for any bytes, without NUL.
std::string ToEditorText(const std::string &bytes);

// The inverse: the travelling code points become their bytes again.
std::string FromEditorText(const std::string &text);

} // namespace qv
