// Drives one effect type through the host's commands: global setup and
// setdown, and any other command with the global data filled in.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/host/plugin.h"

#include <string>

namespace qvh {

struct CommandResult {
    PF_Err err = PF_Err_NONE;
    PF_OutData out{};
    std::string message() const { return out.return_msg; }
};

class Effect {
public:
    explicit Effect(const Plugin &plugin) : plugin_(plugin) {}

    // Runs global setup; keeps the global data; checks version and flags
    // against the PiPL (see piplMismatch()).
    CommandResult globalSetup();
    CommandResult globalSetdown();

    // Runs `cmd` with a fresh PF_InData carrying the global data; `in` may
    // pre-fill fields (times, sequence data), and receives the host's copy.
    CommandResult command(PF_Cmd cmd, void *extra = nullptr, PF_ParamDef **params = nullptr,
                          PF_LayerDef *output = nullptr, PF_InData *in = nullptr);

    PF_Handle globalData() const { return globalData_; }
    const Plugin &plugin() const { return plugin_; }
    // Empty, or what global setup reported differently from the PiPL.
    const std::string &piplMismatch() const { return piplMismatch_; }

private:
    const Plugin &plugin_;
    PF_Handle globalData_ = nullptr;
    std::string piplMismatch_;
};

} // namespace qvh
