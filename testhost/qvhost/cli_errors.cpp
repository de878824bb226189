#include "testhost/qvhost/cli_errors.h"
#include "testhost/os/os.h"
#include "testhost/os/terminal_text.h"

#include <cstdio>
#include <memory>
#include <new>

namespace qvh {

void printError(const std::string &message)
{
    std::fprintf(stderr, "qvhost: %s\n", TerminalText(message).c_str());
}

int reportError()
{
    try {
        throw;
    } catch (const CliError &e) {
        printError(e.what());
        return e.status();
    } catch (const std::bad_alloc &) {
        printError("out of memory");
    } catch (const std::exception &e) {
        printError(e.what());
    } catch (...) {
        printError("an unknown failure");
    }
    return kExitFailed;
}

// Read with stdio so that a folder, which opens, fails at its first read.
std::string readFile(const std::string &path, const std::string &what)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> in(os::openFile(path, "rb"), std::fclose);
    std::string text;
    char buffer[65536];
    for (std::size_t n; in && (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
        text.append(buffer, n);
    if (!in || std::ferror(in.get()))
        throw InputError(path + ": cannot read the " + what);
    return text;
}

} // namespace qvh
