#include "testhost/host/handles.h"

#include "testhost/host/faults.h"
#include "testhost/host/misuse.h"

#include <cstring>
#include <stdexcept>

namespace qvh {

void **BlockTable::create(std::size_t size, bool clear)
{
    Block *block = new Block;
    block->bytes.resize(size ? size : 1);  /* never a null data pointer */
    if (!clear)
        std::memset(block->bytes.data(), 0xCD, block->bytes.size());  /* expose reads of unwritten bytes */
    block->pointer = block->bytes.data();
    std::lock_guard<std::mutex> lock(mutex_);
    blocks_[&block->pointer] = block;
    return &block->pointer;
}

bool BlockTable::contains(void **handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.count(handle) != 0;
}

void *BlockTable::lock(void **handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(handle);
    if (it == blocks_.end())
        return nullptr;
    ++it->second->locks;
    return it->second->pointer;
}

void BlockTable::unlock(void **handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(handle);
    if (it != blocks_.end() && it->second->locks > 0)
        --it->second->locks;
}

bool BlockTable::dispose(void **handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(handle);
    if (it == blocks_.end())
        return false;
    delete it->second;
    blocks_.erase(it);
    return true;
}

std::size_t BlockTable::size(void **handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(handle);
    return it == blocks_.end() ? 0 : it->second->bytes.size();
}

bool BlockTable::resize(void **handle, std::size_t size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(handle);
    if (it == blocks_.end())
        return false;
    it->second->bytes.resize(size ? size : 1);
    it->second->pointer = it->second->bytes.data();
    return true;
}

std::size_t BlockTable::live() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.size();
}

std::size_t BlockTable::locked() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t n = 0;
    for (const auto &b : blocks_)
        n += b.second->locks > 0;
    return n;
}

int BlockTable::lockCount(void **handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(handle);
    return it == blocks_.end() ? 0 : it->second->locks;
}

BlockTable &hostHandles()
{
    static BlockTable table;
    return table;
}

BlockTable &memoryHandles()
{
    static BlockTable table;
    return table;
}

PF_Handle hostNewHandle(A_u_longlong size)
{
    if (hostFaults().takeHandleFailure())
        return nullptr;
    return hostHandles().create(size, false);
}

void *hostLockHandle(PF_Handle h)
{
    if (hostFaults().check("host_lock_handle"))
        return nullptr;  /* the host could not lock: the callback's only failure */
    return hostHandles().lock(h);
}
void hostUnlockHandle(PF_Handle h) { hostHandles().unlock(h); }

void hostDisposeHandle(PF_Handle h)
{
    if (h && !hostHandles().dispose(h))
        reportMisuse("host_dispose_handle of an unknown handle");
}

void hostDisposeHandleCallback(PF_Handle h)
{
    hostDisposeHandle(h);
    hostFaults().check("host_dispose_handle");  /* can only throw: the callback returns nothing */
}

A_u_longlong hostGetHandleSize(PF_Handle h) { return hostHandles().size(h); }

PF_Err hostResizeHandle(A_u_longlong size, PF_Handle *h)
{
    if (!h || !hostHandles().contains(*h))
        return PF_Err_BAD_CALLBACK_PARAM;
    if (hostFaults().takeHandleFailure())
        return PF_Err_OUT_OF_MEMORY;
    return hostHandles().resize(*h, size) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

} // namespace qvh
