#include "testhost/host/plugin.h"

#include "testhost/os/os.h"

#include <stdexcept>

namespace qvh {

std::string piplPathFor(const std::string &libraryPath)
{
    std::string::size_type dot = libraryPath.rfind('.');
    std::string::size_type slash = libraryPath.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return libraryPath + ".pipl";
    return libraryPath.substr(0, dot) + ".pipl";
}

std::string defaultPluginPath()
{
    return os::executableFolder() + "Quorvel.aex";
}

// The GL driver libraries that the plug-in's contexts load stay loaded for
// the process's life, as in a host that never unloads them.
static void keepGlDriversLoaded() { os::keepGlDriversLoaded(); }

Plugin::Plugin(const std::string &path) : path_(path)
{
    keepGlDriversLoaded();
    pipl_ = readPiplFile(piplPathFor(path));
    if (pipl_.fourcc("kind") != "eFKT")
        throw std::runtime_error("PiPL does not describe an effect");
    std::string error;
    library_ = os::loadLibrary(path, error);
    if (!library_)
        throw std::runtime_error("cannot load plug-in: " + error);
    std::string entryName = pipl_.cString("8664");
    entry_ = reinterpret_cast<PF_FilterProc>(os::findSymbol(library_, entryName.c_str()));
    if (!entry_) {
        os::unloadLibrary(library_);
        throw std::runtime_error("plug-in does not export " + entryName);
    }
}

Plugin::Plugin(const std::string &path, PF_FilterProc entry) : path_(path), entry_(entry)
{
    keepGlDriversLoaded();
    pipl_ = readPiplFile(piplPathFor(path));
}

Plugin::~Plugin()
{
    /* The library stays mapped: its thread-local engines may still run
       destructors when threads end, as in the host, which never unloads. */
}

PF_Err Plugin::call(PF_Cmd cmd, PF_InData *in, PF_OutData *out, PF_ParamDef **params,
                    PF_LayerDef *output, void *extra) const
{
    return entry_(cmd, in, out, params, output, extra);
}

} // namespace qvh
