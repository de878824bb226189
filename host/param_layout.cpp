// PF_Cmd_PARAMS_SETUP: declares the effect's 115 parameters in their fixed
// order, names from the UI string table, each record otherwise zero.
#include "host/param_layout.h"

#include "base/language.h"
#include "base/param_indices.h"
#include "base/popup_codes.h"
#include "base/render_context.h"
#include "host/ui_strings.h"
#include "engine/sampler_modes.h"
#include "storage/expression_data.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace qv {
namespace {

constexpr PF_ParamFlags kSupervise = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamFlags kCollapsed = PF_ParamFlag_COLLAPSE_TWIRLY;
const char kNoLabel[] = "";

// Hands records to add_param one after the other, until one fails.
class Declarer {
public:
    explicit Declarer(PF_InData *in_data) : in_(in_data) {}

    // A cleared record for the next index.
    PF_ParamDef start(PF_ParamType type, const char *name, PF_ParamFlags flags = 0) const
    {
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        def.param_type = type;
        def.uu.id = DiskIdOf(index_);
        def.flags = flags;
        if (name)
            in_->utils->ansi.strcpy(def.name, name);
        return def;
    }

    // Appends `def`; does nothing once an earlier add failed.
    void add(PF_ParamDef &def)
    {
        if (err_)
            return;
        err_ = in_->inter.add_param(in_->effect_ref, -1, &def);
        ++index_;
    }

