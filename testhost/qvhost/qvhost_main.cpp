// qvhost: runs the Quorvel plug-in outside the host. Its exit statuses are
// in cli_errors.h; what a command throws becomes its message and status here.
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/os/utf8_args.h"

#include <cstdio>

namespace {

// CLI11 checks required options before it complains about unknown ones, so
// a misspelt "--ouput" would read "--out is required": name it first.
int reportParseError(CLI::App &app, const CLI::ParseError &e)
{
    std::vector<std::string> unknown = app.remaining(true);
    if (!unknown.empty() && dynamic_cast<const CLI::ExtrasError *>(&e) == nullptr) {
        qvh::printError("unknown option or argument '" + unknown.front() + "'");
        return qvh::kExitBadInput;
    }
    qvh::printError(e.what());
    std::fprintf(stderr, "run 'qvhost --help' or 'qvhost COMMAND --help' for the options\n");
    return qvh::kExitBadInput;
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
    int status = qvh::kExitDone;
    qvh::addInfoCommand(app, status);
    qvh::addRenderCommand(app, status);
    qvh::addParamsCommand(app, status);
    qvh::addProjectCommand(app, status);
    qvh::addUiCommands(app, status);
    qvh::addPressCommand(app, status);
    if (args.argc() < 2) {
        std::fputs(app.help().c_str(), stderr);  /* the commands, for someone starting out */
        return qvh::kExitBadInput;
    }
    try {
        return parseAndRun(app, args.argc(), args.argv(), status);
    } catch (...) {
        return qvh::reportError();  /* whatever a command threw, after its files and plug-in are closed */
    }
}
