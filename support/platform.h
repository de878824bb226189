// The few operating-system services the plug-in needs, one implementation per
// system (platform_win32.cpp, platform_posix.cpp); the build picks one.
#pragma once

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

// True while the process is ending (on Windows: the loader runs the DLLs'
// detach code with the other threads already stopped). Cleanup that takes
// locks or calls into the windowing system must be skipped then: a lock may
// be held by a stopped thread, and the system frees everything anyway.
bool ProcessIsEnding();

} // namespace platform
} // namespace qv
