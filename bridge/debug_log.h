// The debug log window: its opening, and the script texts that feed it. The
// window and its log live in the host's script engine (scripts/debug_manager.jsx);
// until it has been opened once the hooks do not exist there, so a text sent
// earlier fails in the host, and its sender ignores that.
#pragma once

#include "sdk/ae_sdk.h"

#include <string>

namespace qv {

class SuiteAccess;
struct GlobalData;

// Adds `line` (any text; escaped here) as the newest entry.
std::string DebugLogAddScript(const std::string &line);
// Drops the `count` newest entries.
std::string DebugLogSubScript(long long count);
// Keeps at most the `count` newest entries.
std::string DebugLogRemainScript(long long count);
// Empties the log.
std::string DebugLogClearScript();

// Opens a new log window (a new, empty log) and records that one exists.
// The result is the host's error code for the script.
A_Err OpenDebugWindow(SuiteAccess &suites, GlobalData *global);

} // namespace qv
