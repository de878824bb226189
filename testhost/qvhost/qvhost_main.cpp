// qvhost: runs the Quorvel plug-in outside the host.
//
// Exit statuses: 0 done; 1 a frame, an output or a host command failed;
// 2 a mistake in the command line or in a file it names; 130 interrupted.
#include "testhost/qvhost/cli.h"
#include "testhost/os/terminal_text.h"
#include "testhost/os/utf8_args.h"

#include <cstdio>
#include <new>

namespace {

// CLI11 checks required options before it complains about unknown ones, so
// a misspelt "--ouput" would read "--out is required": name it first.
int reportParseError(CLI::App &app, const CLI::ParseError &e)
{
    std::vector<std::string> unknown = app.remaining(true);
    if (!unknown.empty() && dynamic_cast<const CLI::ExtrasError *>(&e) == nullptr) {
        std::fprintf(stderr, "qvhost: unknown option or argument '%s'\n", qvh::TerminalText(unknown.front()).c_str());
        return 2;
    }
    std::fprintf(stderr, "qvhost: %s\n", qvh::TerminalText(e.what()).c_str());
    std::fprintf(stderr, "run 'qvhost --help' or 'qvhost COMMAND --help' for the options\n");
    return 2;
}

int parseAndRun(CLI::App &app, int argc, char **argv, const int &status)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion &e) {
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        return reportParseError(app, e);
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    qvh::Utf8Args args(argc, argv);
    CLI::App app{"qvhost - the Quorvel host simulator", "qvhost"};
    app.require_subcommand(0, 1);
    app.allow_windows_style_options(false);  /* "/path" is a path on every system */
    app.set_version_flag("--version", "qvhost " QV_VERSION);
    int status = 0;
    qvh::addInfoCommand(app, status);
    qvh::addRenderCommand(app, status);
    qvh::addParamsCommand(app, status);
    qvh::addProjectCommand(app, status);
    qvh::addUiCommands(app, status);
    qvh::addPressCommand(app, status);
    if (args.argc() < 2) {
        std::fputs(app.help().c_str(), stderr);  /* the commands, for someone starting out */
        return 2;
    }
    try {
        return parseAndRun(app, args.argc(), args.argv(), status);
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "qvhost: out of memory\n");
        return 1;
    }
}
