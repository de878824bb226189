// PF_Cmd_ARBITRARY_CALLBACK for the code parameter: the host creates, copies,
// compares, flattens, restores and disposes of the code value through it.
#pragma once

#include "base/command_args.h"

namespace qv {

// Runs the arbitrary-data operation `extra` selects.
// A foreign reference constant, an unknown selector or a null `extra` is
// answered with 0 and no action. Results: 0; 4 when a handle cannot be had or
// locked; 514 for a null handle argument; 518 for a too small output buffer;
// an "AEGP Memory Suite" error unchanged. A failed NEW, COPY, INTERP,
// UNFLATTEN or SCAN hands out no handle and leaves nothing allocated.
PF_Err RunArbitraryCallback(SuiteAccess &suites, PF_InData *in_data, PF_ArbParamsExtra *extra);

PF_Err OnArbitraryCallback(const CommandArgs &a);

} // namespace qv
