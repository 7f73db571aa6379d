// Soak: the window's refresh cycle, engine only, for a long time against the demo server, which
// is restarted every few minutes. A full screen of points is read every pass; a failed read
// makes the next pass reconnect first, a failed reconnect waits longer, as in the window.
// Prints resident memory at the start, every minute and at the end, the passes that failed
// and how long the values took to come back after each restart.
//
//   soak_bench [--minutes 10] [--restart-seconds 120] [--pass-seconds 5] [--rows 40]
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/process_memory.h"
#include "bench/walk/demo_server_process.h"
#include "engine/opcua_browser.h"
#include "engine/scan_drain.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Options {
    double minutes = 10;
    double restartSeconds = 120;
    double passSeconds = 5;
    double retrySeconds = 10;  // after a failed reconnect
    int rows = 40;
    int points = 2000;
};

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const double value = std::atof(argv[i + 1]);
        if (name == "--minutes")
            o.minutes = value;
        else if (name == "--restart-seconds")
            o.restartSeconds = value;
        else if (name == "--pass-seconds")
            o.passSeconds = value;
        else if (name == "--retry-seconds")
            o.retrySeconds = value;
        else if (name == "--rows")
            o.rows = static_cast<int>(value);
        else if (name == "--points")
            o.points = static_cast<int>(value);
    }
    return o;
}

// A loopback port free right now: the server keeps it across restarts.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

Clock::duration Seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

double MiB(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

std::unique_ptr<DemoServerProcess> StartServer(int port, int points) {
    auto server = std::make_unique<DemoServerProcess>(
        QUORVANE_DEMO_SERVER, std::vector<std::string>{"--port", std::to_string(port), "--points",
                                                       std::to_string(points)});
    if (server->Url().empty()) {
        std::fprintf(stderr, "soak: the demo server did not start on port %d\n", port);
        std::exit(1);
    }
    return server;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    const int port = FreePort();
    auto server = StartServer(port, o.points);
    ConnectionSettings settings;
    settings.url = server->Url();
    settings.authKind = 1;
    settings.timeoutSeconds = 10;

    // The screen: the first rows of a walk, as the window shows them.
    PointList list;
    OPCUABrowser browser(&list);
    if (browser.Connect(settings) != ConnectOutcome::Connected) {
        std::fprintf(stderr, "soak: cannot connect to %s\n", settings.url.c_str());
        return 1;
    }
    browser.BrowseAll();
    std::vector<OPCUAItemData*> taken;
    DrainPoints(list, taken, static_cast<std::size_t>(-1));
    std::vector<std::unique_ptr<OPCUAItemData>> owned;
    for (OPCUAItemData* record : taken) owned.emplace_back(record);
    std::vector<OPCUAItemData*> screen;
    for (const auto& record : owned) {
        if (static_cast<int>(screen.size()) == o.rows) break;
        if (!record->dataType.empty()) screen.push_back(record.get());
    }
    std::printf(
        "soak: %zu points found, %zu on screen, %s, %.0f min, restart every %.0f s, "
        "pass every %.0f s\n",
        owned.size(), screen.size(), settings.url.c_str(), o.minutes, o.restartSeconds,
        o.passSeconds);

    const auto start = Clock::now();
    const Clock::time_point end = start + Seconds(o.minutes * 60);
    Clock::time_point nextRestart = start + Seconds(o.restartSeconds);
    Clock::time_point nextMinute = start + 1min;
    const std::size_t startRss = ResidentBytes();
    std::size_t firstMinuteRss = 0;
    std::size_t peakAfterFirstMinute = 0;
    std::printf("rss start %.2f MiB\n", MiB(startRss));
    std::fflush(stdout);

    int lastReadResult = 0;
    int passes = 0, failedPasses = 0, restarts = 0, worstPassesToRecover = 0;
    double worstRecovery = 0;
    bool recovering = false;  // restarted, values not yet back
    Clock::time_point restartedAt{};
    int passesSinceRestart = 0;
    Clock::time_point nextPass = Clock::now();
    while (Clock::now() < end) {
        std::this_thread::sleep_until(std::min({nextPass, nextRestart, nextMinute, end}));
        const auto now = Clock::now();
        if (now >= end) break;
        if (now >= nextMinute) {
            const std::size_t rss = ResidentBytes();
            const int minute = static_cast<int>(
                std::chrono::duration_cast<std::chrono::minutes>(now - start).count());
            if (minute == 1) firstMinuteRss = rss;
            if (minute > 1) peakAfterFirstMinute = std::max(peakAfterFirstMinute, rss);
            std::printf("rss minute %d %.2f MiB, passes %d, failed %d\n", minute, MiB(rss), passes,
                        failedPasses);
            std::fflush(stdout);
            nextMinute += 1min;
            continue;
        }
        if (now >= nextRestart) {
            server.reset();  // SIGTERM and wait
            server = StartServer(port, o.points);
            ++restarts;
            restartedAt = Clock::now();
            recovering = true;
            passesSinceRestart = 0;
            nextRestart += Seconds(o.restartSeconds);
            continue;
        }
        // One refresh pass.
        ++passes;
        if (recovering) ++passesSinceRestart;
        bool failed = false;
        if (lastReadResult == -1) {
            browser.Disconnect();
            if (browser.Connect(settings) != ConnectOutcome::Connected) {
                for (OPCUAItemData* record : screen) record->quality = "UNCERTAIN";
                ++failedPasses;
                nextPass = Clock::now() + Seconds(o.retrySeconds);
                continue;
            }
        }
        lastReadResult = browser.ReadValues(screen);
        failed = lastReadResult == -1;
        if (failed) {
            ++failedPasses;
        } else {
            browser.KeepAlive();
            if (recovering) {
                const double took =
                    std::chrono::duration<double>(Clock::now() - restartedAt).count();
                std::printf("restart %d: values back after %.1f s, %d pass(es)\n", restarts, took,
                            passesSinceRestart);
                std::fflush(stdout);
                worstRecovery = std::max(worstRecovery, took);
                worstPassesToRecover = std::max(worstPassesToRecover, passesSinceRestart);
                recovering = false;
            }
        }
        nextPass = Clock::now() + Seconds(o.passSeconds);
    }

    const std::size_t endRss = ResidentBytes();
    if (firstMinuteRss != 0) peakAfterFirstMinute = std::max(peakAfterFirstMinute, endRss);
    std::printf("rss end %.2f MiB\n", MiB(endRss));
    std::printf("passes %d, failed %d, restarts %d, worst recovery %.1f s in %d pass(es)%s\n",
                passes, failedPasses, restarts, worstRecovery, worstPassesToRecover,
                recovering ? ", the last restart not yet recovered" : "");
    if (firstMinuteRss != 0) {
        const double growth =
            MiB(peakAfterFirstMinute > firstMinuteRss ? peakAfterFirstMinute - firstMinuteRss : 0);
        std::printf("growth after the first minute %.2f MiB (target <= 1): %s\n", growth,
                    growth <= 1.0 ? "met" : "MISSED");
    }
    std::printf("every restart recovered within two passes: %s\n",
                worstPassesToRecover <= 2 && !recovering ? "met" : "MISSED");
    return 0;
}
