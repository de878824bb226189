// Ownership of what the host has just given the plug-in, until it is handed
// on or given back: an AEGP memory handle (freed through the "AEGP Memory
// Suite"), a PF_Handle (disposed through the host's handle callbacks), or any
// object given back by one host call. Whatever way the scope is left, a host
// function that throws included, the object is freed; a free that throws in
// turn is dropped, as in any destructor.
#pragma once

#include "host/handle_lock.h"
#include "sdk/ae_sdk.h"

#include <utility>

namespace qv {

class MemHandleOwner {
public:
    explicit MemHandleOwner(const AEGP_MemorySuite1 *memory) : memory_(memory) {}
    ~MemHandleOwner() { reset(); }
    MemHandleOwner(const MemHandleOwner &) = delete;
    MemHandleOwner &operator=(const MemHandleOwner &) = delete;

    // Where a host call stores the new handle; the owner must hold none.
    AEGP_MemHandle *out() { return &handle_; }
    AEGP_MemHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // The handle, no longer freed here.
    AEGP_MemHandle release()
    {
        AEGP_MemHandle h = handle_;
        handle_ = nullptr;
        return h;
    }

    // Frees the handle now; null afterwards.
    void reset() noexcept
    {
        if (AEGP_MemHandle h = release())
            CallDroppingThrow([this, h] { memory_->AEGP_FreeMemHandle(h); });
    }

private:
    const AEGP_MemorySuite1 *memory_;
    AEGP_MemHandle handle_ = nullptr;
};

class PFHandleOwner {
public:
    // `dispose` is the host's host_dispose_handle (command callbacks or
    // "PF Handle Suite"); `handle` may be null.
    PFHandleOwner(void (*dispose)(PF_Handle), PF_Handle handle) : dispose_(dispose), handle_(handle) {}
    ~PFHandleOwner()
    {
        if (handle_)
            CallDroppingThrow([this] { dispose_(handle_); });
    }
    PFHandleOwner(const PFHandleOwner &) = delete;
    PFHandleOwner &operator=(const PFHandleOwner &) = delete;

    PF_Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // The handle, no longer disposed here.
    PF_Handle release()
    {
        PF_Handle h = handle_;
        handle_ = nullptr;
        return h;
    }

private:
    void (*dispose_)(PF_Handle);
    PF_Handle handle_;
};

// Runs `release`, a host call giving an object back (a stream, an effect
// reference, an open undo group), when the scope is left, unless now() has
// run it already and returned its result.
template <class Release> class ReleaseOnExit {
public:
    explicit ReleaseOnExit(Release release) : release_(std::move(release)) {}
    ~ReleaseOnExit()
    {
        if (pending_)
            CallDroppingThrow(release_);
    }
    ReleaseOnExit(const ReleaseOnExit &) = delete;
    ReleaseOnExit &operator=(const ReleaseOnExit &) = delete;

    auto now()
    {
        pending_ = false;
        return release_();
    }

private:
    Release release_;
    bool pending_ = true;
};

} // namespace qv
