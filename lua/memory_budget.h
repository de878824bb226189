// The allocator of a render's Lua state, with a ceiling on what one state may
// hold. The ceiling applies while the user's script runs; the host's own
// steps around it (registration, the message, closing) are not capped, so an
// allocation there never fails into Lua's panic handler.
#pragma once

#include <cstddef>

namespace qv {

// Far above what scripts need (a table with a number for every channel of a
// 4K frame fits), far below what takes a host down.
constexpr std::size_t kScriptMemoryCap = std::size_t(1) << 30;
constexpr std::size_t kNoMemoryCap = ~std::size_t(0);

struct MemoryBudget {
    std::size_t used = 0;
    std::size_t cap = kNoMemoryCap;  // past it an allocation fails: "not enough memory"
};

// A lua_Alloc whose userdata is a MemoryBudget.
void *budgetedAlloc(void *budget, void *block, std::size_t oldSize, std::size_t newSize);

} // namespace qv
