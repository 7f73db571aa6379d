#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The exit codes of the command line.
enum CliExitCode : int {
    kCliDone = 0,
    kCliBadArguments = 2,
    kCliConnectFailed = 3,
    kCliExportFailed = 4,
    kCliUntrusted = 5,       // the server's certificate is not trusted: nothing was sent to it
    kCliConnectionLost = 6,  // the scan or the export was cut short; what it had is written
    kCliIdentityFailed = 7,  // this installation's own certificate could not be made or read
    kCliWatchRefused = 8,    // --watch: the server refused the subscription or every point
};

enum class ConnectOutcome;
// A connect refused for trust rather than reach, exit kCliUntrusted: a trust store another
// user could have planted, or an endpoint list changed on the way. Nothing was sent.
bool RefusedForTrust(ConnectOutcome outcome);

// Where the command line reads and writes; the program passes the process's own.
struct CliStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // The value of an environment variable, or none.
    std::function<std::optional<std::string>(const std::string&)> environment;
    // Standard input is a terminal: ask for the password there and do not echo it.
    bool terminal = false;
    // Where `--export -` writes the points (the process's standard output); then the result
    // line goes to `err`, so that `out` stays empty.
    int dataFd = -1;
    // Removes an environment variable once its value is read, so that a password given by
    // --password-env does not stay readable in /proc for the whole run.
    std::function<void(const std::string&)> forgetEnvironment = nullptr;
};

// Runs `quorvane --export ...` (args without the program name) and returns its exit code:
// prints "N points → FILE" or the capped message on success, and on failure the window's text
// for it on the error stream. Never creates a window.
int RunCommandLine(const std::vector<std::string>& args, CliStreams& io);
