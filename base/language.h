// The languages of the "Language" popup. The popup's value is the language
// code plus one (popup values count from 1); requests carry the code.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

enum class Language : int32_t { Glsl = 0, Shadertoy = 1, Lua = 2 };

constexpr Language LanguageOfPopup(A_long popupValue) { return static_cast<Language>(popupValue - 1); }
constexpr A_long PopupValueOf(Language language) { return static_cast<A_long>(language) + 1; }

} // namespace qv
