// The handlers behind PF_Cmd_USER_CHANGED_PARAM, one per kind of control:
// the code editor and the language switch (editor.cpp), the parameter reset
// buttons (reset.cpp). OnUserChangedParam (user_changed_param.cpp) picks one.
#pragma once

#include "sdk/ae_sdk.h"

namespace qv {

struct CommandArgs;
struct GlobalData;

// The "Language" popup's value for the Shadertoy dialect.
constexpr A_long kShadertoyLanguageValue = 2;

// The "Edit" button: opens the editor on the stored code and stores what it
// returns. When the editor cannot run, the code stays as it was and the
// return message says why.
PF_Err EditCode(const CommandArgs &a, const GlobalData &global);

// The "Language" popup: moving to the Shadertoy dialect rewrites the stored code.
PF_Err ConvertCodeOnLanguageSwitch(const CommandArgs &a);

// A reset button: every parameter of its group (all groups for "Reset all
// parameters") set to zero in one undo group.
PF_Err ResetGroups(PF_ParamIndex button, const CommandArgs &a, const GlobalData &global);

// Sets one parameter to the 32 bytes of `value` at `time`; the first host
// error met, or 0.
A_Err ResetParameter(AEGP_PluginID pluginId, const CommandArgs &a, const A_Time &time, PF_ParamIndex index,
                     AEGP_EffectRefH effect, const AEGP_StreamVal2 &value);

} // namespace qv
