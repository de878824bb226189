// The effect's UI strings: every parameter name, popup item and button label,
// looked up by number in one table of fixed 260-byte slots.
#pragma once

namespace qv {

enum UIStringId {
    kStrNone = 0,
    kStrName = 1,  // "Quorvel", also the AEGP registration name
    kStrCredits,
    kStrWorldRule,
    kStrEdit,
    kStrDebug,
    kStrLanguage,
    kStrAdvanced,
    kStrLanguageGLSL,
    kStrLanguageShadertoy,
    kStrLanguageLua,
    kStrWrapU,
    kStrWrapV,
    kStrRepeat,
    kStrMirroredRepeat,
    kStrClampToEdge,
    kStrMagnify,
    kStrMinify,
    kStrLinear,
    kStrNearest,
    kStrParameters,
    kStrResetAllParameters,
    kStrReset,
    kStrSliders,
    kStrResetSliders,
    kStrSlider,
    kStrAngles,
    kStrResetAngles,
    kStrAngle,
    kStrPoints,
    kStrResetPoints,
    kStrPoint,
    kStrPoints3D,
    kStrResetPoints3D,
    kStrPoint3D,
    kStrCheckboxes,
    kStrResetCheckboxes,
    kStrCheckbox,
    kStrColors,
    kStrResetColors,
    kStrColor,
    kStrLayers,
    kStrResetLayers,
    kStrLoadLayer,
    kStrLayer,
    kStrCount
};

constexpr int kUIStringSlot = 260;  // bytes per entry, the NUL included

// The entry's text; the empty text for a number outside the table.
const char *GetUIString(int id);

} // namespace qv
