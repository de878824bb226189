// "AEGP Stream Suite" v4 (version 9): an effect parameter's value as a
// stream, read and written in the host's stream units.
#include "testhost/host/aegp_refs.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"

#include <cmath>
#include <cstring>
#include <string>

namespace qvh {
namespace {

double fromFixed(PF_Fixed v) { return v / 65536.0; }
PF_Fixed toFixed(double v) { return static_cast<PF_Fixed>(std::lround(v * 65536.0)); }
A_u_char toByte(double v) { return static_cast<A_u_char>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255)); }

// The parameter's value in stream units: degrees, pixels, colour channels 0 to 1.
AEGP_StreamVal2 streamValue(const Instance &instance, PF_ParamIndex index)
{
    PF_ParamDef def = instance.param(index);
    AEGP_StreamVal2 v;
    std::memset(&v, 0, sizeof v);
    switch (def.param_type) {
    case PF_Param_FLOAT_SLIDER: v.one_d = def.u.fs_d.value; break;
    case PF_Param_SLIDER: v.one_d = def.u.sd.value; break;
    case PF_Param_ANGLE: v.one_d = fromFixed(def.u.ad.value); break;
    case PF_Param_CHECKBOX: v.one_d = def.u.bd.value; break;
    case PF_Param_POPUP: v.one_d = def.u.pd.value; break;
    case PF_Param_POINT: v.two_d = {fromFixed(def.u.td.x_value), fromFixed(def.u.td.y_value)}; break;
    case PF_Param_POINT_3D: v.three_d = {def.u.point3d_d.x_value, def.u.point3d_d.y_value, def.u.point3d_d.z_value}; break;
    case PF_Param_COLOR: {
        const PF_Pixel &c = def.u.cd.value;
        v.color = {c.alpha / 255.0, c.red / 255.0, c.green / 255.0, c.blue / 255.0};
        break;
    }
    case PF_Param_LAYER: v.layer_id = instance.layer(index); break;
    default: break;
    }
    return v;
}

void setStreamValue(Instance &instance, PF_ParamIndex index, const AEGP_StreamVal2 &v)
{
    switch (instance.param(index).param_type) {
    case PF_Param_FLOAT_SLIDER: instance.setFloat(index, v.one_d); break;
    case PF_Param_SLIDER: instance.setSlider(index, static_cast<A_long>(v.one_d)); break;
    case PF_Param_ANGLE: instance.setAngle(index, toFixed(v.one_d)); break;
    case PF_Param_CHECKBOX: instance.setCheckbox(index, v.one_d != 0); break;
    case PF_Param_POPUP: instance.setPopup(index, static_cast<A_long>(v.one_d)); break;
    case PF_Param_POINT: instance.setPoint(index, toFixed(v.two_d.x), toFixed(v.two_d.y)); break;
    case PF_Param_POINT_3D: instance.setPoint3D(index, v.three_d.x, v.three_d.y, v.three_d.z); break;
    case PF_Param_COLOR:
        instance.setColor(index, {toByte(v.color.alphaF), toByte(v.color.redF), toByte(v.color.greenF), toByte(v.color.blueF)});
        break;
    case PF_Param_LAYER: instance.setLayer(index, v.layer_id); break;
    default: break;
    }
}

bool holdsStream(const Instance &instance, PF_ParamIndex index)
{
    return index > 0 && index < instance.count() && ParamHoldsValue(instance.param(index).param_type) &&
           instance.param(index).param_type != PF_Param_ARBITRARY_DATA;
}

A_Err getNewEffectStreamByIndex(AEGP_PluginID, AEGP_EffectRefH effect, PF_ParamIndex index, AEGP_StreamRefH *out)
{
    if (!out)
        return A_Err_PARAMETER;
    *out = nullptr;
    if (int err = host().faults.check("AEGP_GetNewEffectStreamByIndex"))
        return err;
    Instance *instance = aegpRefs().effect(effect);
    if (!instance || !holdsStream(*instance, index))
        return A_Err_PARAMETER;
    *out = aegpRefs().newStream(instance, index);
    return A_Err_NONE;
}

A_Err disposeStream(AEGP_StreamRefH stream)
{
    if (!aegpRefs().disposeStream(stream)) {
        host().reportMisuse("AEGP_DisposeStream of an unknown stream");
        return A_Err_PARAMETER;
    }
    return A_Err_NONE;
}

A_Err getNewStreamValue(AEGP_PluginID, AEGP_StreamRefH ref, AEGP_LTimeMode, const A_Time *time, A_Boolean,
                        AEGP_StreamValue2 *value)
{
    AegpRefs::Stream stream;
    if (!value || !time || !aegpRefs().stream(ref, stream))
        return A_Err_PARAMETER;
    if (int err = host().faults.check("AEGP_GetNewStreamValue"))
        return err;
    value->streamH = ref;
    value->val = streamValue(*stream.instance, stream.index);  /* values never vary with time here */
    return A_Err_NONE;
}

A_Err disposeStreamValue(AEGP_StreamValue2 *value)
{
    AegpRefs::Stream stream;
    return value && aegpRefs().stream(value->streamH, stream) ? A_Err_NONE : A_Err_PARAMETER;
}

// Fails for one parameter with the fault "AEGP_SetStreamValue <index>".
A_Err setStreamValueOf(AEGP_PluginID, AEGP_StreamRefH ref, AEGP_StreamValue2 *value)
{
    AegpRefs::Stream stream;
    if (!value || !aegpRefs().stream(ref, stream))
        return A_Err_PARAMETER;
    if (int err = host().faults.check("AEGP_SetStreamValue " + std::to_string(stream.index)))
        return err;
    setStreamValue(*stream.instance, stream.index, value->val);
    return A_Err_NONE;
}

AEGP_StreamSuite4 makeSuite()
{
    AEGP_StreamSuite4 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_GetNewEffectStreamByIndex = getNewEffectStreamByIndex;
    s.AEGP_DisposeStream = disposeStream;
    s.AEGP_GetNewStreamValue = getNewStreamValue;
    s.AEGP_DisposeStreamValue = disposeStreamValue;
    s.AEGP_SetStreamValue = setStreamValueOf;
    return s;
}

const AEGP_StreamSuite4 kSuite = makeSuite();

} // namespace

void registerStreamSuite(SuiteRegistry &registry)
{
    registry.add(kAEGPStreamSuite, kAEGPStreamSuiteVersion4, &kSuite);
}

} // namespace qvh
