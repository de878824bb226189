// PF_Cmd_USER_CHANGED_PARAM: which control the user touched decides what follows.
#include "ui/user_changed_param.h"

#include "base/global_data.h"
#include "base/handle_lock.h"
#include "base/param_indices.h"
#include "bridge/debug_log.h"
#include "ui/editor.h"
#include "ui/reset.h"

namespace qv {
namespace {

bool isResetButton(PF_ParamIndex index)
{
    switch (index) {
    case kResetAllParam: case kResetSlidersParam: case kResetAnglesParam: case kResetPointsParam:
    case kResetPoints3DParam: case kResetCheckboxesParam: case kResetColorsParam: case kResetLayersParam:
        return true;
    default:
        return false;
    }
}

bool isLoadLayerSwitch(PF_ParamIndex index)
{
    return index >= kFirstLoadLayerParam && index < kFirstLayerParam;
}

// Ticking "Debug" opens a new log window; unticking leaves an open one alone.
PF_Err onDebugChanged(const CommandArgs &a, GlobalData *global)
{
    if (!a.params[kDebugParam]->u.bd.value)
        return PF_Err_NONE;
    A_Err err = OpenDebugWindow(a.suites, global);
    a.out_data->out_flags |= PF_OutFlag_FORCE_RERENDER;
    return err;
}

PF_Err dispatch(const CommandArgs &a, GlobalData *global, PF_ParamIndex index)
{
    if (index == kEditButtonParam)
        return EditCode(a, *global);
    if (index == kDebugParam)
        return onDebugChanged(a, global);
    if (index == kLanguageParam)
        return ConvertCodeOnLanguageSwitch(a);
    if (isResetButton(index))
        return ResetGroups(index, a, *global);
    if (isLoadLayerSwitch(index))
        a.out_data->out_flags |= PF_OutFlag_FORCE_RERENDER;  /* the layer joins or leaves the render */
    return PF_Err_NONE;
}

} // namespace

PF_Err OnUserChangedParam(const CommandArgs &a)
{
    a.out_data->sequence_data = a.in_data->sequence_data;
    auto *changed = static_cast<const PF_UserChangedParamExtra *>(a.extra);
    HandleLock lock(a.in_data, a.in_data->global_data);
    GlobalData *global = lock.as<GlobalData>();
    if (!changed || !global || !a.params)
        return PF_Err_NONE;  /* nothing to act on: a host that skipped setup */
    return dispatch(a, global, changed->param_index);
}

} // namespace qv
