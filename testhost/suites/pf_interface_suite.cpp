// "AEGP PF Interface Suite" v1: the effect's layer and the effect itself.
#include "testhost/host/aegp_refs.h"
#include "testhost/images/composition.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"

#include <cstring>

namespace qvh {
namespace {

// The layer the effect is applied to: the one of the composition whose
// SmartFX command is running on this thread.
A_Err getEffectLayer(PF_ProgPtr, AEGP_LayerH *layerPH)
{
    if (!layerPH)
        return A_Err_PARAMETER;
    *layerPH = nullptr;
    if (int err = host().faults.check("AEGP_GetEffectLayer"))
        return err;
    Composition *comp = Composition::active();
    if (!comp)
        return A_Err_GENERIC;
    *layerPH = comp->layerHandle();
    return A_Err_NONE;
}

// A reference to the instance the command runs for; AEGP_DisposeEffect ends it.
A_Err getNewEffectForEffect(AEGP_PluginID, PF_ProgPtr effectRef, AEGP_EffectRefH *out)
{
    if (!out)
        return A_Err_PARAMETER;
    *out = nullptr;
    if (int err = host().faults.check("AEGP_GetNewEffectForEffect"))
        return err;
    Instance *instance = Instance::fromEffectRef(effectRef);
    if (!instance)
        return A_Err_PARAMETER;
    *out = aegpRefs().newEffect(instance);
    return A_Err_NONE;
}

AEGP_PFInterfaceSuite1 makeSuite()
{
    AEGP_PFInterfaceSuite1 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_GetEffectLayer = getEffectLayer;
    s.AEGP_GetNewEffectForEffect = getNewEffectForEffect;
    return s;
}

const AEGP_PFInterfaceSuite1 kSuite = makeSuite();

} // namespace

void registerPfInterfaceSuite(SuiteRegistry &registry)
{
    registry.add(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kSuite);
}

} // namespace qvh
