// The smart render: checks the frame's buffers out, fills the render context
// and runs the user's code in the request's language: GLSL and the Shadertoy
// dialect through the thread's driver engine, Lua through the render's own
// runtime. Error text goes to the debug log window when "Debug" is on and the
// window has been opened.
#pragma once

#include "base/command_args.h"

namespace qv {

PF_Err OnSmartRender(const CommandArgs &a);

} // namespace qv
