// "PF Param Utils Suite" v3: PF_UpdateParamUI, which changes the UI flags an
// instance keeps for one parameter. The other functions are not offered.
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"

#include <cstring>

namespace qvh {
namespace {

PF_Err updateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef *def)
{
    if (int err = host().faults.check("PF_UpdateParamUI"))
        return err;
    Instance *instance = Instance::fromEffectRef(ref);
    if (!instance) {
        host().reportMisuse("PF_UpdateParamUI with an unknown effect reference");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return instance->updateParamUI(index, def);
}

PF_ParamUtilsSuite3 makeSuite()
{
    PF_ParamUtilsSuite3 suite;
    std::memset(&suite, 0, sizeof suite);
    suite.PF_UpdateParamUI = updateParamUI;
    return suite;
}

const PF_ParamUtilsSuite3 kParamUtils = makeSuite();

} // namespace

void registerParamUtilsSuite(SuiteRegistry &registry)
{
    registry.add(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &kParamUtils);
}

} // namespace qvh
