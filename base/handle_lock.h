// Scoped locks of the host's handles: a PF_Handle through the command's handle
// callbacks, and an AEGP memory handle through the "AEGP Memory Suite". Each
// unlocks on leaving its scope, only when the lock was taken. An unlock that
// throws is dropped there, since it may run while another exception unwinds
// and a destructor must not throw; MemLock::unlock() reports it instead.
#pragma once

#include "sdk/ae_sdk.h"

namespace qv {

// Runs a host call on a clean-up path (a destructor, or while another
// exception unwinds), where nothing may be thrown: what it throws is dropped.
template <class Call> void CallDroppingThrow(Call &&call) noexcept
{
    try {
        call();
    } catch (...) {
    }
}

class HandleLock {
public:
    // A null handle gives a lock that holds nothing.
    HandleLock(const PF_InData *in_data, PF_Handle handle)
        : utils_(in_data->utils), handle_(handle),
          data_(handle ? utils_->host_lock_handle(handle) : nullptr) {}
    ~HandleLock()
    {
        if (data_)
            CallDroppingThrow([this] { utils_->host_unlock_handle(handle_); });
    }
    HandleLock(const HandleLock &) = delete;
    HandleLock &operator=(const HandleLock &) = delete;

    template <class T> T *as() const { return static_cast<T *>(data_); }
    explicit operator bool() const { return data_ != nullptr; }

private:
    PF_UtilCallbacks *utils_;
    PF_Handle handle_;
    void *data_;
};

class MemLock {
public:
    MemLock(const AEGP_MemorySuite1 *memory, AEGP_MemHandle handle) : memory_(memory), handle_(handle)
    {
        err_ = memory_->AEGP_LockMemHandle(handle_, &data_);
        if (!err_ && !data_)
            err_ = PF_Err_OUT_OF_MEMORY;  /* a lock that gave no bytes */
        if (err_)
            data_ = nullptr;
    }
    ~MemLock()
    {
        CallDroppingThrow([this] { unlock(); });
    }
    MemLock(const MemLock &) = delete;
    MemLock &operator=(const MemLock &) = delete;

    // Unlocks now; the unlock's error, or 0 when nothing was locked. What the
    // host throws goes on to the caller.
    A_Err unlock()
    {
        if (!data_)
            return A_Err_NONE;
        data_ = nullptr;
        return memory_->AEGP_UnlockMemHandle(handle_);
    }

    A_Err err() const { return err_; }
    char *bytes() const { return static_cast<char *>(data_); }
    explicit operator bool() const { return data_ != nullptr; }

private:
    const AEGP_MemorySuite1 *memory_;
    AEGP_MemHandle handle_;
    void *data_ = nullptr;
    A_Err err_;
};

} // namespace qv
