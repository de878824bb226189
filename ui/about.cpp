#include "ui/about.h"

#include "ui/about_text.h"
#include "base/global_data.h"
#include "base/handle_lock.h"
#include "bridge/script_bridge.h"

namespace qv {

PF_Err OnAbout(const CommandArgs &a)
{
    HandleLock lock(a.in_data, a.in_data->global_data);
    const GlobalData *global = lock.as<GlobalData>();
    if (!global)
        return PF_Err_NONE;  /* no global data: nothing to point the logo at */
    RunScript(a.suites, ComposeStartWindowScript(global->pluginFolder));  /* a failure changes nothing */
    return PF_Err_NONE;
}

} // namespace qv
