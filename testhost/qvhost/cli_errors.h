// How every qvhost command ends: with one of a few exit statuses, and, when
// it cannot finish, with a CliError that carries its status up to main, the
// one place that prints it ("qvhost: " and the message) and exits with it.
#pragma once

#include <stdexcept>
#include <string>

namespace qvh {

enum ExitStatus : int {
    kExitDone = 0,
    kExitFailed = 1,       // a frame, a write or a command of the plug-in failed
    kExitBadInput = 2,     // a mistake in the options, a file they name or the plug-in cannot be used, no display
    kExitInterrupted = 130 // Ctrl-C; SIGTERM and SIGHUP give 143 and 129 (interruptStatus)
};

class CliError : public std::runtime_error {
public:
    CliError(ExitStatus status, const std::string &message) : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

private:
    ExitStatus status_;
};

// A mistake in the command line: an option's value, or options that
// exclude each other.
struct UsageError : CliError {
    explicit UsageError(const std::string &message) : CliError(kExitBadInput, message) {}
};

// A file the command line names (code, project, image, script, plug-in) that
// cannot be read or used; the message names the file.
struct InputError : CliError {
    explicit InputError(const std::string &message) : CliError(kExitBadInput, message) {}
};

// A failure of the work itself: the plug-in refused a command, a file could
// not be written.
struct RunError : CliError {
    explicit RunError(const std::string &message) : CliError(kExitFailed, message) {}
};

// Prints `message` as qvhost's own ("qvhost: ...", control characters
// escaped) on standard error.
void printError(const std::string &message);

// The status for the exception being handled, its message printed: a
// CliError's own status, 1 for anything else (out of memory, a failure of
// the simulator's).
int reportError();

// The whole content of a file the command line names; an InputError
// naming the file and `what` it is when it cannot be read.
std::string readFile(const std::string &path, const std::string &what = "code file");

} // namespace qvh
