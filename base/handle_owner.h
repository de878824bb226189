// Ownership of what the host has just given the plug-in, until it is handed
// on or given back: an AEGP memory handle (freed through the "AEGP Memory
// Suite"), a PF_Handle (disposed through the host's handle callbacks), or any
// object given back by one host call. Whatever way the scope is left, a host
// function that throws included, the object is freed; a free that throws in
// turn is dropped, as in any destructor.
#pragma once

#include "base/handle_lock.h"
#include "sdk/ae_sdk.h"

#include <utility>

namespace qv {

// Owns one handle until it is handed on (release) or given back by calling
// `free` with it (reset, or leaving the scope).
template <class Handle, class Free> class HostHandleOwner {
public:
    explicit HostHandleOwner(Free free, Handle handle = nullptr) : free_(free), handle_(handle) {}
    ~HostHandleOwner() { reset(); }
    HostHandleOwner(const HostHandleOwner &) = delete;
    HostHandleOwner &operator=(const HostHandleOwner &) = delete;

    // Where a host call stores the new handle; the owner must hold none.
    Handle *out() { return &handle_; }
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // The handle, no longer given back here.
    Handle release()
    {
        Handle h = handle_;
        handle_ = nullptr;
        return h;
    }

    // Gives the handle back now; null afterwards.
    void reset() noexcept
    {
        if (Handle h = release())
            CallDroppingThrow([this, h] { free_(h); });
    }

private:
    Free free_;
    Handle handle_;
};

// Frees an AEGP memory handle through the "AEGP Memory Suite".
struct MemHandleFree {
    MemHandleFree(const AEGP_MemorySuite1 *memory) : memory(memory) {}  /* implicit: MemHandleOwner h(memory) */
    void operator()(AEGP_MemHandle h) const { memory->AEGP_FreeMemHandle(h); }
    const AEGP_MemorySuite1 *memory;
};

using MemHandleOwner = HostHandleOwner<AEGP_MemHandle, MemHandleFree>;
// Disposes through the host's host_dispose_handle (command callbacks or "PF
// Handle Suite").
using PFHandleOwner = HostHandleOwner<PF_Handle, void (*)(PF_Handle)>;

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
