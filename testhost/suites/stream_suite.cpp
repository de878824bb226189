// "AEGP Stream Suite" v4 (version 9): an effect parameter's value as a
// stream, read and written in the host's stream units.
#include "testhost/host/aegp_refs.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace qvh {
namespace {

double fromFixed(PF_Fixed v) { return v / 65536.0; }
PF_Fixed toFixed(double v) { return static_cast<PF_Fixed>(std::lround(v * 65536.0)); }
A_u_char toByte(double v) { return static_cast<A_u_char>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255)); }

// One number of a value in stream units: degrees and pixels, colour
// channels 0 to 1; and back to host units.
double toStream(ValueUnit unit, double n)
{
    switch (unit) {
    case ValueUnit::Fixed: return fromFixed(static_cast<PF_Fixed>(n));
    case ValueUnit::Channel: return n / 255.0;
    default: return n;
    }
}

double fromStream(ValueUnit unit, double v)
{
    switch (unit) {
    case ValueUnit::Fixed: return toFixed(v);
    case ValueUnit::Channel: return toByte(v);
    case ValueUnit::Flag: return v != 0 ? 1 : 0;
    case ValueUnit::Integer: return static_cast<A_long>(v);
    case ValueUnit::Real: break;
    }
    return v;
}

// The fields of a stream value that hold a value of `arity` numbers.
std::vector<A_FpLong *> streamFields(AEGP_StreamVal2 &v, std::size_t arity)
{
    switch (arity) {
    case 1: return {&v.one_d};
    case 2: return {&v.two_d.x, &v.two_d.y};
    case 3: return {&v.three_d.x, &v.three_d.y, &v.three_d.z};
    case 4: return {&v.color.alphaF, &v.color.redF, &v.color.greenF, &v.color.blueF};
    default: return {};
    }
}

// The parameter's value in stream units; a layer's as its layer ID.
AEGP_StreamVal2 streamValue(const Instance &instance, PF_ParamIndex index)
{
    AEGP_StreamVal2 v;
    std::memset(&v, 0, sizeof v);
    PF_ParamType type = instance.param(index).param_type;
    std::vector<double> n = instance.numbers(index);
    if (type == PF_Param_LAYER) {
        v.layer_id = static_cast<A_long>(n[0]);
        return v;
    }
    std::vector<A_FpLong *> fields = streamFields(v, n.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        *fields[i] = toStream(ValueUnitOf(type), n[i]);
    return v;
}

void setStreamValue(Instance &instance, PF_ParamIndex index, AEGP_StreamVal2 v)
{
    PF_ParamType type = instance.param(index).param_type;
    if (type == PF_Param_LAYER) {
        instance.setNumbers(index, {double(v.layer_id)});
        return;
    }
    std::vector<double> n;
    for (A_FpLong *field : streamFields(v, ValueArity(type)))
        n.push_back(fromStream(ValueUnitOf(type), *field));
    if (!n.empty())
        instance.setNumbers(index, n);
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
