// The handlers EntryPointFunc routes commands to. Each takes the command's
// suite access object; the table in entry.cpp is the one place that maps
// command codes to handlers.
#pragma once

#include "sdk/ae_sdk.h"

namespace qv {

class SuiteAccess;

struct CommandArgs {
    SuiteAccess &suites;
    PF_InData *in_data;
    PF_OutData *out_data;
    PF_ParamDef **params;
    PF_LayerDef *output;
    void *extra;
};

PF_Err OnAbout(const CommandArgs &a);
PF_Err OnParamsSetup(const CommandArgs &a);
PF_Err OnSequenceSetup(const CommandArgs &a);
PF_Err OnSequenceResetup(const CommandArgs &a);
PF_Err OnSequenceFlatten(const CommandArgs &a);
PF_Err OnSequenceSetdown(const CommandArgs &a);
PF_Err OnGetFlattenedSequenceData(const CommandArgs &a);
PF_Err OnUserChangedParam(const CommandArgs &a);
PF_Err OnUpdateParamsUI(const CommandArgs &a);
PF_Err OnArbitraryCallback(const CommandArgs &a);
PF_Err OnSmartPreRender(const CommandArgs &a);
PF_Err OnSmartRender(const CommandArgs &a);

} // namespace qv
