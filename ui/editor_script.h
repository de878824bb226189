// The script text that opens the code editor on a code.
#pragma once

#include <string>

namespace qv {

// The editor script and the call "_Quorvel_Open_Editer('<code>','<folder>');".
// The code is cut at its first NUL and escaped for the literal, carriage
// returns and the two Unicode line separators included, since any of them
// would end the literal; `escapedFolder` is already escaped.
std::string ComposeEditorScript(const std::string &code, const std::string &escapedFolder);

} // namespace qv
