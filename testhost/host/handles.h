// Host handles (PF_Handle) and AEGP memory handles, with counts of the live
// ones so tests can see leaks.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <vector>

namespace qvh {

// A table of relocatable blocks: a handle points at a slot that points at the
// bytes, as the host's handles do.
class BlockTable {
public:
    void **create(std::size_t size, bool clear);
    bool contains(void **handle) const;
    void *lock(void **handle);
    void unlock(void **handle);
    bool dispose(void **handle);
    std::size_t size(void **handle) const;
    bool resize(void **handle, std::size_t size);
    std::size_t live() const;
    std::size_t locked() const;  // blocks locked at least once more than unlocked
    int lockCount(void **handle) const;

private:
    struct Block {
        std::vector<unsigned char> bytes;
        void *pointer = nullptr;  /* the slot a handle points at */
        int locks = 0;
    };
    mutable std::mutex mutex_;
    std::map<void **, Block *> blocks_;
};

BlockTable &hostHandles();    // PF_Handle
BlockTable &memoryHandles();  // AEGP_MemHandle

// The handle callbacks of PF_UtilCallbacks and "PF Handle Suite". Locks give
// no pointer while the fault "host_lock_handle" is set (Faults::failFunction).
PF_Handle hostNewHandle(A_u_longlong size);
void *hostLockHandle(PF_Handle h);
void hostUnlockHandle(PF_Handle h);
void hostDisposeHandle(PF_Handle h);
// hostDisposeHandle as the plug-in is given it: disposes, then throws when
// the fault is injected.
void hostDisposeHandleCallback(PF_Handle h);
A_u_longlong hostGetHandleSize(PF_Handle h);
PF_Err hostResizeHandle(A_u_longlong size, PF_Handle *h);

} // namespace qvh
