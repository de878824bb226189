// The parameter reset buttons.
#pragma once

#include "base/command_args.h"

namespace qv {

struct GlobalData;

// A reset button: every parameter of its group (all groups for "Reset all
// parameters") set to zero in one undo group.
PF_Err ResetGroups(PF_ParamIndex button, const CommandArgs &a, const GlobalData &global);

// Sets one parameter to the 32 bytes of `value` at `time`; the first host
// error met, or 0.
A_Err ResetParameter(AEGP_PluginID pluginId, const CommandArgs &a, const A_Time &time, PF_ParamIndex index,
                     AEGP_EffectRefH effect, const AEGP_StreamVal2 &value);

} // namespace qv
