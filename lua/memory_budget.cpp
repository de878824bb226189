#include "lua/memory_budget.h"

#include <cstdlib>

namespace qv {

void *budgetedAlloc(void *userdata, void *block, std::size_t oldSize, std::size_t newSize)
{
    auto *budget = static_cast<MemoryBudget *>(userdata);
    std::size_t held = block ? oldSize : 0;  /* without a block, oldSize is a type tag */
    if (newSize == 0) {
        std::free(block);
        budget->used -= held;
        return nullptr;
    }
    std::size_t growth = newSize > held ? newSize - held : 0;
    if (growth > budget->cap || budget->used > budget->cap - growth)
        return nullptr;  /* Lua collects and tries again, then fails with "not enough memory" */
    void *grown = std::realloc(block, newSize);
    if (grown)
        budget->used = budget->used - held + newSize;
    return grown;
}

} // namespace qv