    PF_Err err() const { return err_; }
    PF_InData *in() const { return in_; }

private:
    PF_InData *in_;
    PF_ParamIndex index_ = 1;  /* the host supplies index 0 */
    PF_Err err_ = PF_Err_NONE;
};

std::string memberName(int entry, int i)
{
    char name[kUIStringSlot + 16];
    std::snprintf(name, sizeof name, "%s%d", GetUIString(entry), i);
    return name;
}

void addButton(Declarer &d, int name, int label)
{
    PF_ParamDef def = d.start(PF_Param_BUTTON, GetUIString(name), kSupervise);
    def.u.button_d.u.namesptr = GetUIString(label);
    d.add(def);
}

void addCheckbox(Declarer &d, const std::string &name, PF_ParamFlags flags)
{
    PF_ParamDef def = d.start(PF_Param_CHECKBOX, name.c_str(), flags);
    def.u.bd.u.nameptr = kNoLabel;
    d.add(def);
}

// The items of the code popups (base/popup_codes.h), by code.
constexpr int kLanguageItems[] = {kStrLanguageGLSL, kStrLanguageShadertoy, kStrLanguageLua};  // Language
constexpr int kWrapItems[kWrapModeCount] = {kStrRepeat, kStrMirroredRepeat, kStrClampToEdge};
constexpr int kFilterItems[kFilterModeCount] = {kStrLinear, kStrNearest};
static_assert(std::size(kLanguageItems) == static_cast<std::size_t>(Language::Lua) + 1);

// A popup of `items` by code, the first chosen.
template <std::size_t N>
void addPopup(Declarer &d, int name, PF_ParamFlags flags, const int (&items)[N])
{
    std::string list;
    for (int item : items)
        list += (list.empty() ? "" : "|") + std::string(GetUIString(item));
    PF_ParamDef def = d.start(PF_Param_POPUP, GetUIString(name), flags);
    def.u.pd.num_choices = static_cast<A_short>(N);
    def.u.pd.dephault = PopupValueOfCode(0);
    def.u.pd.value = PopupValueOfCode(0);
    def.u.pd.u.namesptr = list.c_str();
    d.add(def);
}

void addGroupStart(Declarer &d, int name)
{
    PF_ParamDef def = d.start(PF_Param_GROUP_START, GetUIString(name), kCollapsed);
    d.add(def);
}

void addGroupEnd(Declarer &d)
{
    PF_ParamDef def = d.start(PF_Param_GROUP_END, nullptr);
    d.add(def);
}

// The hidden code parameter with a fresh default value. When the default
// cannot be made the parameter is still declared and the setup reports the
// error at its end; a default the host did not take is released again.
PF_Err addCode(SuiteAccess &suites, Declarer &d)
{
    PF_ArbitraryH dephault = nullptr;
    PF_Err err = NewExpressionData(suites, d.in(), &dephault);
    PF_ParamDef def = d.start(PF_Param_ARBITRARY_DATA, "Expression", PF_ParamFlag_CANNOT_TIME_VARY);
    def.ui_flags = PF_PUI_INVISIBLE | PF_PUI_NO_ECW_UI;
    def.u.arb_d.id = kExpressionArbId;
    def.u.arb_d.dephault = dephault;
    def.u.arb_d.refconPV = reinterpret_cast<void *>(kExpressionRefcon);
    d.add(def);
    if (d.err() && dephault)
        DisposeExpressionData(suites, d.in(), &dephault);
    return err;
}

void addControls(Declarer &d)
{
    addCheckbox(d, GetUIString(kStrDebug), kSupervise);
    addPopup(d, kStrLanguage, kSupervise, kLanguageItems);
    addGroupStart(d, kStrAdvanced);
    addPopup(d, kStrWrapU, 0, kWrapItems);
    addPopup(d, kStrWrapV, 0, kWrapItems);
    addPopup(d, kStrMagnify, 0, kFilterItems);
    addPopup(d, kStrMinify, 0, kFilterItems);
    addGroupEnd(d);
}

void addSlider(Declarer &d, int i)
{
    PF_ParamDef def = d.start(PF_Param_FLOAT_SLIDER, memberName(kStrSlider, i).c_str());
    PF_FloatSliderDef &s = def.u.fs_d;
    s.valid_min = -1000000000.0f;
    s.valid_max = 1000000000.0f;
    s.slider_min = 0.0f;
    s.slider_max = 1.0f;
    s.precision = 10;
    s.curve_tolerance = 0.05f;
    d.add(def);
}

void addAngle(Declarer &d, int i)
{
    PF_ParamDef def = d.start(PF_Param_ANGLE, memberName(kStrAngle, i).c_str(), kCollapsed);
    d.add(def);
}

void addPoint(Declarer &d, int i)
{
    PF_ParamDef def = d.start(PF_Param_POINT, memberName(kStrPoint, i).c_str());
    d.add(def);
}

void addPoint3D(Declarer &d, int i)
{
    PF_ParamDef def = d.start(PF_Param_POINT_3D, memberName(kStrPoint3D, i).c_str());
    d.add(def);
}

void addBankCheckbox(Declarer &d, int i) { addCheckbox(d, memberName(kStrCheckbox, i), 0); }

void addColor(Declarer &d, int i)
{
    PF_ParamDef def = d.start(PF_Param_COLOR, memberName(kStrColor, i).c_str());
    def.u.cd.value.alpha = def.u.cd.dephault.alpha = PF_MAX_CHAN8;  /* opaque black */
    d.add(def);
}

// A group of ten members with its reset button.
void addBank(Declarer &d, int group, int reset, void (*member)(Declarer &, int))
{
    addGroupStart(d, group);
    addButton(d, reset, kStrReset);
    for (int i = 0; i < kBankSize; ++i)
        member(d, i);
    addGroupEnd(d);
}

void addLayers(Declarer &d)
{
    addGroupStart(d, kStrLayers);
    addButton(d, kStrResetLayers, kStrReset);
    for (int i = 0; i < kBankSize; ++i)
        addCheckbox(d, memberName(kStrLoadLayer, i), kSupervise);
    for (int i = 0; i < kBankSize; ++i) {
        PF_ParamDef def = d.start(PF_Param_LAYER, memberName(kStrLayer, i).c_str());
        def.ui_flags = PF_PUI_DISABLED;  /* until its "Load layer" is on */
        d.add(def);
    }
    addGroupEnd(d);
}

void addParameterBanks(Declarer &d)
{
    addGroupStart(d, kStrParameters);
    addButton(d, kStrResetAllParameters, kStrReset);
    addBank(d, kStrSliders, kStrResetSliders, addSlider);
    addBank(d, kStrAngles, kStrResetAngles, addAngle);
    addBank(d, kStrPoints, kStrResetPoints, addPoint);
    addBank(d, kStrPoints3D, kStrResetPoints3D, addPoint3D);
    addBank(d, kStrCheckboxes, kStrResetCheckboxes, addBankCheckbox);
    addBank(d, kStrColors, kStrResetColors, addColor);
    addLayers(d);
    addGroupEnd(d);
}

} // namespace

PF_Err OnParamsSetup(const CommandArgs &a)
{
    Declarer d(a.in_data);
    addButton(d, kStrWorldRule, kStrEdit);
    PF_Err codeErr = d.err() ? PF_Err_NONE : addCode(a.suites, d);
    addControls(d);
    addParameterBanks(d);
    if (d.err())
        return d.err();
    a.out_data->num_params = kParamCount;
    return codeErr;
}

} // namespace qv
