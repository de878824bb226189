#include "ui/script_access.h"

#include "base/global_data.h"
#include "base/handle_lock.h"
#include "bridge/script_bridge.h"

namespace qv {

const char kScriptAccessPrefScript[] =
    "(function () {"
    " try {"
    "  var section = parseFloat(app.version) < 12 ? 'Main Pref Section' : 'Main Pref Section v2';"
    "  return app.preferences.getPrefAsLong(section, 'Pref_SCRIPTING_FILE_NETWORK_SECURITY') == 1 ? '1' : '0';"
    " } catch (e) { return '0'; }"
    "})();";

void RefreshScriptAccess(const CommandArgs &a)
{
    if (a.in_data->appl_id == kPremiereApplId || !a.in_data->global_data)
        return;
    try {
        ScriptResult answer = RunScriptWithResult(a.suites, kScriptAccessPrefScript);
        if (answer.err || !answer.hasResult)
            return;
        HandleLock lock(a.in_data, a.in_data->global_data);
        if (GlobalData *global = lock.as<GlobalData>())
            global->scriptAccessAllowed = answer.result == "1" ? 1 : 0;
    } catch (PF_Err) {  /* a missing suite: the answer stays as it was */
    }  /* what the host itself throws goes on to the dispatcher, as everywhere */
}

} // namespace qv
