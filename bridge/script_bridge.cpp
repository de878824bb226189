#include "bridge/script_bridge.h"

#include "base/handle_lock.h"
#include "base/handle_owner.h"
#include "base/suite_access.h"

namespace qv {
namespace {

// Copies a host text handle out (up to its first NUL) and frees it.
bool takeText(const AEGP_MemorySuite1 *memory, MemHandleOwner &handle, std::string &text)
{
    if (!handle)
        return false;
    {
        MemLock bytes(memory, handle.get());
        if (bytes)
            text = bytes.bytes();
    }
    handle.reset();
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
    MemHandleOwner resultH(memory), errorH(memory);  /* both freed, whatever throws */
    ScriptResult out;
    out.err = GetUtilitySuite(suites)->AEGP_ExecuteScript(0, script.c_str(), false, resultH.out(), errorH.out());
    out.hasResult = takeText(memory, resultH, out.result);  /* a failed run may still hand back texts */
    takeText(memory, errorH, out.error);
    return out;
}

} // namespace qv
