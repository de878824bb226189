// Where each parameter sits in the effect's parameter list. Indices are what
// the code reads values by; disk IDs are what saved projects match values by,
// so neither may move.
// Each bank holds kBankSize members, member i at the first index + i.
#pragma once

#include "engine/pass_frame.h"
#include "sdk/ae_sdk.h"

namespace qv {

enum ParamIndex : PF_ParamIndex {
    kInputLayerParam = 0,         // supplied by the host
    kEditButtonParam = 1,         // "World rule", labelled "Edit"
    kCodeParam = 2,               // "Expression", the hidden code value
    kDebugParam = 3,
    kLanguageParam = 4,           // a Language (base/language.h) as its popup value
    kAdvancedGroupParam = 5,
    kWrapUParam = 6,              // a WrapMode (engine/sampler_modes.h) as its popup value
    kWrapVParam = 7,
    kMagFilterParam = 8,          // a FilterMode (engine/sampler_modes.h) as its popup value
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

// Every bank: its reset button, kBankSize members, its group end.
static_assert(kSlidersGroupEndParam == kFirstSliderParam + kBankSize);
static_assert(kAnglesGroupEndParam == kFirstAngleParam + kBankSize);
static_assert(kPointsGroupEndParam == kFirstPointParam + kBankSize);
static_assert(kPoints3DGroupEndParam == kFirstPoint3DParam + kBankSize);
static_assert(kCheckboxesGroupEndParam == kFirstCheckboxParam + kBankSize);
static_assert(kColorsGroupEndParam == kFirstColorParam + kBankSize);
static_assert(kFirstLayerParam == kFirstLoadLayerParam + kBankSize);
static_assert(kLayersGroupEndParam == kFirstLayerParam + kBankSize);

// The disk ID of the parameter at `index` (1 to 114): its index, the group
// end at 10 included, so every ID is unique.
constexpr A_long DiskIdOf(PF_ParamIndex index) { return index; }

} // namespace qv
