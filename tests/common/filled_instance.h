// An instance with every bank member, and every setting no reset button
// touches, away from zero: what the reset tests start from.
#pragma once

#include "base/language.h"
#include "base/param_indices.h"
#include "engine/sampler_modes.h"
#include "testhost/effect/instance.h"

#include <string>

inline void fillEveryBankMemberAndSetting(qvh::Instance &instance, const std::string &code)
{
    for (int i = 0; i < 10; ++i) {
        instance.setFloat(qv::kFirstSliderParam + i, 0.5 + i);
        instance.setAngle(qv::kFirstAngleParam + i, (30 + i) << 16);
        instance.setPoint(qv::kFirstPointParam + i, 5 << 16, 7 << 16);
        instance.setPoint3D(qv::kFirstPoint3DParam + i, 1, 2, 3);
        instance.setCheckbox(qv::kFirstCheckboxParam + i, true);
        instance.setColor(qv::kFirstColorParam + i, {255, 10, 20, 30});
        instance.setCheckbox(qv::kFirstLoadLayerParam + i, true);
        instance.setLayer(qv::kFirstLayerParam + i, 1 + i);
    }
    instance.setArbitraryText(qv::kCodeParam, code);
    instance.setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Lua));
    instance.setPopup(qv::kWrapUParam, qv::PopupValueOfCode(qv::kWrapMirroredRepeat));
    instance.setCheckbox(qv::kDebugParam, true);
}
