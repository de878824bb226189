#include "ui/editor_script.h"

#include "embedded/kEditorScript.h"
#include "support/text.h"

namespace qv {

std::string ComposeEditorScript(const std::string &code, const std::string &escapedFolder)
{
    std::string text = code.substr(0, code.find('\0'));
    EscapeForScript(text);
    return std::string(kEditorScript) + "_Quorvel_Open_Editer('" + text + "','" + escapedFolder + "');";
}

} // namespace qv
