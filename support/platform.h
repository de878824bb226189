// The few operating-system services the plug-in needs, one implementation per
// system (platform_win32.cpp, platform_posix.cpp); the build picks one.
#pragma once

#include <cstdint>
#include <string>

namespace qv {
namespace platform {

// The separator between folder names in paths this system hands out.
extern const char kPathSeparator;

// The per-user roaming data folder in UTF-8; throws std::runtime_error with a
// message when it cannot be found.
std::string GetRoamingAppDataUtf8();

// Creates one folder; an existing folder or any failure is silently ignored,
// since the probe that follows tells whether the chain is usable.
void MakeFolder(const std::string &utf8Path);

// Creates or truncates the file for writing, writes nothing, closes it.
// Returns false when the file could not be opened.
bool TouchForWriting(const std::string &utf8Path);

// Bytes a connected TCP socket has received so far, as the system counts
// them, whether or not they have been read yet; 0 when the system cannot tell.
std::uint64_t TcpBytesReceived(std::intptr_t socket);

#if defined(_WIN32)
// Windows ties a window to the thread that made it and unloads a library
// whatever threads of its own still run: the engine works around both.

// The calling thread's id; 0 names no thread.
std::uint32_t CurrentThreadId();

// Whether the thread with this id still runs; false when it ended or cannot
// be asked.
bool ThreadRunning(std::uint32_t thread);

// Keeps a library that is loaded now (by file name, UTF-8) loaded until the
// process ends; does nothing when it is not loaded.
void PinLoadedLibrary(const std::string &utf8Name);
#endif

} // namespace platform
} // namespace qv
