// The sampler modes a pass carries in wrapU / wrapV and magFilter / minFilter,
// numbered as the effect's "Wrap" and "Filter" popups list their items.
#pragma once

#include <cstdint>

namespace qv {

enum WrapMode : int32_t { kWrapRepeat = 0, kWrapMirroredRepeat = 1, kWrapClampToEdge = 2, kWrapModeCount };
enum FilterMode : int32_t { kFilterLinear = 0, kFilterNearest = 1, kFilterModeCount };

} // namespace qv
