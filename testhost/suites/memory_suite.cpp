// "AEGP Memory Suite" v1 over the simulator's memory handle table.
#include "testhost/host/handles.h"
#include "testhost/host/host.h"

namespace qvh {
namespace {

void **raw(AEGP_MemHandle h) { return reinterpret_cast<void **>(h); }

A_Err newMem(AEGP_PluginID, const A_char *, AEGP_MemSize size, AEGP_MemFlag flags, AEGP_MemHandle *out)
{
    if (!out)
        return A_Err_PARAMETER;
    *out = nullptr;
    if (int err = host().faults.check("AEGP_NewMemHandle"))
        return err;
    if (host().faults.takeMemoryFailure())
        return A_Err_ALLOC;
    *out = reinterpret_cast<AEGP_MemHandle>(memoryHandles().create(size, flags & AEGP_MemFlag_CLEAR));
    return A_Err_NONE;
}

A_Err freeMem(AEGP_MemHandle h)
{
    if (!memoryHandles().dispose(raw(h))) {
        host().reportMisuse("AEGP_FreeMemHandle of an unknown handle");
        return A_Err_PARAMETER;
    }
    if (int err = host().faults.check("AEGP_FreeMemHandle"))
        return err;  /* freed all the same, as a host reporting late would */
    return A_Err_NONE;
}

A_Err lockMem(AEGP_MemHandle h, void **ptr)
{
    if (!ptr)
        return A_Err_PARAMETER;
    *ptr = nullptr;
    if (int err = host().faults.check("AEGP_LockMemHandle"))
        return err;
    *ptr = memoryHandles().lock(raw(h));
    return *ptr ? A_Err_NONE : A_Err_PARAMETER;
}

A_Err unlockMem(AEGP_MemHandle h)
{
    memoryHandles().unlock(raw(h));
    if (int err = host().faults.check("AEGP_UnlockMemHandle"))
        return err;  /* unlocked all the same, as a host reporting late would */
    return A_Err_NONE;
}

A_Err memSize(AEGP_MemHandle h, AEGP_MemSize *size)
{
    if (!size || !memoryHandles().contains(raw(h)))
        return A_Err_PARAMETER;
    *size = static_cast<AEGP_MemSize>(memoryHandles().size(raw(h)));
    return A_Err_NONE;
}

A_Err resizeMem(const A_char *, AEGP_MemSize size, AEGP_MemHandle h)
{
    if (int err = host().faults.check("AEGP_ResizeMemHandle"))
        return err;
    if (host().faults.takeMemoryFailure())
        return A_Err_ALLOC;
    return memoryHandles().resize(raw(h), size) ? A_Err_NONE : A_Err_PARAMETER;
}

A_Err reportingOn(A_Boolean) { return A_Err_NONE; }

A_Err memStats(AEGP_PluginID, A_long *count, A_long *size)
{
    if (count)
        *count = static_cast<A_long>(memoryHandles().live());
    if (size)
        *size = 0;
    return A_Err_NONE;
}

const AEGP_MemorySuite1 kMemorySuite = {newMem, freeMem, lockMem, unlockMem,
                                        memSize, resizeMem, reportingOn, memStats};

} // namespace

void registerMemorySuite(SuiteRegistry &registry)
{
    registry.add(kAEGPMemorySuite, kAEGPMemorySuiteVersion1, &kMemorySuite);
}

} // namespace qvh
