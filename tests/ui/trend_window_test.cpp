// The trend from the point menu against the demo server: live samples, points off screen,
// deleted rows, history and the csv file.
#include <QComboBox>
#include <QItemSelectionModel>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "session/scan_session.h"
#include "tests/export/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/point_list_view.h"
#include "ui/trend/open_trends.h"
#include "ui/trend/trend_dlg.h"

namespace {

constexpr int kTrendPosition = 8;  // in the popup, separators counted

class TrendWindow : public ScannedWindowTest {
protected:
    int RowOf(const char* id) const {
        const UA_NodeId n = UA_NODEID_STRING(server->PlantNamespace(), const_cast<char*>(id));
        for (std::size_t i = 0; i < window.Rows().size(); ++i)
            if (UA_NodeId_equal(&window.Rows()[i]->nodeId, &n)) return static_cast<int>(i);
        return -1;
    }
    void Select(std::initializer_list<int> rows) {
        View().clearSelection();
        for (int r : rows)
            View().selectionModel()->select(
                View().model()->index(r, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Opens the trend of the selected rows from the menu, opened over row `at`.
    CTrendDlg* OpenFromMenu(int at) {
        ChooseFromMenu(window, RowCentre(window, at), kTrendPosition);
        const auto open = window.Menu().Trends().Windows();
        return open.empty() ? nullptr : open.back();
    }
    OPCUAItemData* RecordAt(int row) const { return window.Rows()[static_cast<std::size_t>(row)]; }
    // The series of the point at `row` in `trend`.
    const TrendSeries& SeriesOf(const CTrendDlg& trend, int row) const {
        const int i = trend.Book().IndexOf(RecordAt(row));
        EXPECT_GE(i, 0);
        return trend.Book().Series(static_cast<std::size_t>(std::max(i, 0)));
    }
    bool Lists(OPCUAItemData* record) {
        const auto visible = window.Session().VisibleRecords();
        return std::any_of(visible.begin(), visible.end(),
                           [record](const VisibleRow& v) { return v.record == record; });
    }
};

TEST_F(TrendWindow, OfferedForNumbersAndBooleansOnly) {
    ScanServer();
    const int level = RowOf(demo::kTankLevel);
    const int name = RowOf(demo::kTankName);
    const int running = RowOfNumeric(demo::kPumpRunning);
    ASSERT_GE(level, 0);
    ASSERT_GE(name, 0);
    ASSERT_GE(running, 0);
    struct Case {
        std::vector<int> rows;
        bool offered;
    };
    for (const Case& c : {Case{{}, false}, Case{{level}, true}, Case{{level, running}, true},
                          Case{{level, name}, false}}) {
        View().clearSelection();
        for (int r : c.rows)
            View().selectionModel()->select(
                View().model()->index(r, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        auto menu = window.Menu().BuildContextMenu();
        QAction* trend = menu->actions().at(kTrendPosition);
        EXPECT_EQ(trend->data().toInt(), PointMenu::kTrend);
        EXPECT_EQ(trend->isEnabled(), c.offered) << c.rows.size();
    }
    language = 1;
    EXPECT_EQ(window.Menu().BuildContextMenu()->actions().at(kTrendPosition)->text(),
              QStringLiteral("Trend"));
}

TEST_F(TrendWindow, SamplesArriveAndKeepComingWhileTheRowIsOffScreen) {
    ScanServer();
    const int recorded = RowOf(demo::kRecordedPoint);
    const int level = RowOf(demo::kTankLevel);
    ASSERT_GE(recorded, 0);
    Select({recorded, level});
    CTrendDlg* trend = OpenFromMenu(recorded);
    ASSERT_NE(trend, nullptr);
    EXPECT_TRUE(trend->isVisible());
    EXPECT_FALSE(trend->isModal());
    ASSERT_EQ(trend->Book().Size(), 2u);
    EXPECT_EQ(SeriesOf(*trend, recorded).name, "Recorded");
    EXPECT_EQ(SeriesOf(*trend, level).name, "Level");

    OPCUAItemData* record = RecordAt(recorded);
    // Out of sight: the list scrolled to the other end of a short window.
    window.resize(window.width(), 260);
    PumpFor(std::chrono::milliseconds(50));
    QScrollBar* bar = View().verticalScrollBar();
    bar->setValue(recorded < static_cast<int>(window.Rows().size()) / 2 ? bar->maximum()
                                                                        : bar->minimum());
    PumpFor(std::chrono::milliseconds(50));
    const int first = View().FirstVisibleRow();
    ASSERT_TRUE(recorded < first || recorded >= first + View().RowsInSight())
        << "row " << recorded << " still in sight from " << first;
    EXPECT_TRUE(Lists(record));  // read with the rows on screen
    const std::size_t before = SeriesOf(*trend, recorded).samples.size();
    EXPECT_TRUE(PumpUntil([&] { return SeriesOf(*trend, recorded).samples.size() >= before + 2; },
                          std::chrono::seconds(8 * kSlowdown)));
    EXPECT_GE(SeriesOf(*trend, level).samples.size(), 2u);  // the tank level changes too
    trend->Redraw();
    EXPECT_GE(trend->PlottedPoints(), 4u);

    // Closed, it no longer keeps its point read.
    trend->close();
    PumpUntil([&] { return window.Menu().Trends().Windows().empty(); });
    EXPECT_TRUE(window.Menu().Trends().Windows().empty());
    EXPECT_FALSE(Lists(record));
}

TEST_F(TrendWindow, WindowLengthAndPauseDecideTheSpanShown) {
    ScanServer();
    const int level = RowOf(demo::kTankLevel);
    Select({level});
    CTrendDlg* trend = OpenFromMenu(level);
    ASSERT_NE(trend, nullptr);
    std::int64_t clock = 1'700'000'000'000;
    trend->now = [&clock] { return clock; };
    const std::int64_t minute = 60'000;
    trend->Redraw();
    EXPECT_EQ(trend->ShownRange(), std::make_pair(clock - 10 * minute, clock));  // the default
    auto* minutes = Find<QComboBox>(*trend, "trendMinutes");
    ASSERT_EQ(minutes->count(), 3);
    EXPECT_EQ(minutes->itemText(2), QString::fromUtf8("60 分钟"));
    minutes->setCurrentIndex(0);
    EXPECT_EQ(trend->ShownRange(), std::make_pair(clock - minute, clock));

    Click(*trend, "trendPause");
    EXPECT_EQ(TextOf(*trend, "trendPause"), "继续");
    const auto paused = trend->ShownRange();
    clock += 5 * minute;
    trend->Redraw();
    EXPECT_EQ(trend->ShownRange(), paused);  // held while paused
    Click(*trend, "trendPause");
    EXPECT_EQ(TextOf(*trend, "trendPause"), "暂停");
    EXPECT_EQ(trend->ShownRange(), std::make_pair(clock - minute, clock));
}

TEST_F(TrendWindow, ADeletedRowLeavesTheTrend) {
    ScanServer();
    const int recorded = RowOf(demo::kRecordedPoint);
    Select({recorded});
    CTrendDlg* trend = OpenFromMenu(recorded);
    ASSERT_NE(trend, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !trend->Book().Series(0).samples.empty(); },
                          std::chrono::seconds(8 * kSlowdown)));
    Select({recorded});
    window.Menu().DeleteSelectedRows();
    EXPECT_TRUE(trend->Records().empty());
    EXPECT_EQ(trend->Book().Series(0).record, nullptr);
    const std::size_t kept = trend->Book().Series(0).samples.size();
    EXPECT_GE(kept, 1u);
    // Refreshes go on without the freed record (the sanitizer build would catch a use).
    ASSERT_TRUE(RunRefreshPass(window));
    PumpFor(std::chrono::milliseconds(1200));
    EXPECT_EQ(trend->Book().Series(0).samples.size(), kept);
    // A new scan empties every row: the trend follows none.
    Select({RowOf(demo::kTankLevel)});
    CTrendDlg* second = OpenFromMenu(RowOf(demo::kTankLevel));
    ASSERT_NE(second, nullptr);
    Click(window, "connectButton");  // Stop, then a new scan
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_TRUE(window.Menu().Trends().Records().empty());
}

TEST_F(TrendWindow, HistoryOfAHistorizingPointGoesBeforeTheLivePart) {
    DemoServerOptions options;
    options.history.samples = 500;
    options.history.perResponse = 64;  // several answers
    ScanServer(options);
    const int archive = RowOf(demo::kArchivePoint);
    const int level = RowOf(demo::kTankLevel);
    Select({archive, level});
    CTrendDlg* trend = OpenFromMenu(archive);
    ASSERT_NE(trend, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return SeriesOf(*trend, archive).historizing; }));
    EXPECT_FALSE(SeriesOf(*trend, level).historizing);
    EXPECT_TRUE(Find<QPushButton>(*trend, "trendHistory")->isEnabled());

    std::size_t shown = 0;
    QObject::connect(trend, &CTrendDlg::HistoryShown, [&shown](std::size_t n) { shown = n; });
    Click(*trend, "trendHistory");  // the last hour, the first choice
    ASSERT_TRUE(PumpUntil([&] { return !trend->HistoryRunning(); }));
    EXPECT_EQ(shown, 500u);
    EXPECT_EQ(TextOf(*trend, "trendStatus"), "已读取 500 个历史值");
    const auto& samples = SeriesOf(*trend, archive).samples;
    ASSERT_GE(samples.size(), 500u);
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_LT(samples[i - 1].ms, samples[i].ms);
    }
    trend->Redraw();
    EXPECT_GT(trend->PlottedPoints(), 0u);

    // The csv holds every sample of both series under one header.
    TempDir dir;
    prompts.script.fileAnswers.push_back(QString::fromStdString(dir.File("trend.csv")));
    Click(*trend, "trendExport");
    std::ifstream in(dir.File("trend.csv"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("\xEF\xBB\xBFtime,point,value\r\n", 0), 0u);
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
              1 + trend->Book().SampleCount());
}

TEST_F(TrendWindow, AServerWithoutHistorySaysSoInOneLine) {
    DemoServerOptions options;
    options.history.enabled = false;
    ScanServer(options);
    const int archive = RowOf(demo::kArchivePoint);
    Select({archive});
    CTrendDlg* trend = OpenFromMenu(archive);
    ASSERT_NE(trend, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return TextOf(*trend, "trendStatus") == "这些点没有历史记录"; }));
    EXPECT_FALSE(Find<QPushButton>(*trend, "trendHistory")->isEnabled());
    EXPECT_FALSE(trend->ReadHistory(HistoryChoice::kLastDay));
}

}  // namespace
