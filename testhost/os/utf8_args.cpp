#include "testhost/os/utf8_args.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace qvh {

#ifdef _WIN32
static std::vector<std::string> commandLine()
{
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide && i < count; ++i) {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? size : 1, '\0');
        if (size > 0)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], size, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    LocalFree(wide);
    return args;
}
#endif

Utf8Args::Utf8Args(int argc, char **argv)
{
#ifdef _WIN32
    args_ = commandLine();
#endif
    if (args_.empty())
        args_.assign(argv, argv + argc);
    for (std::string &arg : args_)
        pointers_.push_back(&arg[0]);
}

} // namespace qvh
