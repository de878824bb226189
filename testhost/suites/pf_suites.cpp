// The PF suites: ANSI, Handle and Effect UI.
#include "testhost/host/handles.h"
#include "testhost/host/host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace qvh {
namespace {

int ansiSprintf(A_char *out, const A_char *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out, PF_MAX_EFFECT_MSG_LEN + 1, format, args);  /* bounded by return_msg */
    va_end(args);
    return n;
}

A_char *ansiStrcpy(A_char *dst, const A_char *src) { return std::strcpy(dst, src); }

PF_ANSICallbacksSuite1 makeAnsi()
{
    PF_ANSICallbacksSuite1 s;
    std::memset(&s, 0, sizeof s);
    s.sprintf = ansiSprintf;
    s.strcpy = ansiStrcpy;
    return s;
}

PF_Err setOptionsButtonName(PF_ProgPtr, const A_char *name)
{
    if (int err = host().faults.check("PF_SetOptionsButtonName"))
        return err;
    std::lock_guard<std::mutex> lock(host().mutex);
    host().optionsButtonName = name ? name : "";
    return PF_Err_NONE;
}

const PF_ANSICallbacksSuite1 kAnsi = makeAnsi();
const PF_HandleSuite1 kHandles = {hostNewHandle, hostLockHandle, hostUnlockHandle,
                                  hostDisposeHandleCallback, hostGetHandleSize, hostResizeHandle};
const PF_EffectUISuite1 kEffectUI = {setOptionsButtonName};

} // namespace

int (*ansiSuiteSprintf())(A_char *, const A_char *, ...) { return ansiSprintf; }
A_char *(*ansiSuiteStrcpy())(A_char *, const A_char *) { return ansiStrcpy; }

void registerPfSuites(SuiteRegistry &registry)
{
    registry.add(kPFANSISuite, kPFANSISuiteVersion1, &kAnsi);
    registry.add(kPFHandleSuite, kPFHandleSuiteVersion1, &kHandles);
    registry.add(kPFEffectUISuite, kPFEffectUISuiteVersion1, &kEffectUI);
}

} // namespace qvh
