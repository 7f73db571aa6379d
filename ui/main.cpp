#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "ui/quorvane_app.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The command line needs no display: it returns before any Qt application exists.
    if (WantsCommandLine(args)) {
        // Standard output carries only the result, for scripts; the OPC UA stack logs to
        // standard output, so from here on that goes to standard error.
        const int resultFd = ::dup(STDOUT_FILENO);
        if (resultFd >= 0) ::dup2(STDERR_FILENO, STDOUT_FILENO);
        std::ostringstream result;
        CliStreams io{std::cin, result, std::cerr,
                      [](const std::string& name) -> std::optional<std::string> {
                          const char* value = std::getenv(name.c_str());
                          if (value == nullptr) return std::nullopt;
                          return std::string(value);
                      },
                      ::isatty(STDIN_FILENO) == 1};
        const int code = RunCommandLine(args, io);
        std::cout.flush();
        const std::string text = result.str();
        if (resultFd >= 0) {
            for (std::size_t done = 0; done < text.size();) {
                const ssize_t n = ::write(resultFd, text.data() + done, text.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
        }
        return code;
    }
    CQuorvaneApp app(argc, argv);
    return app.Run();
}
