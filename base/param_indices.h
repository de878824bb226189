// Where each parameter sits in the effect's parameter list. Indices are what
// the code reads values by; disk IDs are what saved projects match values by,
// so neither may move.
// Each bank holds ten members (kBankSize), member i at the first index + i.
#pragma once

#include "sdk/ae_sdk.h"

namespace qv {

enum ParamIndex : PF_ParamIndex {
    kInputLayerParam = 0,         // supplied by the host
    kEditButtonParam = 1,         // "World rule", labelled "Edit"
    kCodeParam = 2,               // "Expression", the hidden code value
    kDebugParam = 3,
    kLanguageParam = 4,           // 1 GLSL, 2 Shadertoy dialect, 3 Lua
    kAdvancedGroupParam = 5,
    kWrapUParam = 6,              // 1 repeat, 2 mirrored repeat, 3 clamp to edge
    kWrapVParam = 7,
    kMagFilterParam = 8,          // 1 linear interpolation, 2 nearest pixel
    kMinFilterParam = 9,
    kAdvancedGroupEndParam = 10,
    kParametersGroupParam = 11,
    kResetAllParam = 12,
    kSlidersGroupParam = 13,
    kResetSlidersParam = 14,
    kFirstSliderParam = 15,
    kSlidersGroupEndParam = 25,
    kAnglesGroupParam = 26,
    kResetAnglesParam = 27,
    kFirstAngleParam = 28,
    kAnglesGroupEndParam = 38,
    kPointsGroupParam = 39,
    kResetPointsParam = 40,
    kFirstPointParam = 41,
    kPointsGroupEndParam = 51,
    kPoints3DGroupParam = 52,
    kResetPoints3DParam = 53,
    kFirstPoint3DParam = 54,
    kPoints3DGroupEndParam = 64,
    kCheckboxesGroupParam = 65,
    kResetCheckboxesParam = 66,
    kFirstCheckboxParam = 67,
    kCheckboxesGroupEndParam = 77,
    kColorsGroupParam = 78,
    kResetColorsParam = 79,
    kFirstColorParam = 80,
    kColorsGroupEndParam = 90,
    kLayersGroupParam = 91,
    kResetLayersParam = 92,
    kFirstLoadLayerParam = 93,    // the "Load layer" checkboxes
    kFirstLayerParam = 103,
    kLayersGroupEndParam = 113,
    kParametersGroupEndParam = 114,
    kParamCount = 115
};

// The disk ID of the parameter at `index` (1 to 114): its index, the group
// end at 10 included, so every ID is unique.
constexpr A_long DiskIdOf(PF_ParamIndex index) { return index; }

} // namespace qv
