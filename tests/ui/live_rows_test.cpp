// The window with live values: the rows on screen are the ones the server monitors, scrolling
// moves the server's items, and a value written on the server shows in its cell.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "ui/point_list_view.h"
#include "ui/point_menu.h"
#include "ui/trend/open_trends.h"
#include "ui/trend/trend_dlg.h"

namespace {

using namespace std::chrono_literals;

Timing LiveWindowTiming() {
    Timing t = FastTiming();
    t.live = true;
    t.refreshMs = 5000;
    return t;
}

// A window that scanned a demo server of `points` changing points, subscribed to what it shows.
class LiveRows : public testing::Test {
protected:
    void Scan(std::size_t points) {
        DemoServerOptions o;
        o.points = points;
        o.changingPoints = points;
        server = StartDemoServer(o);
        ASSERT_TRUE(server);
        SetUrl(window, server->Url());
        window.show();
        ASSERT_TRUE(ScanToEnd(window));
        ASSERT_GT(OnScreen(), 5);
        ASSERT_TRUE(PumpUntil(
            [&] {
                return window.Session().Live() == LiveMode::Subscribed &&
                       server->MonitoredItems() == OnScreen();
            },
            10s))
            << server->MonitoredItems() << " items for " << OnScreen() << " rows";
    }
    PointListView& View() { return ListView(window); }
    std::int64_t OnScreen() { return static_cast<std::int64_t>(View().RowsInSight()); }

    std::unique_ptr<DemoServer> server;
    PromptScript prompts;
    CQuorvaneDlg window{LiveWindowTiming()};
};

TEST_F(LiveRows, TheServerMonitorsTheRowsOnScreenAndFollowsScrolling) {
    ASSERT_NO_FATAL_FAILURE(Scan(5000));
    PointListView& view = View();
    view.scrollTo(view.model()->index(3000, 0), QAbstractItemView::PositionAtTop);
    const int top = view.FirstVisibleRow();
    ASSERT_GE(top, 2900);
    OPCUAItemData* record = window.Rows()[static_cast<std::size_t>(top + 1)];
    const std::string before = record->value;
    // The rows now on screen change with the server, without any pass reading them.
    EXPECT_TRUE(PumpUntil([&] { return record->value != before; }, 3s));
    EXPECT_EQ(CellShown(window, top + 1, 3), record->value);
    EXPECT_EQ(server->MonitoredItems(), OnScreen());
    EXPECT_EQ(window.Session().MonitoredRecords(), static_cast<std::size_t>(OnScreen()));
    EXPECT_TRUE(prompts.script.messages.empty());
}

// A trend's point stays monitored off screen: its item comes with the trend, before any refresh
// pass, and goes when the trend closes.
TEST_F(LiveRows, AnOpenTrendKeepsItsPointMonitoredOffScreen) {
    ASSERT_NO_FATAL_FAILURE(Scan(2000));
    PointListView& view = View();
    view.scrollTo(view.model()->index(1500, 0), QAbstractItemView::PositionAtTop);
    ASSERT_TRUE(PumpUntil([&] { return server->MonitoredItems() == OnScreen(); }, 3s));
    OPCUAItemData* record = window.Rows()[1900];  // well below the rows in sight
    const std::string before = record->value;
    CTrendDlg* trend = window.Menu().Trends().Open({record});
    ASSERT_NE(trend, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return server->MonitoredItems() == OnScreen() + 1; }, 2s))
        << server->MonitoredItems() << " items for " << OnScreen() << " rows and one trend";
    EXPECT_TRUE(PumpUntil([&] { return record->value != before; }, 3s));
    trend->close();
    EXPECT_TRUE(PumpUntil([&] { return server->MonitoredItems() == OnScreen(); }, 2s));
    EXPECT_TRUE(prompts.script.messages.empty());
}

}  // namespace
