#include "ui/editor_script.h"

#include "embedded/kEditorScript.h"
#include "support/text.h"

namespace qv {

std::string ComposeEditorScript(const std::string &code, const std::string &escapedFolder)
{
    std::string text = code.substr(0, code.find('\0'));
    EscapeForScript(text);
    ReplaceAll(text, "\r", "\\r");
    ReplaceAll(text, "\xE2\x80\xA8", "\\u2028");
    ReplaceAll(text, "\xE2\x80\xA9", "\\u2029");
    return std::string(kEditorScript) + "_Quorvel_Open_Editer('" + text + "','" + escapedFolder + "');";
}

} // namespace qv
