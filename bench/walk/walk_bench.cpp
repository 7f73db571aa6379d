// walk_bench: how long a whole scan takes, how many requests it sends and how much client
// memory it holds. The demo server runs as a child process; every measured walk runs in a
// fresh process of its own (this program again, with --measure) so that its resident memory
// is the client's alone and starts clean.
//
// Two kinds of rows:
// - plant shapes (ten points to an object, three levels of objects) at round trips of 0, 1,
//   10 and 50 ms: a loopback relay in this process delays each direction by half the trip;
// - the flat case (folders of 1000) on loopback, each size also with a "bare" row: the same
//   Browse, BrowseNext and Read calls one at a time with bare open62541 types and nothing
//   else (raw_walk.cpp), as a yardstick on this machine.
//
//   walk_bench [--repeat R] [--rtt MS ...] [--plant N ...] [N ...]
//   defaults: 3 walks each; plants of 40000 and 200000 at 0 1 10 50 ms; flat 100000
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/process_memory.h"
#include "bench/walk/demo_server_process.h"
#include "bench/walk/raw_walk.h"
#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "tools/demo-server/demo_server.h"
#include "tools/relay/delay_relay.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Processor time of this whole process (walk and consumer threads), user and system.
double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// An anonymous session on `url`; says so on stderr when there is none.
bool Connect(OPCUABrowser& browser, const std::string& url) {
    if (browser.ConnectAnonymous(url, 30) == 0) return true;
    std::fprintf(stderr, "walk_bench: cannot connect to %s\n", url.c_str());
    return false;
}

// One walk against `url` with a consumer that drains like the window's scan poll: everything
// waiting, then a short sleep. Prints one "FIGURES key=value ..." line.
int Measure(const std::string& url) {
    PointList list;
    OPCUABrowser browser(&list);
    if (!Connect(browser, url)) return 1;
    const std::size_t before = ResidentBytes();
    const bool peakReset = ResetPeakResident();

    std::vector<OPCUAItemData*> rows;  // what the window keeps
    std::atomic<bool> ended{false};
    Clock::time_point endSeen;
    std::thread window([&] {
        OPCUAItemData* record = nullptr;
        while (!ended) {
            while (list.get(record, false)) {
                if (IsEndMarker(*record)) {
                    delete record;
                    endSeen = Clock::now();
                    ended = true;
                    break;
                }
                rows.push_back(record);
            }
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    BrowseStats stats;
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    browser.BrowseAll(&stats);
    const Clock::time_point done = Clock::now();
    window.join();
    const std::size_t peak = PeakResidentBytes();
    const std::size_t after = ResidentBytes();
    const double cpu = CpuSeconds() - cpuBefore;

    std::printf(
        "FIGURES points=%zu walk=%.4f sort=%.4f read=%.4f handover=%.4f total=%.4f "
        "delivered=%.4f requests=%llu next=%llu reads=%llu rss_growth=%zu rss_kept=%zu "
        "cpu=%.4f peak_reset=%d\n",
        rows.size(), stats.walkSeconds, stats.sortSeconds, stats.readSeconds, stats.handoverSeconds,
        Seconds(start, done), Seconds(start, endSeen),
        static_cast<unsigned long long>(stats.browseRequests.load()),
        static_cast<unsigned long long>(stats.browseNextRequests.load()),
        static_cast<unsigned long long>(stats.readRequests.load()),
        peak > before ? peak - before : 0, after > before ? after - before : 0, cpu,
        peakReset ? 1 : 0);
    for (OPCUAItemData* record : rows) delete record;
    return 0;
}

// The yardstick walk against `url`, printed like Measure.
int MeasureBare(const std::string& url) {
    PointList list;
    OPCUABrowser browser(&list);
    if (!Connect(browser, url)) return 1;
    const std::size_t before = ResidentBytes();
    const bool peakReset = ResetPeakResident();
    const double cpuBefore = CpuSeconds();
    const RawFigures raw = RawWalk(browser.Client());
    const double cpu = CpuSeconds() - cpuBefore;
    const std::size_t peak = PeakResidentBytes();
    std::printf(
        "FIGURES points=%zu walk=%.4f sort=0 read=%.4f handover=0 total=%.4f "
        "requests=%zu next=0 reads=1 rss_growth=%zu rss_kept=0 cpu=%.4f peak_reset=%d\n",
        raw.points, raw.walkSeconds, raw.readSeconds, raw.walkSeconds + raw.readSeconds,
        raw.requests, peak > before ? peak - before : 0, cpu, peakReset ? 1 : 0);
    return 0;
}

using Figures = std::map<std::string, double>;

Figures ParseFigures(const std::string& output) {
    Figures figures;
    const std::size_t at = output.find("FIGURES ");
    if (at == std::string::npos) return figures;
    std::istringstream line(output.substr(at + 8, output.find('\n', at) - at - 8));
    std::string pair;
    while (line >> pair) {
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos) figures[pair.substr(0, eq)] = std::atof(pair.c_str() + eq + 1);
    }
    return figures;
}

// Runs `repeat` measuring processes and returns the run with the median total; empty when
// one failed.
Figures MedianRun(const char* self, const std::string& url, int repeat, bool bare) {
    std::vector<Figures> runs;
    for (int r = 0; r < repeat; ++r) {
        Figures figures = ParseFigures(RunAndCapture(self, {bare ? "--bare" : "--measure", url}));
        if (figures.empty()) return {};
        runs.push_back(std::move(figures));
    }
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a["total"] < b["total"]; });
    return runs[runs.size() / 2];
}

