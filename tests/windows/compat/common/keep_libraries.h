// Windows stand-in: no sanitizer runs there, so no module needs pinning.
#pragma once

inline void keepLoadedLibraries() {}
