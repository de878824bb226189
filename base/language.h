// The languages of the "Language" popup, numbered as it lists them; its value
// is the language's code plus one (base/popup_codes.h).
#pragma once

#include "base/popup_codes.h"
#include "sdk/ae_sdk.h"

#include <cstdint>

namespace qv {

enum class Language : int32_t { Glsl = 0, Shadertoy = 1, Lua = 2 };

constexpr Language LanguageOfPopup(A_long popupValue) { return static_cast<Language>(CodeOfPopup(popupValue)); }
constexpr A_long PopupValueOf(Language language) { return PopupValueOfCode(static_cast<int32_t>(language)); }

} // namespace qv
