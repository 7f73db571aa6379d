#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "ui/quorvane_app.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The command line needs no display: it returns before any Qt application exists.
    if (WantsCommandLine(args)) {
        CliStreams io{std::cin, std::cout, std::cerr,
                      [](const std::string& name) -> std::optional<std::string> {
                          const char* value = std::getenv(name.c_str());
                          if (value == nullptr) return std::nullopt;
                          return std::string(value);
                      },
                      ::isatty(STDIN_FILENO) == 1};
        return RunCommandLine(args, io);
    }
    CQuorvaneApp app(argc, argv);
    return app.Run();
}
