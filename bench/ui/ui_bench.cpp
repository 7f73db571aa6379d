// Scan of 200,000 demo points into the window, painting a screen of rows, one refresh pass and
// the export of 65,535 points. Prints its figures; run offscreen.
#include "bench/common/process_memory.h"
#include "bench/ui/bench_session.h"
#include "ui/point_list_view.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }


}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::size_t points = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;

    const std::unique_ptr<DemoServer> started = StartBenchServer(points);
    if (!started) return 1;
    DemoServer& server = *started;

    Prompts::Script script;
    Prompts::Intercept(&script);
    CQuorvaneDlg window;
    window.findChild<QLineEdit*>(QStringLiteral("urlBox"))->setText(QString::fromStdString(server.Url()));
    window.show();

    const auto scanStart = Clock::now();
    window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
    if (!PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); },
                   std::chrono::seconds(600))) {
        std::fprintf(stderr, "scan did not end\n");
        return 1;
    }
    const auto scanTime = Clock::now() - scanStart;
    const PollStats& polls = window.ScanPollStats();
    std::printf("scan of %zu points (%zu rows): %.0f ms wall\n", points, window.Rows().size(), Ms(scanTime));
    std::printf("  scan poll: %d handlers, longest %.1f ms, total %.1f ms (target: longest < 100 ms)\n",
                polls.polls, Ms(polls.longest), Ms(polls.total));

    auto* view = window.findChild<PointListView*>(QStringLiteral("pointList"));
    std::vector<double> paints;
    (void)view->viewport()->grab();  // first paint loads fonts and glyph caches
    for (int i = 0; i < 30; ++i) {
        view->verticalScrollBar()->setValue(i * 5000 % std::max(1, view->verticalScrollBar()->maximum()));
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
    for (int i = 0; i < 10; ++i) {
        window.OnRefreshPass();
        passes.push_back(Ms(window.LastRefreshDuration()));
    }
    const double readsPerPass = static_cast<double>(server.ValueReads()) / 10.0;
    std::sort(passes.begin(), passes.end());
    std::printf("  refresh pass of a full screen (%.0f values read per pass): median %.2f ms, worst %.2f ms (target < 20 ms)\n",
                readsPerPass, passes[passes.size() / 2], passes.back());

    // The export caps at 65,535 points; with more rows the capped message is expected.
    const QString path = QDir::temp().filePath(QStringLiteral("quorvane_ui_bench.xls"));
    QFile::remove(path);
    script.fileAnswers.push_back(path);
    window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();  // Stop: Export enabled
    const auto exportStart = Clock::now();
    window.OnExport();
    const auto exportTime = Clock::now() - exportStart;
    if (QFileInfo::exists(path)) {
        std::printf("  export (%zu rows, capped at 65535): %.0f ms, %lld bytes (target < 1000 ms)\n",
                    window.Rows().size(), Ms(exportTime), static_cast<long long>(QFileInfo(path).size()));
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
