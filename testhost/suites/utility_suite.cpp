// "AEGP Utility Suite" in the three layouts the plug-in asks for (versions 7,
// 11 and 13): registration, application path, scripts and undo groups.
#include "testhost/host/handles.h"
#include "testhost/host/host.h"

#include <cstring>

namespace qvh {
namespace {

A_Err registerWithAEGP(AEGP_GlobalRefcon, const A_char *name, AEGP_PluginID *id)
{
    if (int err = host().faults.check("AEGP_RegisterWithAEGP"))
        return err;
    if (!name || !id)
        return A_Err_PARAMETER;
    *id = host().registerPlugin(name);
    return A_Err_NONE;
}

AEGP_MemHandle newTextHandle(const void *bytes, std::size_t size)
{
    void **h = memoryHandles().create(size, true);
    std::memcpy(memoryHandles().lock(h), bytes, size);
    memoryHandles().unlock(h);
    return reinterpret_cast<AEGP_MemHandle>(h);
}

A_Err getPluginPaths(AEGP_PluginID, AEGP_GetPathTypes type, AEGP_MemHandle *pathH)
{
    if (!pathH)
        return A_Err_PARAMETER;
    *pathH = nullptr;
    if (int err = host().faults.check("AEGP_GetPluginPaths"))
        return err;
    if (type != AEGP_GetPathTypes_APP)
        return A_Err_PARAMETER;
    if (host().faults.takeMemoryFailure())
        return A_Err_ALLOC;
    std::u16string path = host().appPath;
    *pathH = newTextHandle(path.c_str(), (path.size() + 1) * sizeof(char16_t));
    return A_Err_NONE;
}

A_Err executeScript(AEGP_PluginID, const A_char *script, const A_Boolean platformEncoding,
                    AEGP_MemHandle *resultH, AEGP_MemHandle *errorH)
{
    if (resultH)
        *resultH = nullptr;
    if (errorH)
        *errorH = nullptr;
    if (!script || platformEncoding)
        return A_Err_PARAMETER;  /* the plug-in always sends UTF-8 */
    host().recordScript(script);
    if (int err = host().faults.check("AEGP_ExecuteScript"))
        return err;
    std::string result, error;
    A_Err err = host().scriptRunner ? host().scriptRunner(script, result, error) : A_Err_NONE;
    if (resultH && !host().faults.check(kWithholdScriptResult))
        *resultH = newTextHandle(result.c_str(), result.size() + 1);
    if (errorH)
        *errorH = newTextHandle(error.c_str(), error.size() + 1);
    return err;
}

A_Err startUndoGroup(const A_char *name)
{
    if (int err = host().faults.check("AEGP_StartUndoGroup"))
        return err;
    std::lock_guard<std::mutex> lock(host().mutex);
    ++host().openUndoGroups;
    host().undoGroups.push_back(name ? name : "");
    return A_Err_NONE;
}

A_Err endUndoGroup()
{
    if (int err = host().faults.check("AEGP_EndUndoGroup"))
        return err;
    std::lock_guard<std::mutex> lock(host().mutex);
    if (host().openUndoGroups == 0)
        return A_Err_GENERIC;
    --host().openUndoGroups;
    return A_Err_NONE;
}

AEGP_UtilitySuite6 makeSuite13()
{
    AEGP_UtilitySuite6 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_StartUndoGroup = startUndoGroup;
    s.AEGP_EndUndoGroup = endUndoGroup;
    s.AEGP_RegisterWithAEGP = registerWithAEGP;
    s.AEGP_ExecuteScript = executeScript;
    s.AEGP_GetPluginPaths = getPluginPaths;
    return s;
}

AEGP_UtilitySuite5 makeSuite11()
{
    AEGP_UtilitySuite5 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_StartUndoGroup = startUndoGroup;
    s.AEGP_EndUndoGroup = endUndoGroup;
    s.AEGP_RegisterWithAEGP = registerWithAEGP;
    return s;
}

AEGP_UtilitySuite3 makeSuite7()
{
    AEGP_UtilitySuite3 s;
    std::memset(&s, 0, sizeof s);
    s.AEGP_StartUndoGroup = startUndoGroup;
    s.AEGP_EndUndoGroup = endUndoGroup;
    s.AEGP_RegisterWithAEGP = registerWithAEGP;
    return s;
}

const AEGP_UtilitySuite6 kSuite13 = makeSuite13();
const AEGP_UtilitySuite5 kSuite11 = makeSuite11();
const AEGP_UtilitySuite3 kSuite7 = makeSuite7();

} // namespace

void registerUtilitySuites(SuiteRegistry &registry)
{
    registry.add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion6, &kSuite13);
    registry.add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion5, &kSuite11);
    registry.add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3, &kSuite7);
}

} // namespace qvh
