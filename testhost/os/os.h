// The operating-system services the simulator uses, one implementation per
// system (os_posix.cpp, os_win32.cpp). Paths are UTF-8 everywhere; the
// Windows side converts them to UTF-16 at each call.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace qvh {
namespace os {

// The folder of the running executable, with a trailing separator.
std::string executableFolder();
std::string currentFolder();
bool isTerminal(int fd);
bool isReadable(const std::string &path);
// 0: nothing there, 1: a file, 2: a folder.
int pathKind(const std::string &path);
bool makeFolder(const std::string &path);
// Whether `c` separates folders in a path ('/', and on Windows also '\\').
bool isPathSeparator(char c);
bool removeFile(const std::string &path);
// Removes a file without allocating; safe in the interrupt handler.
void removeFileNow(const char *path);
// Renames `from` over `to`, replacing a file there in one step (both in one
// folder); false with `error` set when it cannot.
bool replaceFile(const std::string &from, const std::string &to, std::string &error);
unsigned long processId();
std::FILE *openFile(const std::string &path, const char *mode);
// The names in a folder (without "." and "..") matching a wildcard of `*`
// and `?`; false when the folder cannot be read.
bool listFolder(const std::string &path, const std::string &mask, std::vector<std::string> &names);

// A loaded library, or null with `error` set.
void *loadLibrary(const std::string &path, std::string &error);
void *findSymbol(void *library, const char *name);
void unloadLibrary(void *library);
// Keeps the system's GL driver libraries loaded for the process's life, as a
// host that never unloads them does.
void keepGlDriversLoaded();

// Moves standard output to a private binary stream for the caller to write
// and close, and points descriptor 1, and so C's stdout, at standard error:
// whatever else the process prints goes there. Null when it cannot.
std::FILE *takeStandardOutput();

// Calls `handler` at each Ctrl-C, termination request (SIGTERM; a logoff or
// shutdown on Windows) or hang-up (SIGHUP; the console closing on Windows)
// instead of ending the process, with the status a shell reports for it
// (128 + the signal). It runs in a signal handler (POSIX) or on a thread of
// the system's (Windows), so it may only use lock-free atomics,
// removeFileNow, writeErrorNow and exitNow.
void onInterrupt(void (*handler)(int status));
// Writes to standard error without buffering or locks.
void writeErrorNow(const char *text, std::size_t size);
// Ends the process with `status` at once: no exit handlers, no library
// unloading, no flushing.
[[noreturn]] void exitNow(int status);

} // namespace os
} // namespace qvh
