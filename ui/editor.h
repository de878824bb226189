// The code editor behind the "Edit" button, and the conversion of the stored
// code when "Language" moves to the Shadertoy dialect.
#pragma once

#include "base/command_args.h"

namespace qv {

struct GlobalData;

// The "Edit" button: opens the editor on the stored code and stores what it
// returns. When the editor cannot run, the code stays as it was and the
// return message says why.
PF_Err EditCode(const CommandArgs &a, const GlobalData &global);

// The "Language" popup: moving to the Shadertoy dialect rewrites the stored code.
PF_Err ConvertCodeOnLanguageSwitch(const CommandArgs &a);

} // namespace qv
