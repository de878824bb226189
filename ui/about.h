// The effect's About command: a start window in the host with the logo above
// the about text (scripts/start_window.jsx), or an alert with the text when
// the logo cannot be shown.
#pragma once

#include "base/command_args.h"

namespace qv {

PF_Err OnAbout(const CommandArgs &a);

} // namespace qv
