// A loaded effect library: its PiPL (read from the .pipl file beside it) and
// the entry point the PiPL names.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/host/pipl_reader.h"

#include <string>

namespace qvh {

class Plugin {
public:
    // Throws std::runtime_error when the library, its PiPL or its entry point
    // cannot be had.
    explicit Plugin(const std::string &path);
    // The library's PiPL with `entry` called in its place: the plug-in's code
    // linked into this program, so a benchmark can reach the engines the
    // plug-in's commands use on the calling thread.
    Plugin(const std::string &path, PF_FilterProc entry);
    ~Plugin();
    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;

    const Pipl &pipl() const { return pipl_; }
    const std::string &path() const { return path_; }
    PF_Err call(PF_Cmd cmd, PF_InData *in, PF_OutData *out, PF_ParamDef **params,
                PF_LayerDef *output, void *extra) const;

private:
    std::string path_;
    Pipl pipl_;
    void *library_ = nullptr;
    PF_FilterProc entry_ = nullptr;
};

// The Quorvel.aex built beside the running executable.
std::string defaultPluginPath();
std::string piplPathFor(const std::string &libraryPath);

} // namespace qvh
