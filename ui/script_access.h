// The host's preference "Allow Scripts to Write Files and Access Network",
// read for the Lua runtime. Host scripts may run only on the user-interface
// thread, so the commands that arrive there read it and leave the answer in
// the global data, where renders load it without asking the host.
#pragma once

#include "base/command_args.h"

#include <string>

namespace qv {

// The script that reads the preference; its result is "1" when it is on.
// Hosts before version 12 keep it under "Main Pref Section".
extern const char kScriptAccessPrefScript[];

// Reads the preference and stores it in the global data: on only when the
// host says 1, off when its engine has no such preference. A host whose
// script run fails or that lacks the suite leaves the last answer (initially
// off), and the command goes on unharmed.
void RefreshScriptAccess(const CommandArgs &a);

} // namespace qv
