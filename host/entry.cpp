// EntryPointFunc: routes each host command to its handler and turns anything
// thrown into a host error, so no exception ever reaches the host.
#include "host/command_handlers.h"
#include "host/global_data.h"
#include "host/suite_access.h"
#include "support/portability.h"

#include <cstdio>
#include <exception>

namespace qv {
namespace {

PF_Err dispatch(PF_Cmd cmd, const CommandArgs &a)
{
    switch (cmd) {
    case PF_Cmd_ABOUT: return OnAbout(a);
    case PF_Cmd_GLOBAL_SETUP: return GlobalSetup(a.suites, a.in_data, a.out_data);
    case PF_Cmd_GLOBAL_SETDOWN: return GlobalSetdown(a.suites, a.in_data);
    case PF_Cmd_PARAMS_SETUP: return OnParamsSetup(a);
    case PF_Cmd_SEQUENCE_SETUP: return OnSequenceSetup(a);  /* 4 when no handle could be made */
    case PF_Cmd_SEQUENCE_RESETUP: return OnSequenceResetup(a);
    case PF_Cmd_SEQUENCE_FLATTEN: return OnSequenceFlatten(a);
    case PF_Cmd_SEQUENCE_SETDOWN: OnSequenceSetdown(a); return PF_Err_NONE;
    case PF_Cmd_DO_DIALOG: ShowOptionsMessage(a.suites, a.out_data); return PF_Err_NONE;
    case PF_Cmd_USER_CHANGED_PARAM: return OnUserChangedParam(a);
    case PF_Cmd_UPDATE_PARAMS_UI: return OnUpdateParamsUI(a);
    case PF_Cmd_ARBITRARY_CALLBACK: return OnArbitraryCallback(a);
    case PF_Cmd_SMART_PRE_RENDER: return OnSmartPreRender(a);
    case PF_Cmd_SMART_RENDER: return OnSmartRender(a);
    case PF_Cmd_GET_FLATTENED_SEQUENCE_DATA: return OnGetFlattenedSequenceData(a);
    default: return PF_Err_NONE;  /* PF_Cmd_RENDER and the rest: all rendering is SmartFX */
    }
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
