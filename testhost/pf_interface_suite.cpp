// "AEGP PF Interface Suite" v1: the effect's layer.
#include "testhost/composition.h"
#include "testhost/host.h"

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

AEGP_PFInterfaceSuite1 makeSuite()
{
    AEGP_PFInterfaceSuite1 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_GetEffectLayer = getEffectLayer;
    return s;
}

const AEGP_PFInterfaceSuite1 kSuite = makeSuite();

} // namespace

void registerPfInterfaceSuite(SuiteRegistry &registry)
{
    registry.add(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kSuite);
}

} // namespace qvh
