// The parameter reset buttons: every parameter of a group set to zero through
// the host's stream services, as one undo step.
#include "ui/reset.h"

#include "base/global_data.h"
#include "base/handle_owner.h"
#include "base/param_indices.h"
#include "base/suite_access.h"

#include <cstring>

namespace qv {
namespace {

const char kUndoName[] = "Reset parameters of Quorvel\n";

struct ResetGroup {
    PF_ParamIndex button;
    PF_ParamIndex first;
    int count;
};

// In the order "Reset all parameters" resets them.
const ResetGroup kResetGroups[] = {
    {kResetSlidersParam, kFirstSliderParam, 10},
    {kResetAnglesParam, kFirstAngleParam, 10},
    {kResetCheckboxesParam, kFirstCheckboxParam, 10},
    {kResetPointsParam, kFirstPointParam, 10},
    {kResetPoints3DParam, kFirstPoint3DParam, 10},
    {kResetColorsParam, kFirstColorParam, 10},
    {kResetLayersParam, kFirstLoadLayerParam, 20},  /* the "Load layer" switches, then the layers */
};

void resetMarkedGroups(PF_ParamIndex button, const CommandArgs &a, AEGP_PluginID pluginId, AEGP_EffectRefH effect)
{
    A_Time time = {a.in_data->current_time, static_cast<A_u_long>(a.in_data->time_scale)};
    AEGP_StreamVal2 zero;
    std::memset(&zero, 0, sizeof zero);
    for (const ResetGroup &group : kResetGroups)
        if (button == kResetAllParam || button == group.button)
            for (int i = 0; i < group.count; ++i)
                ResetParameter(pluginId, a, time, group.first + i, effect, zero);  /* a refusal skips one */
}

} // namespace

PF_Err ResetGroups(PF_ParamIndex button, const CommandArgs &a, const GlobalData &global)
{
    AEGP_PluginID pluginId = static_cast<AEGP_PluginID>(global.pluginId);
    const AEGP_UtilitySuite5 *utility = utilitySuite11(a.suites);
    const AEGP_PFInterfaceSuite1 *pfInterface = pfInterfaceSuite(a.suites);
    const AEGP_EffectSuite3 *effects = effectSuite(a.suites);
    streamSuite(a.suites);  /* every suite before the undo group opens: a missing one leaves none open */
    if (A_Err err = utility->AEGP_StartUndoGroup(kUndoName))
        return err;
    /* closed on every way out, so the host's undo history stays usable */
    ReleaseOnExit endGroup([utility] { return utility->AEGP_EndUndoGroup(); });
    AEGP_EffectRefH effect = nullptr;
    if (A_Err err = pfInterface->AEGP_GetNewEffectForEffect(pluginId, a.in_data->effect_ref, &effect))
        return err;
    ReleaseOnExit disposeEffect([effects, effect] { return effects->AEGP_DisposeEffect(effect); });
    resetMarkedGroups(button, a, pluginId, effect);
    A_Err disposeErr = disposeEffect.now();
    A_Err endErr = endGroup.now();
    return disposeErr ? disposeErr : endErr;
}

A_Err ResetParameter(AEGP_PluginID pluginId, const CommandArgs &a, const A_Time &time, PF_ParamIndex index,
                     AEGP_EffectRefH effect, const AEGP_StreamVal2 &value)
{
    const AEGP_StreamSuite4 *streams = streamSuite(a.suites);
    AEGP_StreamRefH stream = nullptr;
    A_Err err = streams->AEGP_GetNewEffectStreamByIndex(pluginId, effect, index, &stream);
    if (err)
        return err;
    ReleaseOnExit disposeStream([streams, stream] { return streams->AEGP_DisposeStream(stream); });
    AEGP_StreamValue2 current;
    std::memset(&current, 0, sizeof current);
    err = streams->AEGP_GetNewStreamValue(pluginId, stream, AEGP_LTimeMode_LayerTime, &time, true, &current);
    if (!err) {
        ReleaseOnExit disposeValue([streams, &current] { return streams->AEGP_DisposeStreamValue(&current); });
        current.val = value;
        err = streams->AEGP_SetStreamValue(pluginId, stream, &current);
        A_Err disposeErr = disposeValue.now();
        err = err ? err : disposeErr;
    }
    A_Err disposeErr = disposeStream.now();
    return err ? err : disposeErr;
}

} // namespace qv
