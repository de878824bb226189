// "AEGP Effect Suite" v3: disposing of effect references.
#include "testhost/host/aegp_refs.h"
#include "testhost/host/host.h"

#include <cstring>

namespace qvh {
namespace {

// The fault "AEGP_DisposeEffect" reports an error after the reference is gone.
A_Err disposeEffect(AEGP_EffectRefH ref)
{
    if (!aegpRefs().disposeEffect(ref)) {
        host().reportMisuse("AEGP_DisposeEffect of an unknown effect reference");
        return A_Err_PARAMETER;
    }
    return host().faults.check("AEGP_DisposeEffect");
}

AEGP_EffectSuite3 makeSuite()
{
    AEGP_EffectSuite3 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_DisposeEffect = disposeEffect;
    return s;
}

const AEGP_EffectSuite3 kSuite = makeSuite();

} // namespace

void registerEffectSuite(SuiteRegistry &registry)
{
    registry.add(kAEGPEffectSuite, kAEGPEffectSuiteVersion3, &kSuite);
}

} // namespace qvh
