// Text that came from a plug-in, a script or a project, made safe to print:
// a terminal acts on control characters, so a message or stored code could
// otherwise move the cursor, rewrite qvhost's own lines or ring the bell.
#pragma once

#include <string>

namespace qvh {

// `text` with control characters written as escapes (ESC as \x1b, CR as \r,
// BEL as \a, the C1 controls as \u0080 to \u009f); line feeds and tabs stay,
// so multi-line messages and code read as they are.
std::string TerminalText(const std::string &text);

} // namespace qvh
