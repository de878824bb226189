// What every command handler receives: the command's suite access object and
// the arguments EntryPointFunc was called with. Handlers are declared beside
// their definitions; the dispatch table in host/entry.cpp maps commands to them.
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

using CommandHandler = PF_Err (*)(const CommandArgs &);

} // namespace qv
