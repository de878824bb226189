// The effect's global data: one host handle made at global setup.
#pragma once

#include "sdk/ae_sdk.h"

#include <atomic>
#include <cstdint>

namespace qv {

// The host's application id for Premiere Pro ('PrMr'), which gets less.
constexpr A_long kPremiereApplId = 0x50724D72;

constexpr std::size_t kPluginFolderCapacity = 4096;
constexpr std::size_t kGlobalDataHandleSize = 4112;

struct GlobalData {
    uint32_t pluginId;                        // AEGP plug-in ID from registration
    char pluginFolder[kPluginFolderCapacity]; // "<app>\Plug-ins", escaped for script literals
    // Set once the debug log window exists, on the user-interface thread,
    // while render threads read it: atomic.
    std::atomic<uint8_t> debugWindowOpened;
    // The host's "Allow Scripts to Write Files and Access Network" preference
    // as last read on the user-interface thread (which alone may run host
    // scripts); renders only load it. Zero, "off", until it was read.
    std::atomic<uint8_t> scriptAccessAllowed;
};
static_assert(sizeof(std::atomic<uint8_t>) == 1, "the flag keeps the handle's layout");
static_assert(sizeof(GlobalData) <= kGlobalDataHandleSize, "GlobalData outgrew its handle");

} // namespace qv
