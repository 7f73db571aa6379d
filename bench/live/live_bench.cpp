// Live values as the window's thread and the server see them.
//  1. 10,000 points changing every second, all monitored, the server in a process of its own
//     behind the relay at 10 ms each way: the longest stall of this thread, this process's CPU
//     (getrusage, so the relay's threads count too) and the latency from the source time to
//     the row.
//  2. A screen of 30 rows for a minute's share, polled every 5 s and subscribed: the value
//     accesses the demo server counts (Read service and sampling alike).
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench/walk/demo_server_process.h"
#include "session/scan_session.h"
#include "tools/demo-server/demo_server.h"
#include "tools/relay/delay_relay.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <class Pred>
bool PumpUntil(Pred done, std::chrono::seconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The longest gap between runs of a 2 ms timer: how long the thread could not answer.
struct StallWatch {
    StallWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            longest = std::max(longest, now - last);
            last = now;
        });
        last = Clock::now();
        timer.start(2);
    }
    void Reset() {
        last = Clock::now();
        longest = {};
    }
    QTimer timer;
    Clock::time_point last;
    Clock::duration longest{0};
};

ConnectionSettings To(const std::string& url, int samplingMs) {
    ConnectionSettings s;
    s.url = url;
    s.timeoutSeconds = 30;
    s.samplingIntervalMs = samplingMs;
    return s;
}

int TenThousand(int seconds) {
    const std::string serverPort = std::to_string(FreeLoopbackPort());
    DemoServerProcess server(QUORVANE_DEMO_SERVER, {"--port", serverPort, "--points", "10000",
                                                    "--changing-points", "10000"});
    if (server.Url().empty()) {
        std::fprintf(stderr, "demo server did not start\n");
        return 1;
    }
    const auto colon = server.Url().rfind(':');
    const auto port = static_cast<std::uint16_t>(std::stoi(server.Url().substr(colon + 1)));
    DelayRelay relay("127.0.0.1", port, 10ms);
    std::string error;
    if (!relay.Start(&error)) {
        std::fprintf(stderr, "relay: %s\n", error.c_str());
        return 1;
    }
    ScanSession session;  // the window's timing; every row is on screen
    session.Connect(To(relay.Url(), 1000));
    if (!PumpUntil([&] { return session.State() == SessionState::Refreshing; }, 300s) ||
        !PumpUntil(
            [&] {
                return session.Live() == LiveMode::Subscribed &&
                       session.MonitoredRecords() == session.Rows().Size();
            },
            60s)) {
        std::fprintf(stderr, "not subscribed: state %s, %zu of %zu rows\n",
                     StateName(session.State()), session.MonitoredRecords(), session.Rows().Size());
        return 1;
    }
    // Until the initial values of all items have come.
    PumpUntil([&] { return session.LiveValueStats().applied >= session.Rows().Size(); }, 60s);
    StallWatch stall;
    PumpUntil([] { return false; }, 3s);  // settles
    stall.Reset();
    const LiveStats before = session.LiveValueStats();
    const double cpuBefore = CpuSeconds();
    const auto started = Clock::now();
    PumpUntil([] { return false; }, std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    const double cpu = CpuSeconds() - cpuBefore;
    const LiveStats& after = session.LiveValueStats();
    const std::uint64_t applied = after.applied - before.applied;
    const std::uint64_t timed = after.timed - before.timed;
    const double meanLatency =
        timed == 0 ? 0.0
                   : static_cast<double>((after.totalLatency - before.totalLatency).count()) /
                         static_cast<double>(timed);
    std::printf("10000 items, 1000 ms sampling, relay 10 ms each way, %d s:\n", seconds);
    std::printf("  notifications applied   %llu (%.0f/s)\n",
                static_cast<unsigned long long>(applied), applied / wall);
    std::printf("  longest UI stall        %.1f ms (longest slice of rows %.1f ms)\n",
                std::chrono::duration<double, std::milli>(stall.longest).count(),
                std::chrono::duration<double, std::milli>(after.longestSlice).count());
    std::printf("  client CPU              %.1f %% of one core (process, relay included)\n",
                100.0 * cpu / wall);
    std::printf("  latency source -> row   mean %.0f ms, longest %lld ms (since start)\n",
                meanLatency, static_cast<long long>(after.longestLatency.count()));
    session.Close();
    return 0;
}

// Value accesses of a screen of 30 rows over `seconds`, scaled to a minute.
double AccessesPerMinute(bool live, int seconds) {
    DemoServerOptions o;
    o.port = 0;
    o.points = 1000;
    o.changingPoints = 1000;
    DemoServer server(o);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return -1;
    }
    Timing t;
    t.live = live;
    ScanSession session(t);
    session.SetVisibleRecords([&session] {
        std::vector<VisibleRow> shown;
        for (int row = 100; row < 130; ++row)
            if (OPCUAItemData* r = session.Rows().Record(row)) shown.push_back({r, row});
        return shown;
    });
    session.Connect(To(server.Url(), 1000));
    PumpUntil([&] { return session.State() == SessionState::Refreshing; }, 60s);
    if (live) PumpUntil([&] { return session.Live() == LiveMode::Subscribed; }, 30s);
    PumpUntil([] { return false; }, 2s);
    server.ResetValueReads();
    PumpUntil([] { return false; }, std::chrono::seconds(seconds));
    const double perMinute = server.ValueReads() * 60.0 / seconds;
    session.Close();
    return perMinute;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    if (TenThousand(seconds) != 0) return 1;
    const double polled = AccessesPerMinute(false, seconds);
    const double subscribed = AccessesPerMinute(true, seconds);
    std::printf("screen of 30 rows, value accesses at the server per minute (%d s each):\n",
                seconds);
    std::printf("  polled every 5 s        %.0f (Read requests, 30 values each)\n", polled);
    std::printf("  subscribed, 1000 ms     %.0f (the server's own sampling; no Read requests)\n",
                subscribed);
    return 0;
}
