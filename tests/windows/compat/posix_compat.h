// The few POSIX calls the shared test sources make, for the Windows build of
// the tests (force-included there). Paths stay narrow: the tests make their
// own ASCII temporary folders.
#pragma once

#ifdef _WIN32
#include <cstdlib>
#include <cstring>
#include <direct.h>
#include <io.h>
#include <process.h>
#include <string>
#include <sys/stat.h>

inline int mkdir(const char *path, int) { return _mkdir(path); }

inline char *mkdtemp(char *pattern)
{
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    static unsigned long long seed = static_cast<unsigned long long>(_getpid()) * 2654435761u;
    std::size_t n = std::strlen(pattern);
    if (n < 6)
        return nullptr;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        unsigned long long v = seed++ * 6364136223846793005ull + 1442695040888963407ull;
        for (std::size_t i = n - 6; i < n; ++i, v /= 36)
            pattern[i] = kDigits[v % 36];
        if (_mkdir(pattern) == 0)
            return pattern;
    }
    return nullptr;
}

inline int setenv(const char *name, const char *value, int overwrite)
{
    if (!overwrite && std::getenv(name))
        return 0;
    return _putenv_s(name, value);
}

inline int unsetenv(const char *name) { return _putenv_s(name, ""); }
#endif
