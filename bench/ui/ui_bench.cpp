// How long the window's thread went without answering while a connect waited on a server that
// never answers, during a 40,000-point scan and during refresh passes against a stopped server;
// then a scan of 200,000 demo points into the window, painting a screen of rows, refresh passes
// and the export of 65,535 points. Prints its figures; run offscreen.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "bench/common/process_memory.h"
#include "bench/ui/bench_session.h"
#include "bench/ui/stall_watch.h"
#include "engine/browse_stats.h"
#include "tests/support/silent_server.h"
#include "tools/relay/delay_relay.h"
#include "ui/point_list_view.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"

namespace {

using Clock = BenchClock;

void Press(CQuorvaneDlg& window, const char* name) {
    window.findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

void SetUrl(CQuorvaneDlg& window, const std::string& url) {
    window.findChild<QLineEdit*>(QStringLiteral("urlBox"))->setText(QString::fromStdString(url));
}

void SilentServerFigures() {
    SilentServer silent;
    if (!silent.Listening()) return;
    {
        CQuorvaneDlg window;
        SetUrl(window, silent.Url());
        window.show();
        StallWatch watch;
        const auto start = Clock::now();
        Press(window, "connectButton");
        PumpUntil([&] { return !window.Connecting(); }, std::chrono::seconds(60));
        std::printf(
            "connect to a silent server (timeout 10 s): failed after %.0f ms, longest stall %.1f "
            "ms (target < 50 ms)\n",
            Ms(Clock::now() - start), watch.LongestMs());
    }
    CQuorvaneDlg window;
    SetUrl(window, silent.Url());
    window.show();
    Press(window, "connectButton");
    PumpUntil([] { return false; }, std::chrono::seconds(1));
    const auto stop = Clock::now();
    Press(window, "connectButton");
    const double idleMs = Ms(Clock::now() - stop);
    PumpUntil([&] { return window.BackgroundJobs() == 0; }, std::chrono::seconds(20));
    std::printf(
        "  Stop during it: idle after %.1f ms (target < 200 ms), attempt cleaned up after %.0f "
        "ms\n",
        idleMs, Ms(Clock::now() - stop));
}

// The scan over loopback and through the delay relay at a 10 ms round trip, as on a plant network.
void ScanStallFigures(std::size_t points) {
    const std::unique_ptr<DemoServer> server = StartBenchServer(points);
    if (!server) return;
    DelayRelay relay("127.0.0.1", server->Port(), std::chrono::microseconds(5000));
    std::string error;
    if (!relay.Start(&error)) std::fprintf(stderr, "relay: %s\n", error.c_str());
    for (const bool delayed : {false, true}) {
        if (delayed && relay.Port() == 0) continue;
        CQuorvaneDlg window;
        SetUrl(window, delayed ? relay.Url() : server->Url());
        window.show();
        StallWatch watch;
        const auto start = Clock::now();
        Press(window, "connectButton");
        PumpUntil(
            [&] {
                return !window.Connecting() && !window.WalkRunning() && !window.ScanPollPending();
            },
            std::chrono::seconds(600));
        std::printf(
            "scan of %zu points %s: %.0f ms, %zu rows, longest stall %.1f ms (target < 50 ms)\n",
            points, delayed ? "through the relay at a 10 ms round trip" : "over loopback",
            Ms(Clock::now() - start), window.Rows().size(), watch.LongestMs());
        // The scan poll's share of the wait: from the engine's end marker to the last rows shown.
        const auto stats = window.LastWalkStats();
        if (stats && stats->endMarkerAt != Clock::time_point{}) {
            std::printf(
                "  last row shown %.1f ms after the engine's end marker (target < 150 ms), "
                "engine walk+read+handover %.0f ms\n",
                Ms(window.ScanEndShownAt() - stats->endMarkerAt),
                1000 * (stats->walkSeconds + stats->sortSeconds + stats->readSeconds +
                        stats->handoverSeconds));
        }
    }
}

void StoppedServerFigures() {
    const std::unique_ptr<DemoServer> server = StartBenchServer(1000);
    if (!server) return;
    Timing fast;
    fast.refreshMs = 100;
    fast.retryMs = 300;
    CQuorvaneDlg window(fast);
    SetUrl(window, server->Url());
    window.show();
    Press(window, "connectButton");
    PumpUntil(
        [&] { return !window.Connecting() && !window.WalkRunning() && !window.ScanPollPending(); },
        std::chrono::seconds(60));
    server->Stop();
    StallWatch watch;
    PumpUntil([] { return false; }, std::chrono::seconds(5));
    std::printf(
        "refresh passes against a stopped server for 5 s: longest stall %.1f ms (target < 50 ms), "
        "quality %s\n",
        watch.LongestMs(), window.Rows().empty() ? "-" : window.Rows()[0]->quality.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UseScratchSettings();
    QApplication app(argc, argv);
    const std::size_t points = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;
    Prompts::Script script;
    Prompts::Intercept(&script);
    SilentServerFigures();
    ScanStallFigures(40000);
    StoppedServerFigures();

    const std::unique_ptr<DemoServer> started = StartBenchServer(points);
    if (!started) return 1;
    DemoServer& server = *started;

    script = {};
    // The refresh figures below are of the read the rows fall back to; live values have
    // bench/live.
    Timing polled;
    polled.live = false;
    CQuorvaneDlg window(polled);
    window.findChild<QLineEdit*>(QStringLiteral("urlBox"))
        ->setText(QString::fromStdString(server.Url()));
    window.show();

    const auto scanStart = Clock::now();
    window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
    if (!PumpUntil(
            [&] {
                return !window.Connecting() && !window.WalkRunning() && !window.ScanPollPending();
            },
            std::chrono::seconds(600))) {
        std::fprintf(stderr, "scan did not end\n");
        return 1;
    }
    const auto scanTime = Clock::now() - scanStart;
    const PollStats& polls = window.ScanPollStats();
    std::printf("scan of %zu points (%zu rows): %.0f ms wall\n", points, window.Rows().size(),
                Ms(scanTime));
    std::printf(
        "  scan poll: %d handlers, longest %.1f ms, total %.1f ms (target: longest < 100 ms)\n",
        polls.polls, Ms(polls.longest), Ms(polls.total));

    auto* view = window.findChild<PointListView*>(QStringLiteral("pointList"));
    std::vector<double> paints;
    (void)view->viewport()->grab();  // first paint loads fonts and glyph caches
    for (int i = 0; i < 30; ++i) {
        view->verticalScrollBar()->setValue(i * 5000 %
                                            std::max(1, view->verticalScrollBar()->maximum()));
        const auto t = Clock::now();
        const QPixmap shot = view->viewport()->grab();
        paints.push_back(Ms(Clock::now() - t));
        if (shot.isNull()) return 1;
    }
    std::sort(paints.begin(), paints.end());
    std::printf("  paint one screen (%d rows): median %.2f ms, worst %.2f ms (target < 16 ms)\n",
                view->RowsPerPage(), paints[paints.size() / 2], paints.back());

    view->verticalScrollBar()->setValue(0);
    std::vector<double> passes;
    server.ResetValueReads();
    std::vector<double> walls;
    for (int i = 0; i < 10; ++i) {
        PumpUntil([&] { return !window.RefreshRunning(); }, std::chrono::seconds(30));
        const auto t = Clock::now();
        window.OnRefreshPass();
        passes.push_back(Ms(window.LastRefreshDuration()));
        PumpUntil([&] { return !window.RefreshRunning(); }, std::chrono::seconds(30));
        walls.push_back(Ms(Clock::now() - t));
    }
    std::sort(walls.begin(), walls.end());
    std::printf("  refresh pass, start to values shown: median %.2f ms\n", walls[walls.size() / 2]);
    const double readsPerPass = static_cast<double>(server.ValueReads()) / 10.0;
    std::sort(passes.begin(), passes.end());
    std::printf(
        "  refresh pass of a full screen (%.0f values read per pass), time on this thread: median "
        "%.2f ms, worst %.2f ms (target < 20 ms)\n",
        readsPerPass, passes[passes.size() / 2], passes.back());

    // The export caps at 65,535 points; with more rows the capped message is expected.
    const QString path = QDir::temp().filePath(QStringLiteral("quorvane_ui_bench.xls"));
    QFile::remove(path);
    script.fileAnswers.push_back(path);
    window.findChild<QPushButton*>(QStringLiteral("connectButton"))
        ->click();  // Stop: Export enabled
    const auto exportStart = Clock::now();
    StallWatch exportWatch;
    window.OnExport();
    PumpUntil([&] { return !window.ExportRunning(); }, std::chrono::seconds(300));
    const auto exportTime = Clock::now() - exportStart;
    if (QFileInfo::exists(path)) {
        std::printf(
            "  export (%zu rows, capped at 65535): %.0f ms, %lld bytes (target < 1000 ms), longest "
            "stall %.1f ms\n",
            window.Rows().size(), Ms(exportTime), static_cast<long long>(QFileInfo(path).size()),
            exportWatch.LongestMs());
        QFile::remove(path);
    } else {
        std::printf("  export: no file written\n");
    }
    std::printf("  peak memory: %.1f MiB\n", PeakResidentBytes() / (1024.0 * 1024.0));

    Prompts::Intercept(nullptr);
    window.close();
    server.Stop();
    return 0;
}
