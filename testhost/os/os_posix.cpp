#include "testhost/os/os.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
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

void removeFileNow(const char *path) { ::unlink(path); }

bool replaceFile(const std::string &from, const std::string &to, std::string &error)
{
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = std::strerror(errno);
    return false;
}

unsigned long processId() { return static_cast<unsigned long>(::getpid()); }

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

// Close-on-exec: a process a script starts must not hold the frames' pipe
// open after qvhost ends.
std::FILE *takeStandardOutput()
{
    std::fflush(stdout);
    int frames = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
    if (frames < 0)
        return nullptr;
    std::FILE *stream = ::fdopen(frames, "wb");
    if (!stream) {
        ::close(frames);
        return nullptr;
    }
    if (::dup2(2, 1) < 0) {
        std::fclose(stream);
        return nullptr;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);  /* lines, as they interleave with standard error's */
    return stream;
}

namespace {
void (*interruptHandler)(int) = nullptr;
extern "C" void onSignal(int signal) { interruptHandler(128 + signal); }
} // namespace

// SA_RESTART: a frame being written to a pipe goes on whole after the signal.
void onInterrupt(void (*handler)(int status))
{
    interruptHandler = handler;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void writeErrorNow(const char *text, std::size_t size)
{
    ssize_t ignored = ::write(2, text, size);
    (void)ignored;
}

void exitNow(int status) { ::_exit(status); }

} // namespace os
} // namespace qvh
