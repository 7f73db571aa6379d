// Figures of the scan history: storing and comparing 1,000,000-point scans, listing a server's
// 50 scans, and an inventory of many demo servers (optionally half of them behind a relay).
// Usage: store_bench [--servers N] [--points N] [--jobs N] [--relay-ms MS] [--skip-inventory]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/walk/demo_server_process.h"
#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "cli/inventory/inventory_run.h"
#include "engine/library_log.h"
#include "history/scan_comparison.h"
#include "store/inventory_store.h"
#include "tools/demo-server/demo_server.h"
#include "tools/relay/delay_relay.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// This process's processor time: on a shared machine the wall time says more about the others.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// A plant as the demo server's generated points look: folders of 1000, numeric NodeIds.
std::vector<StoredPoint> Plant(std::size_t count, std::size_t firstId = 1) {
    std::vector<StoredPoint> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t folder = i / 1000;
        points.push_back(
            {"ns=3;i=" + std::to_string(firstId + i),
             "Generated/F" + std::to_string(folder / 10) + "/F" + std::to_string(folder),
             "Point" + std::to_string(i), i % 7 == 0 ? "Double" : "Int32", i % 50 == 0 ? 0 : -1,
             i % 3 == 0 ? 1 : 3});
    }
    return points;
}

std::uintmax_t DatabaseBytes(const fs::path& path) {
    std::error_code ignored;
    std::uintmax_t bytes = fs::file_size(path, ignored);
    const auto wal = fs::file_size(path.string() + "-wal", ignored);
    if (!ignored) bytes += wal;
    return bytes;
}

void StoreAndCompare(const fs::path& dir) {
    const fs::path path = dir / "million.sqlite";
    auto opened = InventoryStore::Open(path);
    if (!opened.store) {
        std::fprintf(stderr, "store_bench: %s\n", opened.detail.c_str());
        return;
    }
    const auto first = Plant(1'000'000);
    auto start = Clock::now();
    double cpu = CpuSeconds();
    const auto id = opened.store->RecordScan({"opc.tcp://bench:4840", "", "", "", ""},
                                             {0, 1, true, 1, ""}, first);
    const double storeSeconds = Since(start);
    const double storeCpu = CpuSeconds() - cpu;
    opened.store.reset();  // the last connection's close folds the log into the file
    const auto bytes = DatabaseBytes(path);
    opened = InventoryStore::Open(path);
    std::printf(
        "store 1,000,000 points, one scan: %.2f s (%.2f s processor), %.1f bytes per "
        "point on disk%s\n",
        storeSeconds, storeCpu, static_cast<double>(bytes) / 1e6, id ? "" : " (FAILED)");

    // The second scan of the same server: its texts are known already.
    auto second = first;
    for (std::size_t i = 0; i < second.size(); i += 100) second[i].dataType = "Float";
    for (std::size_t i = 1; i < second.size(); i += 1000)
        second[i].nodeId += "0000000";  // renumbered
    for (std::size_t i = 2; i < second.size(); i += 1000) second[i].displayName += "_new";
    second.resize(second.size() - 5000);  // removed
    const auto added = Plant(7000, 5'000'000);
    second.insert(second.end(), added.begin(), added.end());
    start = Clock::now();
    opened.store->RecordScan({"opc.tcp://bench:4840", "", "", "", ""}, {2, 3, true, 1, ""}, second);
    const double secondSeconds = Since(start);
    opened.store.reset();
    const auto bothBytes = DatabaseBytes(path);
    opened = InventoryStore::Open(path);
    std::printf(
        "store a second 1,000,000-point scan: %.2f s, %.1f bytes per point on disk "
        "for both\n",
        secondSeconds, static_cast<double>(bothBytes) / 2e6);

    start = Clock::now();
    const auto scans = opened.store->Scans("opc.tcp://bench:4840");
    const auto a = opened.store->Points(scans[0].id);
    const auto b = opened.store->Points(scans[1].id);
    const double loadSeconds = Since(start);
    start = Clock::now();
    cpu = CpuSeconds();
    const ScanComparison comparison = CompareScans(*a, *b);
    const double compareCpu = CpuSeconds() - cpu;
    std::printf(
        "compare two 1,000,000-point scans: %.2f s (%.2f s processor; loading both from the store: "
        "%.2f s);"
        " %zu added, %zu removed, %zu changed\n",
        Since(start), compareCpu, loadSeconds, comparison.added, comparison.removed,
        comparison.changed);
}

