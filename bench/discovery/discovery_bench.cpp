// Sweeps of loopback ranges with nothing listening and with 30 demo servers, and GetEndpoints of
// 100 servers; prints time, peak memory and the most descriptors open at once.
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/process_memory.h"
#include "discovery/discovery_run.h"
#include "engine/library_log.h"
#include "tools/demo-server/demo_server.h"

namespace {

using Clock = std::chrono::steady_clock;

std::size_t OpenDescriptors() {
    std::size_t n = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) ++n;
        ::closedir(dir);
    }
    return n > 3 ? n - 3 : 0;  // ".", ".." and the directory's own descriptor
}

struct Figures {
    double seconds = 0;
    std::size_t probes = 0;
    std::size_t servers = 0;
    std::size_t peakInFlight = 0;
    std::size_t peakDescriptors = 0;
};

Figures Measure(const DiscoveryRequest& request) {
    ResetPeakResident();
    Figures f;
    std::size_t peakFds = 0;
    DiscoveryEvents events;
    events.progress = [&](const DiscoveryProgress&) {
        peakFds = std::max(peakFds, OpenDescriptors());
    };
    const std::atomic<bool> cancel{false};
    const auto start = Clock::now();
    const DiscoveryResult result = RunDiscovery(request, {}, cancel, events);
    f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    f.probes = result.probes;
    f.servers = result.servers.size();
    f.peakInFlight = result.peakInFlight;
    f.peakDescriptors = peakFds;
    return f;
}

void Print(const char* what, const Figures& f, double target) {
    std::printf(
        "%-46s %7.2f s (target < %.0f s)  probes %6zu  servers %3zu  in flight <= %zu  "
        "descriptors <= %zu  peak RSS %.1f MiB\n",
        what, f.seconds, target, f.probes, f.servers, f.peakInFlight, f.peakDescriptors,
        static_cast<double>(PeakResidentBytes()) / (1024.0 * 1024.0));
}

// Every address of the block, its first and last included, as the figures count them.
DiscoveryRequest Sweep(const std::string& range) {
    DiscoveryRequest request;
    request.hosts = ParseRange(range).hosts;
    return request;
}

std::vector<std::unique_ptr<DemoServer>> StartServers(int first, int count, int thirdOctet) {
    std::vector<std::unique_ptr<DemoServer>> servers;
    for (int i = first; i < first + count; ++i) {
        DemoServerOptions options;
        options.host = "127.0." + std::to_string(thirdOctet) + "." + std::to_string(i);
        options.port = 48010;
        options.emptyObjects = true;
        auto server = std::make_unique<DemoServer>(options);
        std::string error;
        if (!server->Start(&error)) {
            std::fprintf(stderr, "demo server on %s: %s\n", options.host.c_str(), error.c_str());
            continue;
        }
        servers.push_back(std::move(server));
    }
    return servers;
}

}  // namespace

int main() {
    SetLibraryLog(LibraryLog::Silent);
    std::printf("16 ports each, probe timeout 1 s, 512 in flight, 16 GetEndpoints at once\n");
    Print("127.0.0.0/24 x 16, nothing listening", Measure(Sweep("127.0.0.0-127.0.0.255")), 5);
    {
        const auto servers = StartServers(2, 30, 0);
        const Figures f = Measure(Sweep("127.0.0.0-127.0.0.255"));
        Print("127.0.0.0/24 x 16, 30 demo servers", f, 5);
        std::printf("  found %zu of %zu servers\n", f.servers, servers.size());
    }
    Print("127.0.0.0/22 x 16, nothing listening", Measure(Sweep("127.0.0.0-127.0.3.255")), 15);
    {
        const auto servers = StartServers(1, 100, 9);
        DiscoveryRequest request;
        for (const auto& s : servers) request.urls.push_back(s->Url());
        const Figures f = Measure(request);
        Print("GetEndpoints of 100 servers", f, 3);
        std::printf("  answered %zu of %zu\n", f.servers, servers.size());
    }
    return 0;
}
