// The smart pre-render: reads the code, the settings and the parameter bank at
// the frame's time into a RenderRequest, tells the host which layers the frame
// needs, and hands the request over as pre-render data.
#pragma once

#include "host/command_handlers.h"
#include "host/render_context.h"

namespace qv {

// Fills every field of `snapshot` from the parameters at the frame's time.
PF_Err BuildParamSnapshot(PF_InData *in_data, ParamSnapshot *snapshot);

} // namespace qv
