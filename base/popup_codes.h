// Popups whose items stand for codes counted from 0 (the language, the
// sampler modes of engine/sampler_modes.h). A popup's value counts from 1, so
// it is the code plus one; requests and the engine carry the code.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

constexpr int32_t CodeOfPopup(A_long popupValue) { return static_cast<int32_t>(popupValue - 1); }
constexpr A_long PopupValueOfCode(int32_t code) { return static_cast<A_long>(code) + 1; }

} // namespace qv
