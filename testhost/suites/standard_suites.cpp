// The suites the simulator offers, each implemented in a file of its own.
#include "testhost/host/suite_registry.h"

namespace qvh {

void registerUtilitySuites(SuiteRegistry &registry);
void registerMemorySuite(SuiteRegistry &registry);
void registerPfSuites(SuiteRegistry &registry);
void registerPfInterfaceSuite(SuiteRegistry &registry);
void registerLayerSuite(SuiteRegistry &registry);
void registerCompSuite(SuiteRegistry &registry);
void registerParamUtilsSuite(SuiteRegistry &registry);
void registerEffectSuite(SuiteRegistry &registry);
void registerStreamSuite(SuiteRegistry &registry);

void registerStandardSuites(SuiteRegistry &registry)
{
    registerUtilitySuites(registry);
    registerMemorySuite(registry);
    registerPfSuites(registry);
    registerPfInterfaceSuite(registry);
    registerLayerSuite(registry);
    registerCompSuite(registry);
    registerParamUtilsSuite(registry);
    registerEffectSuite(registry);
    registerStreamSuite(registry);
}

} // namespace qvh
