#include "testhost/host/param_values.h"

#include <type_traits>

namespace qvh {
namespace {

// A value of one field, `value`, of the union member `member`, with its
// default in `dephault`.
template <auto member, auto value, auto dephault>
struct OneField {
    static void read(const PF_ParamDefUnion &u, double *n) { n[0] = double((u.*member).*value); }
    static void write(PF_ParamDefUnion &u, const double *n)
    {
        auto &field = (u.*member).*value;
        field = static_cast<std::remove_reference_t<decltype(field)>>(n[0]);
    }
    static void reset(PF_ParamDefUnion &u) { (u.*member).*value = (u.*member).*dephault; }
};

using U = PF_ParamDefUnion;
using Slider = OneField<&U::sd, &PF_SliderDef::value, &PF_SliderDef::dephault>;
using FixSlider = OneField<&U::fd, &PF_FixedSliderDef::value, &PF_FixedSliderDef::dephault>;
using FloatSlider = OneField<&U::fs_d, &PF_FloatSliderDef::value, &PF_FloatSliderDef::dephault>;
using Angle = OneField<&U::ad, &PF_AngleDef::value, &PF_AngleDef::dephault>;
using Checkbox = OneField<&U::bd, &PF_CheckBoxDef::value, &PF_CheckBoxDef::dephault>;
using Popup = OneField<&U::pd, &PF_PopupDef::value, &PF_PopupDef::dephault>;

void readPoint(const U &u, double *n) { n[0] = u.td.x_value, n[1] = u.td.y_value; }
void writePoint(U &u, const double *n) { u.td.x_value = PF_Fixed(n[0]), u.td.y_value = PF_Fixed(n[1]); }
void resetPoint(U &u) { u.td.x_value = u.td.x_dephault, u.td.y_value = u.td.y_dephault; }

void readPoint3D(const U &u, double *n)
{
    const PF_Point3DDef &p = u.point3d_d;
    n[0] = p.x_value, n[1] = p.y_value, n[2] = p.z_value;
}

void writePoint3D(U &u, const double *n)
{
    PF_Point3DDef &p = u.point3d_d;
    p.x_value = n[0], p.y_value = n[1], p.z_value = n[2];
}

void resetPoint3D(U &u)
{
    PF_Point3DDef &p = u.point3d_d;
    p.x_value = p.x_dephault, p.y_value = p.y_dephault, p.z_value = p.z_dephault;
}

void readColor(const U &u, double *n)
{
    const PF_Pixel &c = u.cd.value;
    n[0] = c.alpha, n[1] = c.red, n[2] = c.green, n[3] = c.blue;
}

void writeColor(U &u, const double *n)
{
    u.cd.value = {A_u_char(n[0]), A_u_char(n[1]), A_u_char(n[2]), A_u_char(n[3])};
}

void resetColor(U &u) { u.cd.value = u.cd.dephault; }
void resetArbitrary(U &u) { u.arb_d.value = nullptr; }  /* an instance's is made by NEW */

using V = ValueUnit;
const ParamValueType kTypes[] = {
    {PF_Param_LAYER, "layer", true, 1, V::Integer, nullptr, nullptr, nullptr},
    {PF_Param_SLIDER, "slider", true, 1, V::Integer, Slider::read, Slider::write, Slider::reset},
    {PF_Param_FIX_SLIDER, "fixed slider", true, 1, V::Fixed, FixSlider::read, FixSlider::write, FixSlider::reset},
    {PF_Param_ANGLE, "angle", true, 1, V::Fixed, Angle::read, Angle::write, Angle::reset},
    {PF_Param_CHECKBOX, "checkbox", true, 1, V::Flag, Checkbox::read, Checkbox::write, Checkbox::reset},
    {PF_Param_COLOR, "color", true, 4, V::Channel, readColor, writeColor, resetColor},
    {PF_Param_POINT, "point", true, 2, V::Fixed, readPoint, writePoint, resetPoint},
    {PF_Param_POPUP, "popup", true, 1, V::Integer, Popup::read, Popup::write, Popup::reset},
    {PF_Param_NO_DATA, "no data", false, 0, V::Integer, nullptr, nullptr, nullptr},
    {PF_Param_FLOAT_SLIDER, "float slider", true, 1, V::Real, FloatSlider::read, FloatSlider::write,
     FloatSlider::reset},
    {PF_Param_ARBITRARY_DATA, "arbitrary data", true, 0, V::Integer, nullptr, nullptr, resetArbitrary},
    {PF_Param_GROUP_START, "group start", false, 0, V::Integer, nullptr, nullptr, nullptr},
    {PF_Param_GROUP_END, "group end", false, 0, V::Integer, nullptr, nullptr, nullptr},
    {PF_Param_BUTTON, "button", false, 0, V::Integer, nullptr, nullptr, nullptr},
    {PF_Param_POINT_3D, "3D point", true, 3, V::Real, readPoint3D, writePoint3D, resetPoint3D},
};

constexpr std::size_t kMaxArity = 4;

} // namespace

const ParamValueType *ParamValueTypeOf(PF_ParamType type)
{
    for (const ParamValueType &t : kTypes)
        if (t.type == type)
            return &t;
    return nullptr;
}

std::string ParamTypeName(PF_ParamType type)
{
    const ParamValueType *t = ParamValueTypeOf(type);
    return t ? t->name : "type " + std::to_string(type);
}

bool ParamHoldsValue(PF_ParamType type)
{
    const ParamValueType *t = ParamValueTypeOf(type);
    return t && t->holdsValue;
}

std::size_t ValueArity(PF_ParamType type)
{
    const ParamValueType *t = ParamValueTypeOf(type);
    return t ? t->arity : 0;
}

ValueUnit ValueUnitOf(PF_ParamType type)
{
    const ParamValueType *t = ParamValueTypeOf(type);
    return t ? t->unit : ValueUnit::Integer;
}

void SetToDefault(PF_ParamDef &def)
{
    const ParamValueType *t = ParamValueTypeOf(def.param_type);
    if (t && t->reset)
        t->reset(def.u);
}

std::vector<double> ValueNumbers(const PF_ParamDef &def, A_long layer)
{
    if (def.param_type == PF_Param_LAYER)
        return {double(layer)};
    const ParamValueType *t = ParamValueTypeOf(def.param_type);
    std::vector<double> numbers(t && t->read ? t->arity : 0);
    if (!numbers.empty())
        t->read(def.u, numbers.data());
    return numbers;
}

void SetValueNumbers(PF_ParamDef &def, A_long &layer, const std::vector<double> &numbers)
{
    if (def.param_type == PF_Param_LAYER) {
        layer = A_long(numbers.at(0));
        return;
    }
    const ParamValueType *t = ParamValueTypeOf(def.param_type);
    if (t && t->write && numbers.size() >= t->arity)
        t->write(def.u, numbers.data());
}

void CopyValue(PF_ParamDef &to, const PF_ParamDef &from)
{
    const ParamValueType *t = ParamValueTypeOf(to.param_type);
    if (!t || !t->read || !t->write)
        return;
    double numbers[kMaxArity];
    t->read(from.u, numbers);
    t->write(to.u, numbers);
}

} // namespace qvh
