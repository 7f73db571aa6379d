#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "os/file_io.h"
#include "ui/quorvane_app.h"

namespace {

int RunWithoutWindow(const std::vector<std::string>& args) {
    // A closed pipe must show as a failed write, not end the process unseen.
    std::signal(SIGPIPE, SIG_IGN);
    // Standard output carries only the result, for scripts; anything the OPC UA stack prints to
    // standard output goes to standard error from here on.
    const int resultFd = ::dup(STDOUT_FILENO);
    if (resultFd < 0) {
        std::cerr << "quorvane: standard output: " << std::strerror(errno) << '\n';
        return kCliExportFailed;
    }
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    std::ostringstream result;
    CliStreams io{std::cin,
                  result,
                  std::cerr,
                  [](const std::string& name) -> std::optional<std::string> {
                      const char* value = std::getenv(name.c_str());
                      if (value == nullptr) return std::nullopt;
                      return std::string(value);
                  },
                  ::isatty(STDIN_FILENO) == 1,
                  resultFd,
                  [](const std::string& name) { ::unsetenv(name.c_str()); }};
    int code = RunCommandLine(args, io);
    std::cout.flush();
    if (!WriteAll(resultFd, result.str())) {
        std::cerr << "quorvane: standard output: " << std::strerror(errno) << '\n';
        if (code == kCliDone) code = kCliExportFailed;
    }
    ::close(resultFd);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The command line needs no display: it returns before any Qt application exists.
    if (WantsCommandLine(args)) return RunWithoutWindow(args);
    CQuorvaneApp app(argc, argv);
    return app.Run();
}
