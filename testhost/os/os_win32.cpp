#include "testhost/os/os.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace qvh {
namespace os {
namespace {

std::wstring wide(const std::string &text)
{
    int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring out(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], units);
    out.resize(units - 1);
    return out;
}

std::string utf8(const std::wstring &text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(size - 1);
    return out;
}

bool wildcardMatch(const char *mask, const char *name)
{
    if (*mask == '\0')
        return *name == '\0';
    if (*mask == '*')
        return wildcardMatch(mask + 1, name) || (*name != '\0' && wildcardMatch(mask, name + 1));
    if (*name == '\0')
        return false;
    return (*mask == '?' || *mask == *name) && wildcardMatch(mask + 1, name + 1);
}

} // namespace

std::string executableFolder()
{
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(n);
    std::string::size_type cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::string() : utf8(path.substr(0, cut + 1));
}

std::string currentFolder()
{
    std::wstring path(32768, L'\0');
    DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(path.size()), &path[0]);
    path.resize(n);
    return utf8(path);
}

bool isTerminal(int fd) { return _isatty(fd) != 0; }

bool isReadable(const std::string &path) { return _waccess(wide(path).c_str(), 4) == 0; }

int pathKind(const std::string &path)
{
    DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 2 : 1;
}

bool makeFolder(const std::string &path) { return _wmkdir(wide(path).c_str()) == 0; }

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

bool removeFile(const std::string &path) { return _wremove(wide(path).c_str()) == 0; }

// The handler runs on a thread of its own here, where allocating is fine.
void removeFileNow(const char *path) { DeleteFileW(wide(path).c_str()); }

bool replaceFile(const std::string &from, const std::string &to, std::string &error)
{
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    error = "system error " + std::to_string(GetLastError());
    return false;
}

unsigned long processId() { return GetCurrentProcessId(); }

std::FILE *openFile(const std::string &path, const char *mode)
{
    return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

bool listFolder(const std::string &path, const std::string &mask, std::vector<std::string> &names)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(wide(path + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return pathKind(path) == 2;  /* an empty folder has no entry at all */
    do {
        std::string name = utf8(entry.cFileName);
        if (name != "." && name != ".." && wildcardMatch(mask.c_str(), name.c_str()))
            names.push_back(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return true;
}

void *loadLibrary(const std::string &path, std::string &error)
{
    HMODULE library = LoadLibraryExW(wide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library)
        error = "LoadLibrary failed with error code " + std::to_string(GetLastError());
    return reinterpret_cast<void *>(library);
}

void *findSymbol(void *library, const char *name)
{
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unloadLibrary(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }

// opengl32.dll stays loaded once the first context has loaded it.
void keepGlDriversLoaded() { LoadLibraryW(L"opengl32.dll"); }

// Not inherited: a process a script starts must not hold the frames' pipe
// open after qvhost ends.
std::FILE *takeStandardOutput()
{
    std::fflush(stdout);
    int frames = _dup(1);
    if (frames < 0)
        return nullptr;
    SetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(frames)), HANDLE_FLAG_INHERIT, 0);
    _setmode(frames, _O_BINARY);  /* no \r added before each \n byte */
    std::FILE *stream = _fdopen(frames, "wb");
    if (!stream) {
        _close(frames);
        return nullptr;
    }
    if (_dup2(2, 1) != 0) {  /* for descriptors 0 to 2 it also sets the process's standard handle */
        std::fclose(stream);
        return nullptr;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);  /* the C library has no line buffering here */
    return stream;
}

namespace {
void (*interruptHandler)(int) = nullptr;

// The statuses of the POSIX signals these events stand for: 0 for events
// left to the system (Ctrl-Break ends the process as before).
int statusOf(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT: return 128 + 2;          /* SIGINT */
    case CTRL_CLOSE_EVENT: return 128 + 1;      /* SIGHUP: the terminal went away */
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: return 128 + 15;  /* SIGTERM */
    }
    return 0;
}

// Runs on a thread the system starts for the event; TRUE keeps the process.
// After the closing, logoff and shutdown events the system ends the process
// as soon as this returns, so the handler waits: the render stops and the
// process exits by itself within the system's grace time, or is ended then
// (writes are atomic, so no file is left half written).
BOOL WINAPI onConsoleControl(DWORD event)
{
    int status = statusOf(event);
    if (status == 0)
        return FALSE;
    interruptHandler(status);
    if (event != CTRL_C_EVENT)
        Sleep(INFINITE);
    return TRUE;
}
} // namespace

void onInterrupt(void (*handler)(int status))
{
    interruptHandler = handler;
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

void writeErrorNow(const char *text, std::size_t size) { (void)_write(2, text, static_cast<unsigned>(size)); }

// TerminateProcess rather than _exit: ExitProcess would run the libraries'
// detach code, thread-local destructors among them, while renders still run.
void exitNow(int status)
{
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    for (;;) {}  /* TerminateProcess of the own process does not return */
}

} // namespace os
} // namespace qvh
