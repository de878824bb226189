// qvhost: runs the Quorvel plug-in outside the host.
#include "testhost/cli.h"

int main(int argc, char **argv)
{
    CLI::App app{"qvhost - the Quorvel host simulator"};
    app.require_subcommand(1);
    int status = 0;
    qvh::addInfoCommand(app, status);
    qvh::addRenderCommand(app, status);
    qvh::addParamsCommand(app, status);
    qvh::addProjectCommand(app, status);
    qvh::addUiCommands(app, status);
    qvh::addPressCommand(app, status);
    CLI11_PARSE(app, argc, argv);
    return status;
}
