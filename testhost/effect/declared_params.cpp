#include "testhost/effect/declared_params.h"

#include "testhost/effect/arbitrary_calls.h"
#include "testhost/host/host.h"

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

int DeclaredParams::layerNumber(PF_ParamIndex index) const
{
    if (index <= 0 || index >= count() || defs_[index].param_type != PF_Param_LAYER)
        return 0;
    int number = 0;
    for (PF_ParamIndex i = 1; i <= index; ++i)
        number += defs_[i].param_type == PF_Param_LAYER;
    return number;
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
