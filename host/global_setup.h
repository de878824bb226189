// Global setup and setdown, and the Options message.
#pragma once

#include "base/command_args.h"

#include <shared_mutex>
#include <string>

namespace qv {

PF_Err GlobalSetup(const CommandArgs &a);
PF_Err GlobalSetdown(const CommandArgs &a);
PF_Err ShowOptionsMessage(const CommandArgs &a);

// Held shared by a render for as long as it uses the global data, and
// exclusively by the global setdown: a setdown sent while another thread
// renders waits for that render instead of freeing the data under it.
std::shared_mutex &globalDataMutex();

// Builds pluginFolder's text from the application folder (UTF-16, as the host
// gives it): at most 4045 code units, then the separator and "Plug-ins",
// escaped for script literals and cut to fit the field.
std::string PluginFolderText(const A_UTF16Char *appPath);

} // namespace qv
