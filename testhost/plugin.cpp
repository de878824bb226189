#include "testhost/plugin.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdexcept>
#include <unistd.h>

namespace qvh {

std::string piplPathFor(const std::string &libraryPath)
{
    std::string::size_type dot = libraryPath.rfind('.');
    std::string::size_type slash = libraryPath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return libraryPath + ".pipl";
    return libraryPath.substr(0, dot) + ".pipl";
}

std::string defaultPluginPath()
{
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "Quorvel.aex";
    std::string path(self, n);
    return path.substr(0, path.rfind('/') + 1) + "Quorvel.aex";
}

// The GL driver libraries that the plug-in's contexts load stay mapped for the
// process's life, as in a host that never unloads them: leak reports made
// after the windowing library's shutdown can then still name them. The GLX
// dispatcher stays with them: a driver kept past the dispatcher's unloading
// offers no framebuffer configuration to the next one, so no window could be
// made after a global setdown and a new global setup.
static void keepGlDriversLoaded()
{
    static const char *const libraries[] = {"libGLX.so.0", "libGL.so.1", "libGLX_mesa.so.0", "libglapi.so.0",
                                            "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"};
    for (const char *library : libraries)
        ::dlopen(library, RTLD_NOW | RTLD_NODELETE);  /* a missing one is no error */
}

Plugin::Plugin(const std::string &path) : path_(path)
{
    keepGlDriversLoaded();
    pipl_ = readPiplFile(piplPathFor(path));
    if (pipl_.fourcc("kind") != "eFKT")
        throw std::runtime_error("PiPL does not describe an effect");
    library_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_)
        throw std::runtime_error(std::string("cannot load plug-in: ") + ::dlerror());
    std::string entryName = pipl_.cString("8664");
    entry_ = reinterpret_cast<PF_FilterProc>(::dlsym(library_, entryName.c_str()));
    if (!entry_) {
        ::dlclose(library_);
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
