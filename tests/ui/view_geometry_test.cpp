#include <gtest/gtest.h>

#include <numeric>

#include "ui/dialog_layout.h"
#include "ui/visible_rows.h"

namespace {

TEST(VisibleRowsRange, ThePageCutToTheRowsThatExist) {
    struct Case {
        const char* what;
        int top, perPage, itemCount;
        std::size_t rows;
        std::size_t first, count;
    };
    const Case cases[] = {
        {"page inside the list", 100, 30, 10000, 10000, 100, 30},
        {"fewer rows than fit", 0, 30, 12, 12, 0, 12},
        {"page running past the end", 9990, 30, 10000, 10000, 9990, 10},
        {"exactly one page", 0, 30, 30, 30, 0, 30},
        {"empty list", 0, 30, 0, 0, 0, 0},
        {"no top row", -1, 30, 0, 0, 0, 0},
        {"empty view", 0, 0, 100, 100, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RowRange r = VisibleRows(c.top, c.perPage, c.itemCount, c.rows);
        EXPECT_EQ(r.count, c.count);
        if (c.count > 0) {
            EXPECT_EQ(r.first, c.first);
        }
    }
}

TEST(DialogUnits, EightPointFontAtNinetySixDpi) {
    EXPECT_EQ(DluToPixels(635, 357, 1.0), QSize(953, 580));
    EXPECT_EQ(DluToPixels({2, 26, 630, 307}, 1.0), QRect(3, 42, 945, 499));
    EXPECT_EQ(DluToPixels(100, 100, 2.0), QSize(300, 325));
}

TEST(ResizeRules, ControlsFollowTheClientArea) {
    const MainWindowLayout l =
        LayoutForClient(QSize(1000, 600), QPoint(3, 42), QSize(62, 23), QSize(75, 28));
    EXPECT_EQ(l.list, QRect(3, 42, 1000, 600 - 42 - 50));
    const int bottom = 42 + 508;
    EXPECT_EQ(l.status, QRect(0, bottom + 15, 900, 24));
    EXPECT_EQ(l.language, QRect(1000 - 62, 17, 62, 23));
    EXPECT_EQ(l.exportButton, QRect(1000 - 75, bottom + 8, 75, 28));
}

TEST(ResizeRules, TooLowAWindowGivesTheListNoHeight) {
    const MainWindowLayout l =
        LayoutForClient(QSize(400, 60), QPoint(3, 42), QSize(62, 23), QSize(75, 28));
    EXPECT_EQ(l.list.height(), 0);
    EXPECT_EQ(l.exportButton.top(), 42 + 8);
}

TEST(ColumnWidthRule, OneSeventeenthAndTwoSeventeenths) {
    // Nine columns: ID one share, the eight others two each.
    const auto w = ColumnWidths(1700);
    EXPECT_EQ(w[0], 100);
    for (int c = 1; c < kColumnCount; ++c) EXPECT_EQ(w[static_cast<std::size_t>(c)], 200);
    // Integer division loses at most a few pixels of the width.
    for (int width : {945, 1000, 1279, 17, 0}) {
        const auto ws = ColumnWidths(width);
        const int sum = std::accumulate(ws.begin(), ws.end(), 0);
        EXPECT_LE(sum, width);
        EXPECT_GE(sum, width - 17);
    }
}

}  // namespace
