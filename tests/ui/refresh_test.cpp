#include <gtest/gtest.h>

#include <QScrollBar>

#include "tests/ui/ui_test_support.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"

namespace {

using namespace std::chrono_literals;

class Refresh : public ScannedWindowTest {
protected:
    void ScrollToTop(int row) {
        PumpFor(20ms);  // let the view lay out the rows that arrived
        View().scrollTo(View().model()->index(row, 0), QAbstractItemView::PositionAtTop);
        PumpFor(20ms);
    }

    // Marks every row so that a pass shows which rows it touched.
    void MarkAllRows() {
        for (OPCUAItemData* r : window.Rows()) r->time = "untouched";
    }

    std::vector<int> TouchedRows() const {
        std::vector<int> touched;
        for (std::size_t i = 0; i < window.Rows().size(); ++i) {
            if (window.Rows()[i]->time != "untouched") touched.push_back(static_cast<int>(i));
        }
        return touched;
    }
};

TEST_F(Refresh, ChangingValuesAppearAfterAPass) {
    ScanServer();
    const int counter = RowOfNumeric(demo::kPumpCounter);
    ASSERT_GE(counter, 0);
    ScrollToTop(counter);
    const std::string before = window.Rows()[static_cast<std::size_t>(counter)]->value;
    EXPECT_TRUE(PumpUntil(
        [&] { return window.Rows()[static_cast<std::size_t>(counter)]->value != before; }, 5s));
    EXPECT_EQ(CellShown(window, counter, 4), "GOOD");
    EXPECT_EQ(window.LastReadResult(), 0);
    EXPECT_EQ(window.RefreshInterval(), FastTiming().refreshMs);
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(Refresh, OnlyVisibleRowsAreRead) {
    DemoServerOptions o;
    o.points = 10000;
    ScanServer(o);
    // A row cut at the bottom is read too.
    const int perPage = View().RowsInSight();
    ASSERT_GT(perPage, 5);
    ASSERT_LT(perPage, 100);
    for (int pass = 0; pass < 3; ++pass) {
        server->ResetValueReads();
        ASSERT_TRUE(RunRefreshPass(window));
        EXPECT_GT(server->ValueReads(), 0u);
        EXPECT_LE(server->ValueReads(), static_cast<std::uint64_t>(perPage));
    }
}

TEST_F(Refresh, ScrollingChangesWhatIsRead) {
    DemoServerOptions o;
    o.points = 10000;
    ScanServer(o);
    ScrollToTop(5000);
    MarkAllRows();
    ASSERT_TRUE(RunRefreshPass(window));
    const std::vector<int> touched = TouchedRows();
    ASSERT_FALSE(touched.empty());
    EXPECT_EQ(touched.front(), View().FirstVisibleRow());
    EXPECT_EQ(touched.front(), 5000);
    EXPECT_LE(touched.back(), 5000 + View().RowsInSight() - 1);
    EXPECT_EQ(touched.size(), static_cast<std::size_t>(View().RowsInSight()));
}

TEST_F(Refresh, AShortListIsReadToTheLastRow) {
    ScanServer();
    auto& rows = window.Rows();
    // Leave fewer rows than fit on screen.
    window.Model()->DeleteRows(5, rows.size() - 5);
    MarkAllRows();
    ASSERT_TRUE(RunRefreshPass(window));
    EXPECT_EQ(TouchedRows(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(Refresh, RowsWithoutADataTypeAreNeverRead) {
    ScanServer();
    ScrollToTop(0);
    for (OPCUAItemData* r : window.Rows()) r->dataType.clear();
    server->ResetValueReads();
    ASSERT_TRUE(RunRefreshPass(window));
    EXPECT_EQ(server->ValueReads(), 0u);
    EXPECT_EQ(window.LastReadResult(), -2);
    EXPECT_EQ(window.RefreshInterval(), FastTiming().refreshMs);
}

TEST_F(Refresh, LostServerGivesUncertainAndComesBack) {
    ScanServer();
    ScrollToTop(0);
    const auto visible = static_cast<std::size_t>(View().RowsPerPage());
    server->Stop();
    // A failed read, then a failed reconnect that marks the rows on screen.
    ASSERT_TRUE(PumpUntil([&] { return window.Rows()[0]->quality == "UNCERTAIN"; }, 20s));
    EXPECT_EQ(window.LastReadResult(), -1);
    EXPECT_EQ(window.RefreshInterval(), FastTiming().retryMs);
    for (std::size_t i = 0; i < std::min(visible, window.Rows().size()); ++i) {
        if (!window.Rows()[i]->dataType.empty()) {
            EXPECT_EQ(window.Rows()[i]->quality, "UNCERTAIN") << i;
        }
    }
    if (window.Rows().size() > visible + 1) {
        EXPECT_NE(window.Rows().back()->quality, "UNCERTAIN");
    }
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_EQ(TextOf(window, "statusLine"), "连接中断，正在重试...");

    std::string error;
    ASSERT_TRUE(server->Start(&error)) << error;
    EXPECT_TRUE(PumpUntil([&] { return window.Rows()[0]->quality == "GOOD"; }, 20s));
    EXPECT_EQ(window.LastReadResult(), 0);
    EXPECT_EQ(TextOf(window, "statusLine"), "连接已恢复，数值已更新");
    EXPECT_EQ(window.RefreshInterval(), FastTiming().refreshMs);
}

TEST_F(Refresh, StopEndsTheCycle) {
    ScanServer();
    Click(window, "connectButton");
    EXPECT_FALSE(window.RefreshPending());
    server->ResetValueReads();
    PumpFor(400ms);
    EXPECT_EQ(server->ValueReads(), 0u);
}

}  // namespace
