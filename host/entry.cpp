// EntryPointFunc: routes each host command to its handler and turns anything
// thrown into a host error, so no exception ever reaches the host.
#include "base/command_args.h"
#include "base/suite_access.h"
#include "host/global_setup.h"
#include "host/param_layout.h"
#include "host/params_ui.h"
#include "host/pre_render.h"
#include "host/render_driver.h"
#include "host/sequence_data.h"
#include "storage/arbitrary_callback.h"
#include "ui/about.h"
#include "ui/user_changed_param.h"
#include "ui/script_access.h"
#include "support/portability.h"

#include <cstdio>
#include <exception>
#include <iterator>

namespace qv {
namespace {

struct Route {
    PF_Cmd command;
    CommandHandler handler;
};

// Every command the effect answers; the rest (PF_Cmd_RENDER among them: all
// rendering is SmartFX) succeed doing nothing.
constexpr Route kRoutes[] = {
    {PF_Cmd_ABOUT, OnAbout},
    {PF_Cmd_GLOBAL_SETUP, GlobalSetup},
    {PF_Cmd_GLOBAL_SETDOWN, GlobalSetdown},
    {PF_Cmd_PARAMS_SETUP, OnParamsSetup},
    {PF_Cmd_SEQUENCE_SETUP, OnSequenceSetup},  /* 4 when no handle could be made */
    {PF_Cmd_SEQUENCE_RESETUP, OnSequenceResetup},
    {PF_Cmd_SEQUENCE_FLATTEN, OnSequenceFlatten},
    {PF_Cmd_SEQUENCE_SETDOWN, OnSequenceSetdown},
    {PF_Cmd_DO_DIALOG, ShowOptionsMessage},
    {PF_Cmd_USER_CHANGED_PARAM, OnUserChangedParam},
    {PF_Cmd_UPDATE_PARAMS_UI, OnUpdateParamsUI},
    {PF_Cmd_ARBITRARY_CALLBACK, OnArbitraryCallback},
    {PF_Cmd_SMART_PRE_RENDER, OnSmartPreRender},
    {PF_Cmd_SMART_RENDER, OnSmartRender},
    {PF_Cmd_GET_FLATTENED_SEQUENCE_DATA, OnGetFlattenedSequenceData},
};

// Commands of the user-interface thread, where the scripting preference that
// renders read can be asked for.
bool refreshesScriptAccess(PF_Cmd cmd)
{
    return cmd == PF_Cmd_SEQUENCE_SETUP || cmd == PF_Cmd_SEQUENCE_RESETUP || cmd == PF_Cmd_USER_CHANGED_PARAM ||
           cmd == PF_Cmd_UPDATE_PARAMS_UI;
}

PF_Err dispatch(PF_Cmd cmd, const CommandArgs &a)
{
    if (refreshesScriptAccess(cmd))
        RefreshScriptAccess(a);
    for (const Route &route : kRoutes)
        if (route.command == cmd)
            return route.handler(a);
    return PF_Err_NONE;
}

// Writes the message through the host's sprintf when the ANSI suite can be
// had, else directly.
void reportMessage(PF_InData *in_data, PF_OutData *out_data, const char *format, long value)
{
    try {
        SuiteAccess suites(in_data->pica_basicP);
        ansiSuite(suites)->sprintf(out_data->return_msg, format, value);
    } catch (...) {
        std::snprintf(out_data->return_msg, sizeof out_data->return_msg, format, value);
    }
}

void reportInternalError(PF_OutData *out_data, const char *what)
{
    std::snprintf(out_data->return_msg, sizeof out_data->return_msg,
                  "QUORVEL::INNER_ERROR: %s", what);
}

} // namespace
} // namespace qv

extern "C" QV_EXPORT PF_Err
EntryPointFunc(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
               PF_LayerDef *output, void *extra)
{
    using namespace qv;
    try {
        SuiteAccess suites(in_data->pica_basicP);
        return dispatch(cmd, CommandArgs{suites, in_data, out_data, params, output, extra});
    } catch (PF_Err err) {
        reportMessage(in_data, out_data, "Error Id : %ld", static_cast<long>(err));
        return err;
    } catch (const std::bad_alloc &) {
        reportInternalError(out_data, "out of memory");
        return PF_Err_OUT_OF_MEMORY;
    } catch (const std::exception &e) {
        reportInternalError(out_data, e.what());
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    } catch (...) {
        reportInternalError(out_data, "unexpected exception");
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}
