#include "engine/engine_lifecycle.h"

namespace qv {

// No engine exists yet in this build: nothing holds a window or context.
void globalShutdown() {}

} // namespace qv
