#include "ui/about_text.h"

#include "embedded/kStartWindowScript.h"
#include "support/text.h"

namespace qv {
namespace {

const char kProductName[] = "Quorvel";
const char kVersion[] = "v1.0";
const char kPlatform[] = "Win10 x64";

const char kCredits[] =
    "Developers :\n"
    "Main Plugin : the Tessmar Studio plug-in team.\n"
    "Scripts : the Tessmar Studio script desk.\n"
    "Tessmar Studio, makers of small tools for motion designers, presents.\n";

const char kClosingBlock[] =
    "\xF0\x9F\x93\x96\xF0\x9F\x93\x96\xF0\x9F\x93\x96\n"  /* open books */
    "Documentation : \n"
    "https://docs.tessmar.example/quorvel\n"
    "\xE2\x9C\x89\xE2\x9C\x89\xE2\x9C\x89\n"  /* envelopes */
    "Contact with us : \n"
    "support@tessmar.example\n"
    "\xF0\x9F\x8C\x90\xF0\x9F\x8C\x90\xF0\x9F\x8C\x90\n"  /* globes */
    "Website : \n"
    "https://tessmar.example\n"
    "\n"
    "---=== English ===---\n"
    "Quorvel runs your own GLSL or Lua code on every frame. Thank you for trying it.\n"
    "---=== \xE4\xB8\xAD\xE6\x96\x87 ===---\n"
    "Quorvel \xE5\x9C\xA8\xE6\xAF\x8F\xE4\xB8\x80\xE5\xB8\xA7\xE4\xB8\x8A\xE8\xBF\x90\xE8\xA1\x8C\xE6\x82\xA8"
    "\xE8\x87\xAA\xE5\xB7\xB1\xE7\x9A\x84 GLSL \xE6\x88\x96 Lua \xE4\xBB\xA3\xE7\xA0\x81\xE3\x80\x82"
    "\xE6\x84\x9F\xE8\xB0\xA2\xE8\xAF\x95\xE7\x94\xA8\xE3\x80\x82\n"
    "---=== \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E ===---\n"
    "Quorvel \xE3\x81\xAF\xE6\xAF\x8E\xE3\x83\x95\xE3\x83\xAC\xE3\x83\xBC\xE3\x83\xA0\xE3\x80\x81"
    "\xE3\x81\x82\xE3\x81\xAA\xE3\x81\x9F\xE3\x81\xAE GLSL \xE3\x81\xBE\xE3\x81\x9F\xE3\x81\xAF Lua "
    "\xE3\x81\xAE\xE3\x82\xB3\xE3\x83\xBC\xE3\x83\x89\xE3\x82\x92\xE5\xAE\x9F\xE8\xA1\x8C\xE3\x81\x97"
    "\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82\n";

// "Quorvel v1.0 Build ( Win10 x64 ) ", the closing space included.
std::string buildLine()
{
    return std::string(kProductName) + " " + kVersion + " " + "Build" + " ( " + kPlatform + " ) ";
}

} // namespace

std::string BuildAboutText()
{
    return std::string("---=== About Quorvel ===---\n") +
           "\xF0\x9F\x8C\xB2\xF0\x9F\x8C\xB2\xF0\x9F\x8C\xB2\n" +  /* evergreen trees */
           kCredits +
           "\xF0\x9F\x8C\xBD\xF0\x9F\x8C\xBD\xF0\x9F\x8C\xBD\n" +  /* ears of maize */
           "Version information :\n" +
           buildLine() + "\n" +
           "Lua 5.3\n" +
           "GLSL 3.3 (#version 330 core)\n" +
           "After Effects SDK : 2017.1\n" +
           kClosingBlock;
}

std::string ComposeStartWindowScript(const std::string &escapedFolder)
{
    std::string about = BuildAboutText();
    EscapeForScript(about);
    std::string logo = escapedFolder + "\\\\Tessmar\\\\LOGO.png";  /* single backslashes in the literal */
    return std::string(kStartWindowScript) + "showStartWindow(\"" + logo + "\",\"" + about + "\");";
}

} // namespace qv
