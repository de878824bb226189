// "AEGP Comp Suite" v25 (AEGP_CompSuite11): the composition's frame rate.
#include "testhost/images/composition.h"
#include "testhost/host/host.h"

#include <cstring>

namespace qvh {
namespace {

A_Err getCompFramerate(AEGP_CompH compH, A_FpLong *fpsPF)
{
    if (!fpsPF)
        return A_Err_PARAMETER;
    if (int err = host().faults.check("AEGP_GetCompFramerate"))
        return err;
    Composition *comp = Composition::active();
    if (!comp || compH != comp->compHandle())
        return A_Err_PARAMETER;
    *fpsPF = comp->fps;
    return A_Err_NONE;
}

AEGP_CompSuite11 makeSuite()
{
    AEGP_CompSuite11 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_GetCompFramerate = getCompFramerate;
    return s;
}

const AEGP_CompSuite11 kSuite = makeSuite();

} // namespace

void registerCompSuite(SuiteRegistry &registry)
{
    registry.add(kAEGPCompSuite, kAEGPCompSuiteVersion11, &kSuite);
}

} // namespace qvh
