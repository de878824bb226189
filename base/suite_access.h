// Host suites for the length of one command: each suite is acquired on first
// use and released, with the name and version it was acquired with, when the
// object goes away.
#pragma once

#include "sdk/ae_sdk.h"

#include <string>
#include <vector>

namespace qv {

// Thrown (as a plain integer) when the host cannot supply a suite.
constexpr PF_Err kMissingSuiteError = PF_Err_BAD_CALLBACK_PARAM;

class SuiteAccess {
public:
    // Throws kMissingSuiteError when the host gives no basic suite.
    explicit SuiteAccess(SPBasicSuite *basic);
    ~SuiteAccess();
    SuiteAccess(const SuiteAccess &) = delete;
    SuiteAccess &operator=(const SuiteAccess &) = delete;

    // The suite table, acquired once per object; throws kMissingSuiteError.
    template <class Suite> const Suite *get(const char *name, int32_t version)
    {
        return static_cast<const Suite *>(acquire(name, version));
    }

    SPBasicSuite *basic() const { return basic_; }

private:
    struct Held {
        std::string name;
        int32_t version;
        const void *table;
    };
    const void *acquire(const char *name, int32_t version);

    SPBasicSuite *basic_;
    std::vector<Held> held_;
};

// The suites the plug-in uses, by the table type each version has.
inline const AEGP_UtilitySuite3 *utilitySuite7(SuiteAccess &s) { return s.get<AEGP_UtilitySuite3>(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3); }
inline const AEGP_UtilitySuite5 *utilitySuite11(SuiteAccess &s) { return s.get<AEGP_UtilitySuite5>(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion5); }
inline const AEGP_UtilitySuite6 *utilitySuite13(SuiteAccess &s) { return s.get<AEGP_UtilitySuite6>(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion6); }
inline const AEGP_MemorySuite1 *memorySuite(SuiteAccess &s) { return s.get<AEGP_MemorySuite1>(kAEGPMemorySuite, kAEGPMemorySuiteVersion1); }
inline const AEGP_PFInterfaceSuite1 *pfInterfaceSuite(SuiteAccess &s) { return s.get<AEGP_PFInterfaceSuite1>(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1); }
inline const AEGP_LayerSuite8 *layerSuite(SuiteAccess &s) { return s.get<AEGP_LayerSuite8>(kAEGPLayerSuite, kAEGPLayerSuiteVersion8); }
inline const AEGP_CompSuite11 *compSuite(SuiteAccess &s) { return s.get<AEGP_CompSuite11>(kAEGPCompSuite, kAEGPCompSuiteVersion11); }
inline const AEGP_EffectSuite3 *effectSuite(SuiteAccess &s) { return s.get<AEGP_EffectSuite3>(kAEGPEffectSuite, kAEGPEffectSuiteVersion3); }
inline const AEGP_StreamSuite4 *streamSuite(SuiteAccess &s) { return s.get<AEGP_StreamSuite4>(kAEGPStreamSuite, kAEGPStreamSuiteVersion4); }
inline const PF_ANSICallbacksSuite1 *ansiSuite(SuiteAccess &s) { return s.get<PF_ANSICallbacksSuite1>(kPFANSISuite, kPFANSISuiteVersion1); }
inline const PF_HandleSuite1 *handleSuite(SuiteAccess &s) { return s.get<PF_HandleSuite1>(kPFHandleSuite, kPFHandleSuiteVersion1); }
inline const PF_ParamUtilsSuite3 *paramUtilsSuite(SuiteAccess &s) { return s.get<PF_ParamUtilsSuite3>(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3); }

} // namespace qv
