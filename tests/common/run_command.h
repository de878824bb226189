// Runs a shell command as a user would and collects what it prints, for the
// tests that drive qvhost from outside.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct CommandRun {
    int status;          // the exit status; -1 when the command did not exit by itself
    std::string output;  // its standard output (and error, where the command sends it there)
};

inline CommandRun runCommand(const std::string &command)
{
    CommandRun run{-1, ""};
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
