// A history read of 100,000 stored samples into the trend window, from the menu's Trend over the
// demo server's archive point: time from the History command to the samples on the plot, and
// the window thread's longest stall meanwhile; over loopback and through the delay relay at a
// 10 ms round trip. Prints its figures; run offscreen. Arguments: [samples] [per answer].
#include <QApplication>
#include <QDateTimeEdit>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

#include "bench/ui/bench_session.h"
#include "bench/ui/stall_watch.h"
#include "tools/demo-server/demo_nodes.h"
#include "tools/relay/delay_relay.h"
#include "ui/point_list_view.h"
#include "ui/point_menu.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"
#include "ui/trend/trend_dlg.h"

namespace {

int RowOfArchive(const CQuorvaneDlg& window, UA_UInt16 ns) {
    const UA_NodeId id = UA_NODEID_STRING(ns, const_cast<char*>(demo::kArchivePoint));
    for (std::size_t i = 0; i < window.Rows().size(); ++i)
        if (UA_NodeId_equal(&window.Rows()[i]->nodeId, &id)) return static_cast<int>(i);
    return -1;
}

void HistoryFigures(const DemoServer& server, const std::string& url, const char* how,
                    std::size_t samples) {
    CQuorvaneDlg window;
    window.findChild<QLineEdit*>(QStringLiteral("urlBox"))->setText(QString::fromStdString(url));
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
    if (!PumpUntil(
            [&] {
                return !window.Connecting() && !window.WalkRunning() && !window.ScanPollPending();
            },
            std::chrono::seconds(120))) {
        std::fprintf(stderr, "scan did not end\n");
        return;
    }
    const int row = RowOfArchive(window, server.PlantNamespace());
    if (row < 0) {
        std::fprintf(stderr, "no archive point listed\n");
        return;
    }
    auto* view = window.findChild<PointListView*>(QStringLiteral("pointList"));
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    CTrendDlg* trend = window.Menu().OpenTrend();
    if (trend == nullptr ||
        !PumpUntil([&] { return trend->Book().Series(0).historizing; }, std::chrono::seconds(30))) {
        std::fprintf(stderr, "trend not opened or the point does not historize\n");
        return;
    }
    // A chosen range that holds every stored sample.
    const QDateTime now = QDateTime::currentDateTime();
    trend->findChild<QDateTimeEdit*>(QStringLiteral("trendFrom"))
        ->setDateTime(now.addSecs(-static_cast<qint64>(samples) - 60));
    trend->findChild<QDateTimeEdit*>(QStringLiteral("trendTo"))->setDateTime(now.addSecs(60));
    std::size_t shown = 0;
    BenchClock::time_point plotted{};
    QObject::connect(trend, &CTrendDlg::HistoryShown, [&](std::size_t n) {
        shown = n;
        plotted = BenchClock::now();
    });
    PumpUntil([] { return false; }, std::chrono::seconds(1));  // the window settles
    StallWatch watch;
    const auto start = BenchClock::now();
    trend->ReadHistory(HistoryChoice::kChosenRange);
    PumpUntil([&] { return shown > 0 || !trend->HistoryRunning(); }, std::chrono::seconds(120));
    // A few more turns of the loop, so that the stall of the last redraw is counted.
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf(
        "history of %zu samples %s: %zu on the book, %.0f ms to the plot (target < 2000 ms), "
        "%zu points drawn, longest stall %.1f ms\n",
        samples, how, shown, plotted == BenchClock::time_point{} ? -1.0 : Ms(plotted - start),
        trend->PlottedPoints(), watch.LongestMs());
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UseScratchSettings();
    QApplication app(argc, argv);
    const std::size_t samples = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const std::size_t perAnswer = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
    Prompts::Script script;
    Prompts::Intercept(&script);

    DemoServerOptions options;
    options.port = FreeLoopbackPort();
    options.history.samples = samples;
    options.history.perResponse = perAnswer;
    DemoServer server(options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "demo server: %s\n", error.c_str());
        return 1;
    }
    std::printf("demo server: %zu archived samples, at most %zu a HistoryRead answer\n", samples,
                perAnswer);
    HistoryFigures(server, server.Url(), "over loopback", samples);
    DelayRelay relay("127.0.0.1", server.Port(), std::chrono::microseconds(5000));
    if (relay.Start(&error))
        HistoryFigures(server, relay.Url(), "through the relay at a 10 ms round trip", samples);
    else
        std::fprintf(stderr, "relay: %s\n", error.c_str());
    Prompts::Intercept(nullptr);
    return 0;
}