void FiftyScans(const fs::path& dir) {
    const fs::path path = dir / "fifty.sqlite";
    {
        auto opened = InventoryStore::Open(path);
        const auto points = Plant(10'000);
        for (int i = 0; i < 50; ++i)
            opened.store->RecordScan({"opc.tcp://plc:4840", "", "", "", ""},
                                     {i * 1000, i * 1000 + 500, true, 1, ""}, points);
        // Other servers around it, as in a plant's history.
        for (int s = 0; s < 20; ++s)
            opened.store->RecordScan(
                {"opc.tcp://other" + std::to_string(s) + ":4840", "", "", "", ""},
                {0, 1, true, 1, ""}, points);
    }
    const auto start = Clock::now();
    auto opened = InventoryStore::Open(path);
    const auto scans = opened.store->Scans("opc.tcp://plc:4840");
    const double listSeconds = Since(start);
    const auto last = opened.store->Points(scans.back().id);
    const auto before = opened.store->Points(scans[scans.size() - 2].id);
    const auto comparison = CompareScans(*before, *last);
    std::printf(
        "history of a server with %zu scans (open and list): %.1f ms; with its last two "
        "10,000-point scans loaded and compared: %.1f ms\n",
        scans.size(), listSeconds * 1e3, Since(start) * 1e3);
    (void)comparison;
}

struct Options {
    int servers = 100;
    int points = 10'000;
    int jobs = 16;
    int relayMs = 0;
    bool inventory = true;
};

void Inventory(const Options& o, const fs::path& dir) {
    std::vector<std::unique_ptr<DemoServerProcess>> servers;
    std::vector<std::unique_ptr<DelayRelay>> relays;
    std::ostringstream lines;
    for (int i = 0; i < o.servers; ++i) {
        std::unique_ptr<DemoServerProcess> server;
        for (int attempt = 0; attempt < 3 && (!server || server->Url().empty()); ++attempt) {
            server = std::make_unique<DemoServerProcess>(
                QUORVANE_DEMO_SERVER,
                std::vector<std::string>{"--port", std::to_string(FreeLoopbackPort()), "--points",
                                         std::to_string(o.points)});
        }
        if (server->Url().empty()) {
            std::fprintf(stderr, "store_bench: demo server %d did not start\n", i);
            return;
        }
        std::string url = server->Url();
        if (o.relayMs > 0 && i % 2 == 1) {
            const auto port =
                static_cast<std::uint16_t>(std::atoi(url.c_str() + url.rfind(':') + 1));
            auto relay = std::make_unique<DelayRelay>("127.0.0.1", port,
                                                      std::chrono::milliseconds(o.relayMs));
            if (!relay->Start()) return;
            url = relay->Url();
            relays.push_back(std::move(relay));
        }
        lines << url << "\n";
        servers.push_back(std::move(server));
    }
    const fs::path file = dir / "plant.txt";
    std::ofstream(file) << lines.str();
    setenv("XDG_DATA_HOME", (dir / "share").c_str(), 1);
    CliOptions options;
    options.history.inventoryFile = file.string();
    options.history.jobs = o.jobs;
    std::istringstream in;
    std::ostringstream out, err;
    CliStreams io{in, out, err, [](const std::string&) { return std::nullopt; }, false};
    InventoryTimings timings;
    const int code = RunInventory(options, io, &timings);
    std::printf(
        "inventory of %d demo servers x %d points (%s), --jobs %d: %.1f s end to end, "
        "exit %d, %zu points; walks %.1f s and store %.1f s summed over the servers\n",
        o.servers, o.points,
        o.relayMs > 0
            ? ("half behind a relay at " + std::to_string(o.relayMs) + " ms each way").c_str()
            : "loopback",
        o.jobs, timings.totalSeconds, code, timings.points, timings.walkSeconds,
        timings.storeSeconds);
    // The second run compares with the first.
    const int again = RunInventory(options, io, &timings);
    std::printf("  the same again, compared with the first: %.1f s, exit %d\n",
                timings.totalSeconds, again);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&] { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
        if (arg == "--servers")
            o.servers = next();
        else if (arg == "--points")
            o.points = next();
        else if (arg == "--jobs")
            o.jobs = next();
        else if (arg == "--relay-ms")
            o.relayMs = next();
        else if (arg == "--skip-inventory")
            o.inventory = false;
        else {
            std::fprintf(stderr,
                         "usage: store_bench [--servers N] [--points N] [--jobs N] "
                         "[--relay-ms MS] [--skip-inventory]\n");
            return 2;
        }
    }
    const fs::path dir =
        fs::temp_directory_path() / ("quorvane-store-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    StoreAndCompare(dir);
    FiftyScans(dir);
    if (o.inventory) Inventory(o, dir);
    fs::remove_all(dir);
    return 0;
}
