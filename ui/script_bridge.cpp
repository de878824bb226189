#include "ui/script_bridge.h"

#include "host/suite_access.h"

namespace qv {
namespace {

// Copies a host text handle out (up to its first NUL) and frees it.
bool takeText(const AEGP_MemorySuite1 *memory, AEGP_MemHandle handle, std::string &text)
{
    if (!handle)
        return false;
    void *bytes = nullptr;
    if (memory->AEGP_LockMemHandle(handle, &bytes) == A_Err_NONE && bytes) {
        text = static_cast<const char *>(bytes);
        memory->AEGP_UnlockMemHandle(handle);
    }
    memory->AEGP_FreeMemHandle(handle);
    return true;
}

} // namespace

const AEGP_UtilitySuite6 *GetUtilitySuite(SuiteAccess &suites)
{
    return utilitySuite13(suites);
}

A_Err RunScript(SuiteAccess &suites, const std::string &script)
{
    return GetUtilitySuite(suites)->AEGP_ExecuteScript(0, script.c_str(), false, nullptr, nullptr);
}

ScriptResult RunScriptWithResult(SuiteAccess &suites, const std::string &script)
{
    const AEGP_MemorySuite1 *memory = memorySuite(suites);  /* before any handle exists */
    AEGP_MemHandle resultH = nullptr, errorH = nullptr;
    ScriptResult out;
    out.err = GetUtilitySuite(suites)->AEGP_ExecuteScript(0, script.c_str(), false, &resultH, &errorH);
    out.hasResult = takeText(memory, resultH, out.result);  /* a failed run may still hand back texts */
    takeText(memory, errorH, out.error);
    return out;
}

} // namespace qv