void PrintHeader() {
    std::printf("%-7s %7s %5s %7s %7s %7s %7s %7s %8s %8s %8s %8s %7s %6s %7s %7s %7s\n", "shape",
                "N", "rtt", "points", "walk", "read", "sort", "handovr", "total", "client",
                "points/s", "browse", "of them", "reads", "peak", "peak", "kept");
    std::printf("%-7s %7s %5s %7s %7s %7s %7s %7s %8s %8s %8s %8s %7s %6s %7s %7s %7s\n", "", "",
                "ms", "", "ms", "ms", "ms", "ms", "ms", "cpu ms", "", "requests", "Next", "", "MB",
                "B/point", "B/point");
}

void PrintRow(const char* shape, std::size_t size, const std::string& rtt, Figures& m) {
    const double points = m["points"];
    const double perPoint = points > 0 ? 1.0 / points : 0.0;
    std::printf(
        "%-7s %7zu %5s %7.0f %7.1f %7.1f %7.1f %7.1f %8.1f %8.1f %8.0f %8.0f %7.0f %6.0f %7.1f "
        "%7.0f %7.0f\n",
        shape, size, rtt.c_str(), points, m["walk"] * 1e3, m["read"] * 1e3, m["sort"] * 1e3,
        m["handover"] * 1e3, m["total"] * 1e3, m["cpu"] * 1e3, points / m["total"], m["requests"],
        m["next"], m["reads"], m["rss_growth"] / 1048576.0, m["rss_growth"] * perPoint,
        m["rss_kept"] * perPoint);
    std::fflush(stdout);
}

// The demo server with `args`, on a free port; null (and a message) when it did not start.
std::unique_ptr<DemoServerProcess> StartServer(std::vector<std::string> args) {
    std::unique_ptr<DemoServerProcess> server;
    // A port found free can be taken before the server binds it: a few tries.
    for (int attempt = 0; attempt < 3 && (!server || server->Url().empty()); ++attempt) {
        std::vector<std::string> all = {"--port", std::to_string(FreeLoopbackPort())};
        all.insert(all.end(), args.begin(), args.end());
        server = std::make_unique<DemoServerProcess>(QUORVANE_DEMO_SERVER, all);
    }
    if (server->Url().empty()) {
        std::fprintf(stderr, "walk_bench: the demo server did not start\n");
        return nullptr;
    }
    return server;
}

std::uint16_t PortOf(const std::string& url) {
    return static_cast<std::uint16_t>(std::atoi(url.c_str() + url.rfind(':') + 1));
}

struct Options {
    int repeat = 3;
    std::vector<int> rtts;
    std::vector<std::size_t> plants;
    std::vector<std::size_t> flats;
};

// Ten points to an object, three levels of objects: N/10 objects at the bottom.
bool RunPlant(const char* self, const Options& o, std::size_t size) {
    const auto server = StartServer(
        {"--points", std::to_string(size), "--points-per-folder", "10", "--depth", "3"});
    if (!server) return false;
    for (const int rtt : o.rtts) {
        std::unique_ptr<DelayRelay> relay;
        std::string url = server->Url();
        if (rtt > 0) {
            relay = std::make_unique<DelayRelay>("127.0.0.1", PortOf(url),
                                                 std::chrono::microseconds(rtt * 500));
            std::string error;
            if (!relay->Start(&error)) {
                std::fprintf(stderr, "walk_bench: relay: %s\n", error.c_str());
                return false;
            }
            url = relay->Url();
        }
        Figures median = MedianRun(self, url, o.repeat, false);
        if (median.empty()) {
            std::fprintf(stderr, "walk_bench: a walk of %zu points at %d ms failed\n", size, rtt);
            return false;
        }
        PrintRow("plant", size, std::to_string(rtt), median);
    }
    return true;
}

bool RunFlat(const char* self, const Options& o, std::size_t size) {
    const auto server = StartServer({"--points", std::to_string(size)});
    if (!server) return false;
    for (const bool bare : {false, true}) {
        Figures median = MedianRun(self, server->Url(), o.repeat, bare);
        if (median.empty()) {
            std::fprintf(stderr, "walk_bench: a walk of %zu points failed\n", size);
            return false;
        }
        PrintRow(bare ? "bare" : "flat", size, "0", median);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--measure" && i + 1 < argc) return Measure(argv[i + 1]);
        if (a == "--bare" && i + 1 < argc) return MeasureBare(argv[i + 1]);
        if (a == "--repeat" && i + 1 < argc) {
            o.repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--rtt" && i + 1 < argc) {
            o.rtts.push_back(std::max(0, std::atoi(argv[++i])));
        } else if (a == "--plant" && i + 1 < argc) {
            o.plants.push_back(std::strtoul(argv[++i], nullptr, 10));
        } else {
            o.flats.push_back(std::strtoul(a.c_str(), nullptr, 10));
        }
    }
    if (o.rtts.empty()) o.rtts = {0, 1, 10, 50};
    if (o.plants.empty() && o.flats.empty()) {
        o.plants = {40000, 200000};
        o.flats = {100000};
    }
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 1;
    self[n] = '\0';

    std::printf("walk_bench: demo server as child process, %d walk(s) per row, median by total\n",
                o.repeat);
    std::printf("plant: 10 points per object, 3 levels; rtt > 0 through a loopback delay relay\n");
    PrintHeader();
    for (const std::size_t size : o.plants)
        if (!RunPlant(self, o, size)) return 1;
    for (const std::size_t size : o.flats)
        if (!RunFlat(self, o, size)) return 1;
    return 0;
}
