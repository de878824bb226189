// The smart pre-render: reads the code, the settings and the parameter bank at
// the frame's time into a RenderRequest, tells the host which layers the frame
// needs, and hands the request over as pre-render data.
#pragma once

#include "base/command_args.h"
#include "base/render_context.h"

namespace qv {

PF_Err OnSmartPreRender(const CommandArgs &a);

// Fills every field of `snapshot` from the parameters at the frame's time.
PF_Err BuildParamSnapshot(PF_InData *in_data, ParamSnapshot *snapshot);

} // namespace qv
