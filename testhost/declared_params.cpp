#include "testhost/declared_params.h"

#include "testhost/arbitrary_calls.h"
#include "testhost/host.h"

#include <cstring>
#include <mutex>
#include <set>

namespace qvh {
namespace {

std::mutex registryMutex;
std::set<const DeclaredParams *> registry;

PF_Err addParamCallback(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def)
{
    DeclaredParams *params = DeclaredParams::fromEffectRef(ref);
    if (!params) {
        host().reportMisuse("add_param with an effect reference that is not in parameter setup");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return params->addParam(index, def);
}

PF_ParamDef inputLayer()
{
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    def.param_type = PF_Param_LAYER;
    def.u.ld.dephault = PF_LayerDefault_MYSELF;
    return def;
}

} // namespace

std::string ParamTypeName(PF_ParamType type)
{
    switch (type) {
    case PF_Param_LAYER: return "layer";
    case PF_Param_SLIDER: return "slider";
    case PF_Param_FIX_SLIDER: return "fixed slider";
    case PF_Param_ANGLE: return "angle";
    case PF_Param_CHECKBOX: return "checkbox";
    case PF_Param_COLOR: return "color";
    case PF_Param_POINT: return "point";
    case PF_Param_POPUP: return "popup";
    case PF_Param_NO_DATA: return "no data";
    case PF_Param_FLOAT_SLIDER: return "float slider";
    case PF_Param_ARBITRARY_DATA: return "arbitrary data";
    case PF_Param_GROUP_START: return "group start";
    case PF_Param_GROUP_END: return "group end";
    case PF_Param_BUTTON: return "button";
    case PF_Param_POINT_3D: return "3D point";
    default: return "type " + std::to_string(type);
    }
}

bool ParamHoldsValue(PF_ParamType type)
{
    switch (type) {
    case PF_Param_LAYER: case PF_Param_SLIDER: case PF_Param_FIX_SLIDER: case PF_Param_ANGLE:
    case PF_Param_CHECKBOX: case PF_Param_COLOR: case PF_Param_POINT: case PF_Param_POPUP:
    case PF_Param_FLOAT_SLIDER: case PF_Param_ARBITRARY_DATA: case PF_Param_POINT_3D:
        return true;
    default:
        return false;
    }
}

void SetToDefault(PF_ParamDef &def)
{
    PF_ParamDefUnion &u = def.u;
    switch (def.param_type) {
    case PF_Param_SLIDER: u.sd.value = u.sd.dephault; break;
    case PF_Param_FIX_SLIDER: u.fd.value = u.fd.dephault; break;
    case PF_Param_FLOAT_SLIDER: u.fs_d.value = u.fs_d.dephault; break;
    case PF_Param_ANGLE: u.ad.value = u.ad.dephault; break;
    case PF_Param_CHECKBOX: u.bd.value = u.bd.dephault; break;
    case PF_Param_POPUP: u.pd.value = u.pd.dephault; break;
    case PF_Param_POINT: u.td.x_value = u.td.x_dephault; u.td.y_value = u.td.y_dephault; break;
    case PF_Param_POINT_3D:
        u.point3d_d.x_value = u.point3d_d.x_dephault;
        u.point3d_d.y_value = u.point3d_d.y_dephault;
        u.point3d_d.z_value = u.point3d_d.z_dephault;
        break;
    case PF_Param_COLOR: u.cd.value = u.cd.dephault; break;
    case PF_Param_ARBITRARY_DATA: u.arb_d.value = nullptr; break;  /* an instance's is made by NEW */
    default: break;
    }
}

DeclaredParams::DeclaredParams(Effect &effect) : effect_(effect)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.insert(this);
}

DeclaredParams::~DeclaredParams()
{
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        registry.erase(this);
    }
    disposeDefaults();
}

DeclaredParams *DeclaredParams::fromEffectRef(PF_ProgPtr ref)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    auto it = registry.find(reinterpret_cast<const DeclaredParams *>(ref));
    return it == registry.end() ? nullptr : const_cast<DeclaredParams *>(*it);
}

CommandResult DeclaredParams::setup()
{
    disposeDefaults();
    defs_.assign(1, inputLayer());
    PF_InData in = makeInData();
    in.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in.inter.add_param = addParamCallback;
    in.num_params = 1;
    CommandResult result = effect_.command(PF_Cmd_PARAMS_SETUP, nullptr, nullptr, nullptr, &in);
    numParams_ = result.out.num_params;
    if (result.err == PF_Err_NONE && numParams_ != count())
        host().reportMisuse("PARAMS_SETUP reported num_params " + std::to_string(numParams_) + " but added " +
                            std::to_string(count()) + " parameters");
    return result;
}

PF_Err DeclaredParams::addParam(PF_ParamIndex index, const PF_ParamDef *def)
{
    if (!def)
        return PF_Err_BAD_CALLBACK_PARAM;
    if (index != -1 && index != count())
        return PF_Err_INVALID_INDEX;  /* the simulator only appends */
    auto fault = addFaults_.find(count());
    if (fault != addFaults_.end())
        return fault->second;
    defs_.push_back(*def);
    keepLabels(defs_.back());
    return PF_Err_NONE;
}

PF_ParamIndex DeclaredParams::indexOfDiskId(A_long id) const
{
    for (PF_ParamIndex i = 1; i < count(); ++i)
        if (defs_[i].uu.id == id)
            return i;
    return -1;
}

// Copies the texts a record points at, since the plug-in's may not live on.
void DeclaredParams::keepLabels(PF_ParamDef &def)
{
    auto keep = [this](const char *text) {
        labels_.emplace_back(text ? text : "");
        return labels_.back().c_str();
    };
    switch (def.param_type) {
    case PF_Param_CHECKBOX: def.u.bd.u.nameptr = keep(def.u.bd.u.nameptr); break;
    case PF_Param_POPUP: def.u.pd.u.namesptr = keep(def.u.pd.u.namesptr); break;
    case PF_Param_BUTTON: def.u.button_d.u.namesptr = keep(def.u.button_d.u.namesptr); break;
    default: break;
    }
}

void DeclaredParams::disposeDefaults()
{
    for (PF_ParamDef &def : defs_) {
        if (def.param_type != PF_Param_ARBITRARY_DATA || !def.u.arb_d.dephault)
            continue;
        CommandResult r = ArbitraryCalls(effect_, def).dispose(def.u.arb_d.dephault);
        if (r.err)
            host().reportMisuse("DISPOSE of an arbitrary default failed with " + std::to_string(r.err));
        def.u.arb_d.dephault = nullptr;
    }
}

} // namespace qvh
