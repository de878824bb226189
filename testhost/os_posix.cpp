#include "testhost/os.h"

#include <csignal>
#include <dirent.h>
#include <dlfcn.h>
#include <fnmatch.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvh {
namespace os {

std::string executableFolder()
{
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    std::string path(self, n);
    return path.substr(0, path.rfind('/') + 1);
}

std::string currentFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "/";
}

bool isTerminal(int fd) { return ::isatty(fd) != 0; }

bool isReadable(const std::string &path) { return ::access(path.c_str(), R_OK) == 0; }

int pathKind(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) != 0 ? 0 : S_ISDIR(st.st_mode) ? 2 : 1;
}

bool makeFolder(const std::string &path) { return ::mkdir(path.c_str(), 0755) == 0; }

bool isPathSeparator(char c) { return c == '/'; }

bool removeFile(const std::string &path) { return std::remove(path.c_str()) == 0; }

std::FILE *openFile(const std::string &path, const char *mode) { return std::fopen(path.c_str(), mode); }

bool listFolder(const std::string &path, const std::string &mask, std::vector<std::string> &names)
{
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    while (dirent *e = ::readdir(dir))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != ".." && ::fnmatch(mask.c_str(), e->d_name, 0) == 0)
            names.push_back(e->d_name);
    ::closedir(dir);
    return true;
}

void *loadLibrary(const std::string &path, std::string &error)
{
    void *library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        error = ::dlerror();
    return library;
}

void *findSymbol(void *library, const char *name) { return ::dlsym(library, name); }

void unloadLibrary(void *library) { ::dlclose(library); }

// Leak reports made after the windowing library's shutdown can then still
// name the drivers. The GLX dispatcher stays with them: a driver kept past the
// dispatcher's unloading offers no framebuffer configuration to the next one,
// so no window could be made after a global setdown and a new global setup.
void keepGlDriversLoaded()
{
    static const char *const libraries[] = {"libGLX.so.0", "libGL.so.1", "libGLX_mesa.so.0", "libglapi.so.0",
                                            "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"};
    for (const char *library : libraries)
        ::dlopen(library, RTLD_NOW | RTLD_NODELETE);  /* a missing one is no error */
}

namespace {
void (*interruptHandler)() = nullptr;
extern "C" void onSigint(int) { interruptHandler(); }
} // namespace

void onInterrupt(void (*handler)())
{
    interruptHandler = handler;
    struct sigaction action = {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

void writeErrorNow(const char *text, std::size_t size)
{
    ssize_t ignored = ::write(2, text, size);
    (void)ignored;
}

void exitNow(int status) { ::_exit(status); }

} // namespace os
} // namespace qvh
