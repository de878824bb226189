#include "bridge/debug_log.h"

#include "embedded/kDebugManagerScript.h"
#include "base/global_data.h"
#include "support/text.h"
#include "bridge/script_bridge.h"

namespace qv {

std::string DebugLogAddScript(const std::string &line)
{
    std::string text = line;
    EscapeForScript(text);
    return "if(_QUORVEL_log) _QUORVEL_log('" + text + "');";
}

std::string DebugLogSubScript(long long count)
{
    return "if(_QUORVEL_sub) _QUORVEL_sub(" + std::to_string(count) + ");";
}

std::string DebugLogRemainScript(long long count)
{
    return "if(_QUORVEL_remain) _QUORVEL_remain(" + std::to_string(count) + ");";
}

std::string DebugLogClearScript() { return "if(_QUORVEL_clear) _QUORVEL_clear();"; }

A_Err OpenDebugWindow(SuiteAccess &suites, GlobalData *global)
{
    A_Err err = RunScript(suites, std::string(kDebugManagerScript) + "\n_QUORVEL_openLog();\n");
    global->debugWindowOpened = 1;  /* the render logs from now on */
    return err;
}

} // namespace qv
