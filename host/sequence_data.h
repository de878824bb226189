// The per-instance sequence data's commands.
#pragma once

#include "base/command_args.h"

namespace qv {

PF_Err OnSequenceSetup(const CommandArgs &a);
PF_Err OnSequenceResetup(const CommandArgs &a);
PF_Err OnSequenceFlatten(const CommandArgs &a);
PF_Err OnSequenceSetdown(const CommandArgs &a);
PF_Err OnGetFlattenedSequenceData(const CommandArgs &a);

} // namespace qv
