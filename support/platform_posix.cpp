// POSIX twin of the Windows platform layer: the roaming folder is the XDG
// data folder.
#include "support/platform.h"

#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#ifdef __linux__
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace platform {

const char kPathSeparator = '/';

// Creates every missing folder of an absolute path; true when it exists after.
static bool makeFolders(const std::string &path)
{
    for (std::string::size_type at = 1; at != std::string::npos;) {
        at = path.find('/', at + 1);
        ::mkdir(path.substr(0, at).c_str(), 0755);
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string GetRoamingAppDataUtf8()
{
    std::string folder;
    const char *xdg = std::getenv("XDG_DATA_HOME");
    const char *home = std::getenv("HOME");
    if (xdg && *xdg == '/')
        folder = xdg;
    else if (home && *home == '/')
        folder = std::string(home) + "/.local/share";
    /* created on demand, as the Windows lookup does */
    if (folder.empty() || !makeFolders(folder))
        throw std::runtime_error("RoamingAppData could not be found");
    return folder;
}

void MakeFolder(const std::string &utf8Path)
{
    ::mkdir(utf8Path.c_str(), 0755);
}

bool TouchForWriting(const std::string &utf8Path)
{
    int fd = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Thread-local destructors at exit run with the other threads still alive.
std::uint64_t TcpBytesReceived(std::intptr_t socket)
{
#ifdef __linux__
    tcp_info info{};
    socklen_t size = sizeof info;
    if (getsockopt(int(socket), IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
        size >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
        return info.tcpi_bytes_received;
#else
    (void)socket;
#endif
    return 0;
}

} // namespace platform
} // namespace qv
