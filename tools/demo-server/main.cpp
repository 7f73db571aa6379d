// quorvane-demo-server: the bundled OPC UA server, for trying the tool, the tests and benchmarks.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/demo-server/demo_options.h"
#include "tools/demo-server/demo_server.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }
}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseDemoOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::fputs(DemoUsage(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "quorvane-demo-server: %s\n%s", parsed.error.c_str(), DemoUsage());
        return 2;
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    DemoServer server(parsed.options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "quorvane-demo-server: %s\n", error.c_str());
        return 1;
    }
    std::printf("READY %s\n", server.Url().c_str());
    std::fflush(stdout);
    while (!stopRequested) ::usleep(50 * 1000);
    server.Stop();
    return 0;
}
