// Windows platform layer: known folders through the shell, paths as UTF-16 at
// every Windows call.
#include "support/platform.h"

// TCP_INFO_v0 and SIO_TCP_INFO are declared for Windows 10 1703 targets and
// later; on an older system the call fails and reports nothing received.
#if !defined(NTDDI_VERSION)
#define NTDDI_VERSION 0x0A000003  /* NTDDI_WIN10_RS2 */
#endif
#if !defined(_WIN32_WINNT)
#define _WIN32_WINNT 0x0A00
#endif

// winsock2.h must come before windows.h, which would bring the old winsock.h
#include <winsock2.h>
#include <mstcpip.h>

#include <direct.h>
#include <fstream>
#include <share.h>
#include <shlobj.h>
#include <stdexcept>
#include <windows.h>

namespace qv {
namespace platform {

const char kPathSeparator = '\\';

// Converts a NUL-terminated UTF-16 string to UTF-8 with the system's converter.
static std::string wideToUtf8(const wchar_t *wide, PWSTR toFree)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out;
    if (size > 0) {
        out.resize(size);
        size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, &out[0], size, nullptr, nullptr);
    }
    if (size <= 0) {
        DWORD code = GetLastError();
        CoTaskMemFree(toFree);
        throw std::runtime_error("UTF16 to UTF8 failed with error code: " + std::to_string(code));
    }
    out.resize(out.find('\0') == std::string::npos ? out.size() : out.find('\0'));
    return out;
}

static std::string GetKnownFolderUtf8(REFKNOWNFOLDERID id, const char *failureMessage)
{
    PWSTR path = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path))) {
        CoTaskMemFree(path);
        throw std::runtime_error(failureMessage);
    }
    std::string result = wideToUtf8(path, path);
    CoTaskMemFree(path);
    return result;
}

static std::wstring Utf8ToWide(const std::string &text)
{
    int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (units == 0)
        return std::wstring();
    std::wstring out(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], units);
    out.resize(units - 1);  /* drop the terminator */
    return out;
}

// Opens the stream by its UTF-16 path, sharing nothing denied. Microsoft's
// library takes the sharing mode as a third argument; libstdc++ has only the
// two-argument wide-path form, whose files other processes may open too.
static void openSharedForWriting(std::ofstream &stream, const std::wstring &path)
{
#if defined(_MSC_VER)
    stream.open(path.c_str(), std::ios::out, _SH_DENYNO);
#else
    stream.open(path.c_str(), std::ios::out);
#endif
}

std::string GetRoamingAppDataUtf8()
{
    return GetKnownFolderUtf8(FOLDERID_RoamingAppData, "RoamingAppData could not be found");
}

void MakeFolder(const std::string &utf8Path)
{
    _wmkdir(Utf8ToWide(utf8Path).c_str());
}

bool TouchForWriting(const std::string &utf8Path)
{
    std::ofstream probe;
    openSharedForWriting(probe, Utf8ToWide(utf8Path));
    bool opened = !probe.fail();
    probe.close();
    return opened;
}

std::uint32_t CurrentThreadId()
{
    return GetCurrentThreadId();
}

bool ThreadRunning(std::uint32_t thread)
{
    HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, thread);
    if (!handle)
        return false;
    bool alive = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    CloseHandle(handle);
    return alive;
}

void PinLoadedLibrary(const std::string &utf8Name)
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, Utf8ToWide(utf8Name).c_str(), &module);
}

std::uint64_t TcpBytesReceived(std::intptr_t socket)
{
    DWORD version = 0;  /* TCP_INFO_v0, Windows 10 1703 and later */
    TCP_INFO_v0 info{};
    DWORD size = 0;
    if (WSAIoctl(SOCKET(socket), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &size, nullptr,
                 nullptr) == 0 && size >= sizeof info)
        return info.BytesIn;
    return 0;
}

} // namespace platform
} // namespace qv
