// qvhost's subcommands register themselves with the command line here.
#pragma once

#include <CLI/CLI.hpp>

namespace qvh {

// Each adds one subcommand to `app`; the callback sets the exit status.
void addInfoCommand(CLI::App &app, int &status);
void addRenderCommand(CLI::App &app, int &status);
void addParamsCommand(CLI::App &app, int &status);
void addProjectCommand(CLI::App &app, int &status);
void addUiCommands(CLI::App &app, int &status);  // edit, about
void addPressCommand(CLI::App &app, int &status);

} // namespace qvh
