// The window while it exports and while a refresh Read waits on a frozen server: the longest
// stall of the window's thread during .xlsx exports of 200,000 and 1,000,000 points, the time
// from pressing Cancel to idle, and the time to close the window while a refresh pass waits on
// a server stopped with SIGSTOP. Prints its figures; run offscreen.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "bench/ui/bench_session.h"
#include "bench/ui/stall_watch.h"
#include "bench/walk/demo_server_process.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"

namespace {

using Clock = BenchClock;

void AddRows(CQuorvaneDlg& window, std::uint32_t count) {
    std::vector<OPCUAItemData*> batch;
    batch.reserve(count);
    for (std::uint32_t i = 1; i <= count; ++i) {
        auto* r = new OPCUAItemData(UA_NODEID_NUMERIC(2, i), std::to_string(i), "Int32",
                                    "Point " + std::to_string(i), "2026-01-01 00:00:00", "GOOD");
        r->typeIndex = 5;
        batch.push_back(r);
    }
    window.Model()->AppendRows(batch);
}

void ExportFigures(Prompts::Script& script, std::uint32_t points) {
    CQuorvaneDlg window;
    window.show();
    AddRows(window, points);
    const QString path = QDir::temp().filePath(QStringLiteral("quorvane_export_bench.xlsx"));
    QFile::remove(path);

    script.fileAnswers.push_back(path);
    StallWatch watch;
    const auto start = Clock::now();
    window.OnExport();
    PumpUntil([&] { return !window.ExportRunning(); }, std::chrono::seconds(600));
    const double total = Ms(Clock::now() - start);
    std::printf(
        ".xlsx export of %u points: %.0f ms, %lld bytes, longest stall %.1f ms (target < 50 ms)\n",
        points, total, static_cast<long long>(QFileInfo(path).size()), watch.LongestMs());

    // Again, cancelled a quarter and half way: rows still being written, then (for .xlsx) the
    // library packing the workbook, which cannot be interrupted.
    for (const double part : {0.25, 0.5}) {
        script.fileAnswers.push_back(path);
        window.OnExport();
        const auto at = Clock::now() + std::chrono::duration<double, std::milli>(total * part);
        PumpUntil([&] { return Clock::now() >= at || !window.ExportRunning(); },
                  std::chrono::seconds(600));
        const bool running = window.ExportRunning();
        const auto written = window.findChild<QLabel*>(QStringLiteral("statusLine"))->text();
        const auto cancel = Clock::now();
        window.findChild<QPushButton*>(QStringLiteral("exportButton"))->click();
        PumpUntil([&] { return !window.ExportRunning(); }, std::chrono::seconds(600));
        std::printf(
            "  Cancel at %.0f%% of the time (%s)%s: idle after %.1f ms, the earlier file %s\n",
            part * 100, written.toStdString().c_str(), running ? "" : " came too late",
            Ms(Clock::now() - cancel), QFileInfo(path).size() > 0 ? "kept" : "GONE");
    }
    QFile::remove(path);
}

void FrozenServerFigures(const std::string& program) {
    DemoServerProcess server(program, {"--points", "2000"});
    if (server.Url().empty()) {
        std::printf("frozen server: the demo server did not start\n");
        return;
    }
    auto window = std::make_unique<CQuorvaneDlg>();
    window->findChild<QLineEdit*>(QStringLiteral("urlBox"))
        ->setText(QString::fromStdString(server.Url()));
    window->show();
    window->findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
    PumpUntil(
        [&] {
            return !window->Connecting() && !window->WalkRunning() && !window->ScanPollPending();
        },
        std::chrono::seconds(60));
    // A pass of the window's own timer may be under way; the next one is the one that waits.
    PumpUntil([&] { return !window->RefreshRunning(); }, std::chrono::seconds(30));
    ::kill(server.Pid(), SIGSTOP);
    // The stop reaches every thread of the server in its own time.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    window->OnRefreshPass();
    const bool started = window->RefreshRunning();
    PumpUntil([] { return false; }, std::chrono::seconds(1));
    const bool waiting = window->RefreshRunning();
    if (!waiting)
        std::printf("  pass started %d, last read result %d, rows %zu, visible %zu\n", started,
                    window->LastReadResult(), window->Rows().size(),
                    window->VisibleRecords().size());
    const auto closing = Clock::now();
    window->close();
    window.reset();
    std::printf(
        "close while a refresh Read waits on a SIGSTOPped server%s: %.1f ms (target < 1000 ms)\n",
        waiting ? "" : " (the Read had ended)", Ms(Clock::now() - closing));
    ::kill(server.Pid(), SIGCONT);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Prompts::Script script;
    Prompts::Intercept(&script);
    const bool frozenOnly = argc > 1 && std::string(argv[1]) == "--frozen-only";
    if (!frozenOnly)
        for (const std::uint32_t points : {200000u, 1000000u}) ExportFigures(script, points);
    FrozenServerFigures(QUORVANE_DEMO_SERVER);
    Prompts::Intercept(nullptr);
    return 0;
}
