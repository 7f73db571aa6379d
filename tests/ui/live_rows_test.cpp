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

TEST(LiveRows, TheServerMonitorsTheRowsOnScreenAndFollowsScrolling) {
    DemoServerOptions o;
    o.points = 5000;
    o.changingPoints = 5000;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    PromptScript prompts;
    CQuorvaneDlg window{LiveWindowTiming()};
    SetUrl(window, server->Url());
    window.show();
    ASSERT_TRUE(ScanToEnd(window));
    PointListView& view = ListView(window);
    const auto onScreen = [&] { return static_cast<std::int64_t>(view.RowsInSight()); };
    ASSERT_GT(onScreen(), 5);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return window.Session().Live() == LiveMode::Subscribed &&
                   server->MonitoredItems() == onScreen();
        },
        10s))
        << server->MonitoredItems() << " items for " << onScreen() << " rows";

    view.scrollTo(view.model()->index(3000, 0), QAbstractItemView::PositionAtTop);
    const int top = view.FirstVisibleRow();
    ASSERT_GE(top, 2900);
    OPCUAItemData* record = window.Rows()[static_cast<std::size_t>(top + 1)];
    const std::string before = record->value;
    // The rows now on screen change with the server, without any pass reading them.
    EXPECT_TRUE(PumpUntil([&] { return record->value != before; }, 3s));
    EXPECT_EQ(CellShown(window, top + 1, 3), record->value);
    EXPECT_EQ(server->MonitoredItems(), onScreen());
    EXPECT_EQ(window.Session().MonitoredRecords(), static_cast<std::size_t>(onScreen()));
    EXPECT_TRUE(prompts.script.messages.empty());
}

// A trend's point stays monitored off screen: its item comes with the trend, before any refresh
// pass, and goes when the trend closes.
TEST(LiveRows, AnOpenTrendKeepsItsPointMonitoredOffScreen) {
    DemoServerOptions o;
    o.points = 2000;
    o.changingPoints = 2000;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    PromptScript prompts;
    CQuorvaneDlg window{LiveWindowTiming()};
    SetUrl(window, server->Url());
    window.show();
    ASSERT_TRUE(ScanToEnd(window));
    PointListView& view = ListView(window);
    const auto onScreen = [&] { return static_cast<std::int64_t>(view.RowsInSight()); };
    ASSERT_TRUE(PumpUntil(
        [&] {
            return window.Session().Live() == LiveMode::Subscribed &&
                   server->MonitoredItems() == onScreen();
        },
        10s));
    view.scrollTo(view.model()->index(1500, 0), QAbstractItemView::PositionAtTop);
    ASSERT_TRUE(PumpUntil([&] { return server->MonitoredItems() == onScreen(); }, 3s));
    OPCUAItemData* record = window.Rows()[1900];  // well below the rows in sight
    const std::string before = record->value;
    CTrendDlg* trend = window.Menu().Trends().Open({record});
    ASSERT_NE(trend, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return server->MonitoredItems() == onScreen() + 1; }, 2s))
        << server->MonitoredItems() << " items for " << onScreen() << " rows and one trend";
    EXPECT_TRUE(PumpUntil([&] { return record->value != before; }, 3s));
    trend->close();
    EXPECT_TRUE(PumpUntil([&] { return server->MonitoredItems() == onScreen(); }, 2s));
    EXPECT_TRUE(prompts.script.messages.empty());
}

}  // namespace
