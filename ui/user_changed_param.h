// PF_Cmd_USER_CHANGED_PARAM: picks the handler of the control the user
// changed (the editor, the language switch, "Debug", a reset button, a
// "Load layer" switch).
#pragma once

#include "base/command_args.h"

namespace qv {

PF_Err OnUserChangedParam(const CommandArgs &a);

} // namespace qv
