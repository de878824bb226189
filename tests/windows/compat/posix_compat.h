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
    std::size_t n = std::strlen(pattern);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string unique = std::to_string(_getpid() * 1000 + (counter++ % 1000)) + "xxxxxx";
        std::memcpy(pattern + n - 6, unique.c_str() + unique.size() - 6, 6);
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
