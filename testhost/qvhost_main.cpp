// qvhost: runs the Quorvel plug-in outside the host.
#include "testhost/cli.h"
#include "testhost/utf8_args.h"

int main(int argc, char **argv)
{
    qvh::Utf8Args args(argc, argv);
    CLI::App app{"qvhost - the Quorvel host simulator"};
    app.require_subcommand(1);
    app.allow_windows_style_options(false);  /* "/path" is a path on every system */
    int status = 0;
    qvh::addInfoCommand(app, status);
    qvh::addRenderCommand(app, status);
    qvh::addParamsCommand(app, status);
    qvh::addProjectCommand(app, status);
    qvh::addUiCommands(app, status);
    CLI11_PARSE(app, args.argc(), args.argv());
    return status;
}
