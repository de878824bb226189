// "AEGP Layer Suite" v14 (AEGP_LayerSuite8): a layer's parent composition.
#include "testhost/images/composition.h"
#include "testhost/host/host.h"

#include <cstring>

namespace qvh {
namespace {

A_Err getLayerParentComp(AEGP_LayerH layerH, AEGP_CompH *compPH)
{
    if (!compPH)
        return A_Err_PARAMETER;
    *compPH = nullptr;
    if (int err = host().faults.check("AEGP_GetLayerParentComp"))
        return err;
    Composition *comp = Composition::active();
    if (!comp || layerH != comp->layerHandle())
        return A_Err_PARAMETER;  /* only the effect's own layer is known */
    *compPH = comp->compHandle();
    return A_Err_NONE;
}

AEGP_LayerSuite8 makeSuite()
{
    AEGP_LayerSuite8 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_GetLayerParentComp = getLayerParentComp;
    return s;
}

const AEGP_LayerSuite8 kSuite = makeSuite();

} // namespace

void registerLayerSuite(SuiteRegistry &registry)
{
    registry.add(kAEGPLayerSuite, kAEGPLayerSuiteVersion8, &kSuite);
}

} // namespace qvh
