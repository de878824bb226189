// PF_Cmd_PARAMS_SETUP: declares the effect's parameters.
#pragma once

#include "base/command_args.h"

namespace qv {

PF_Err OnParamsSetup(const CommandArgs &a);

} // namespace qv
