// walk_bench: how long a whole scan takes and how much client memory it holds, for address
// spaces of growing size. The demo server runs as a child process; every measured walk runs
// in a fresh process of its own (this program again, with --measure) so that its resident
// memory is the client's alone and starts clean.
//
// Each size also gets a "bare" row: the same Browse, BrowseNext and Read calls with bare
// open62541 types and nothing else (raw_walk.cpp), as a yardstick on this machine.
//
//   walk_bench [--repeat R] [N ...]     default: 3 walks each of 1000 10000 100000 200000
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

#include "bench/walk/demo_server_process.h"
#include "bench/common/process_memory.h"
#include "bench/walk/raw_walk.h"
#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "tools/demo-server/demo_server.h"

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
        "delivered=%.4f requests=%llu next=%llu rss_growth=%zu rss_kept=%zu cpu=%.4f "
        "peak_reset=%d\n",
        rows.size(), stats.walkSeconds, stats.sortSeconds, stats.readSeconds, stats.handoverSeconds,
        Seconds(start, done), Seconds(start, endSeen),
        static_cast<unsigned long long>(stats.browseRequests.load()),
        static_cast<unsigned long long>(stats.browseNextRequests.load()),
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
        "requests=%zu next=0 rss_growth=%zu rss_kept=0 cpu=%.4f peak_reset=%d\n",
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

void PrintRow(std::size_t size, const char* kind, Figures& m) {
    const double points = m["points"];
    const double perPoint = points > 0 ? 1.0 / points : 0.0;
    std::printf(
        "%7zu %5s %7.0f %7.1f %7.1f %7.1f %7.1f %8.1f %8.1f %8.0f %8.0f %7.0f %7.1f %7.0f %7.0f\n",
        size, kind, points, m["walk"] * 1e3, m["read"] * 1e3, m["sort"] * 1e3, m["handover"] * 1e3,
        m["total"] * 1e3, m["cpu"] * 1e3, points / m["total"], m["requests"], m["next"],
        m["rss_growth"] / 1048576.0, m["rss_growth"] * perPoint, m["rss_kept"] * perPoint);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    int repeat = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--measure" && i + 1 < argc) return Measure(argv[i + 1]);
        if (a == "--bare" && i + 1 < argc) return MeasureBare(argv[i + 1]);
        if (a == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else {
            sizes.push_back(std::strtoul(a.c_str(), nullptr, 10));
        }
    }
    if (sizes.empty()) sizes = {1000, 10000, 100000, 200000};
    const std::string self = "/proc/self/exe";
    char selfPath[4096];
    const ssize_t n = ::readlink(self.c_str(), selfPath, sizeof selfPath - 1);
    if (n <= 0) return 1;
    selfPath[n] = '\0';

    std::printf("walk_bench: demo server as child process, %d walk(s) per size, median by total\n",
                repeat);
    std::printf("%7s %5s %7s %7s %7s %7s %7s %8s %8s %8s %8s %7s %7s %7s %7s\n", "N", "", "points",
                "walk", "read", "sort", "handovr", "total", "client", "points/s", "requests",
                "of them", "peak", "peak", "kept");
    std::printf("%7s %5s %7s %7s %7s %7s %7s %8s %8s %8s %8s %7s %7s %7s %7s\n", "", "", "", "ms",
                "ms", "ms", "ms", "ms", "cpu ms", "", "", "Next", "MB", "B/point", "B/point");
    for (std::size_t size : sizes) {
        std::unique_ptr<DemoServerProcess> server;
        // A port found free can be taken before the server binds it: a few tries.
        for (int attempt = 0; attempt < 3 && (!server || server->Url().empty()); ++attempt) {
            server = std::make_unique<DemoServerProcess>(
                QUORVANE_DEMO_SERVER,
                std::vector<std::string>{"--port", std::to_string(FreeLoopbackPort()), "--points",
                                         std::to_string(size)});
        }
        if (server->Url().empty()) {
            std::fprintf(stderr, "walk_bench: the demo server did not start\n");
            return 1;
        }
        for (const bool bare : {false, true}) {
            Figures median = MedianRun(selfPath, server->Url(), repeat, bare);
            if (median.empty()) {
                std::fprintf(stderr, "walk_bench: a walk of %zu points failed\n", size);
                return 1;
            }
            PrintRow(size, bare ? "bare" : "walk", median);
        }
    }
    return 0;
}
