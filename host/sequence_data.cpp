// The per-instance sequence data: 11 zero bytes the host requires and nobody
// reads, made, copied for flattening and re-setup, and disposed.
#include "host/sequence_data.h"

#include "base/handle_lock.h"
#include "base/handle_owner.h"

#include <algorithm>
#include <cstring>

namespace qv {
namespace {

constexpr A_u_longlong kSequenceDataSize = 11;

// A copy of `source` stored through `dest`: 0 when both locks gave bytes,
// else 4 with the new handle stored all the same. Nothing happens for a null
// source or destination; a handle that cannot be made is not stored.
PF_Err copySequenceData(PF_InData *in_data, PF_Handle source, PF_Handle *dest)
{
    if (!source || !dest)
        return PF_Err_NONE;
    PF_Handle copy = in_data->utils->host_new_handle(kSequenceDataSize);
    if (!copy)
        return PF_Err_OUT_OF_MEMORY;
    *dest = copy;
    HandleLock from(in_data, source);
    HandleLock to(in_data, copy);
    if (!from || !to)
        return PF_Err_OUT_OF_MEMORY;
    /* a source from elsewhere may be shorter: never read past it */
    A_u_longlong size = std::min(kSequenceDataSize, in_data->utils->host_get_handle_size(source));
    std::memset(to.as<char>(), 0, kSequenceDataSize);
    std::memcpy(to.as<char>(), from.as<char>(), size);
    to.as<char>()[0] = 0;
    return PF_Err_NONE;
}

} // namespace

PF_Err OnSequenceSetup(const CommandArgs &a)
{
    PF_UtilCallbacks *utils = a.in_data->utils;
    PFHandleOwner handle(utils->host_dispose_handle, utils->host_new_handle(kSequenceDataSize));
    if (!handle)
        return PF_Err_OUT_OF_MEMORY;  /* nothing stored */
    {
        HandleLock bytes(a.in_data, handle.get());
        if (!bytes)
            return PF_Err_OUT_OF_MEMORY;
        std::memset(bytes.as<char>(), 0, kSequenceDataSize);
    }
    a.out_data->sequence_data = handle.release();
    return PF_Err_NONE;
}

PF_Err OnSequenceResetup(const CommandArgs &a)
{
    return copySequenceData(a.in_data, a.in_data->sequence_data, &a.out_data->sequence_data);
}

PF_Err OnGetFlattenedSequenceData(const CommandArgs &a)
{
    return copySequenceData(a.in_data, a.in_data->sequence_data, &a.out_data->sequence_data);
}

PF_Err OnSequenceFlatten(const CommandArgs &a)
{
    PF_Err err = copySequenceData(a.in_data, a.in_data->sequence_data, &a.out_data->sequence_data);
    if (!err && a.in_data->sequence_data)  /* the flat copy is handed over even if the host throws here */
        CallDroppingThrow([&a] { a.in_data->utils->host_dispose_handle(a.in_data->sequence_data); });
    return err;
}

PF_Err OnSequenceSetdown(const CommandArgs &a)
{
    if (a.in_data->sequence_data)
        a.in_data->utils->host_dispose_handle(a.in_data->sequence_data);
    return PF_Err_NONE;
}

} // namespace qv
