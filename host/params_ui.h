// PF_Cmd_UPDATE_PARAMS_UI: each "Layer" is enabled only while its "Load layer" is on.
#pragma once

#include "base/command_args.h"

namespace qv {

PF_Err OnUpdateParamsUI(const CommandArgs &a);

} // namespace qv
