// Parameter values of one effect instance at every time, served to the
// plug-in's checkout_param and checkin_param as the host serves them, with
// the code held as the arbitrary-data value the host keeps for it.
// A stand-in until effect instances with parameter setup and project files
// exist in the simulator; qvhost render and the render tests use it.
#pragma once

#include "sdk/ae_sdk.h"

#include <atomic>
#include <string>

namespace qvh {

class ParamTable {
public:
    static constexpr int kParams = 115;

    // Every value at its default: popups on their first entry, opaque black
    // colours, and the pass-through code.
    ParamTable();
    ~ParamTable();
    ParamTable(const ParamTable &) = delete;
    ParamTable &operator=(const ParamTable &) = delete;

    PF_ParamDef &param(PF_ParamIndex index) { return params_[index]; }
    void setPopup(PF_ParamIndex index, int value) { params_[index].u.pd.value = value; }
    void setCheckbox(PF_ParamIndex index, bool on) { params_[index].u.bd.value = on; }
    // 0 GLSL, 1 Shadertoy dialect, 2 Lua: the "Language" popup's value - 1.
    void setLanguage(int language) { setPopup(4, language + 1); }
    // Stores `text` as the code value: a 12-byte host handle whose memory
    // block holds the text and a NUL.
    void setCode(const std::string &text);

    // Points `in` at this table (effect_ref and the two parameter callbacks).
    void wire(PF_InData &in);

    std::atomic<int> checkouts{0}, checkins{0};

private:
    void freeCode();
    PF_ParamDef params_[kParams];
};

} // namespace qvh
