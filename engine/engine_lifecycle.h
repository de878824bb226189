// Process-wide lifecycle of the GL engines.
#pragma once

namespace qv {

// Called at global setdown: terminates the windowing library so no hidden
// window or context outlives the effect's global data.
void globalShutdown();

} // namespace qv
