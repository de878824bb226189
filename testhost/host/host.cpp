#include "testhost/host/host.h"

#include "testhost/host/handles.h"
#include "testhost/host/misuse.h"

#include <cstring>

namespace qvh {

Host &host()
{
    static Host *instance = [] {
        Host *h = new Host;  /* lives as long as the process, like the host */
        registerStandardSuites(h->suites);
        return h;
    }();
    return *instance;
}

std::vector<std::string> Host::scripts() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return std::vector<std::string>(scripts_.begin(), scripts_.end());
}

std::size_t Host::scriptCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return scriptCount_;
}

void Host::recordScript(const std::string &script)
{
    std::lock_guard<std::mutex> lock(mutex);
    scripts_.push_back(script);
    if (scripts_.size() > kRecordedScripts)
        scripts_.pop_front();
    ++scriptCount_;
}

AEGP_PluginID Host::registerPlugin(const std::string &name)
{
    std::lock_guard<std::mutex> lock(mutex);
    registered_.push_back(name);
    return static_cast<AEGP_PluginID>(registered_.size());
}

std::vector<std::string> Host::registeredNames() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return registered_;
}

void Host::reportMisuse(const std::string &what)
{
    qvh::reportMisuse(what);
}

std::vector<std::string> Host::misuse() const
{
    return misuseReports();
}

void Host::reset()
{
    faults.clear();
    suites.resetCounts();
    resetAbort();
    std::lock_guard<std::mutex> lock(mutex);
    appPath = u"/opt/Tessmar Host/Support Files";
    applId = 0x46585443;
    scriptRunner = nullptr;
    allowScriptAccess = false;
    optionsButtonName.clear();
    undoGroups.clear();
    openUndoGroups = 0;
    scripts_.clear();
    scriptCount_ = 0;
    registered_.clear();
    clearMisuse();
}

namespace {

PF_UtilCallbacks makeUtilCallbacks()
{
    PF_UtilCallbacks utils;
    std::memset(&utils, 0, sizeof utils);
    utils.host_new_handle = hostNewHandle;
    utils.host_lock_handle = hostLockHandle;
    utils.host_unlock_handle = hostUnlockHandle;
    utils.host_dispose_handle = hostDisposeHandleCallback;
    utils.host_get_handle_size = hostGetHandleSize;
    utils.host_resize_handle = hostResizeHandle;
    utils.ansi.sprintf = ansiSuiteSprintf();
    utils.ansi.strcpy = ansiSuiteStrcpy();
    return utils;
}

} // namespace

PF_InData makeInData()
{
    static PF_UtilCallbacks utils = makeUtilCallbacks();
    PF_InData in;
    std::memset(&in, 0, sizeof in);
    in.utils = &utils;
    in.version.major = 13;
    in.version.minor = 28;
    in.appl_id = host().applId;
    in.quality = 1;
    in.time_scale = 24;
    in.time_step = 1;
    in.local_time_step = 1;
    in.pixel_aspect_ratio = {1, 1};
    in.downsample_x = {1, 1};
    in.downsample_y = {1, 1};
    in.pica_basicP = host().suites.basicSuite();
    in.inter.abort = abortCallback;
    return in;
}

} // namespace qvh
