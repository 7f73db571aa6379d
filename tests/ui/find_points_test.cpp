// The filter box and the column sort: what is shown, and that every command acts on the row the
// user sees.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTest>

#include "engine/node_id_text.h"
#include "tests/ui/point_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/write_value_dlg.h"

namespace {

using namespace std::chrono_literals;

struct Point {
    const char* name;
    const char* value;
    const char* dataType;
    std::uint16_t typeIndex;
};
// Scan order; the Int32 values sort differently as numbers and as texts.
constexpr Point kPoints[] = {
    {"Pump speed", "1450", "Int32", 5},    {"Tank level", "-3", "Int32", 5},
    {"Pump Running", "1", "Boolean", 0},   {"Valve", "200", "Int32", 5},
    {"Tank name", "Tank 1", "String", 11}, {"Counter", "25", "Int32", 5},
};

class FindPoints : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        std::vector<OPCUAItemData*> batch;
        UA_UInt32 id = 1;
        for (const Point& p : kPoints) {
            auto* r = new OPCUAItemData(NumericId(2, id++), p.value, p.dataType, p.name, "", "");
            r->typeIndex = p.typeIndex;
            batch.push_back(r);
        }
        window.Model()->AppendRows(batch);
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    }

    PointListView& View() { return ListView(window); }
    QLineEdit& FilterBox() { return *Find<QLineEdit>(window, "filterBox"); }
    PointFilterModel& Shown() { return *window.Shown(); }

    void Type(const char* text) { FilterBox().setText(QString::fromUtf8(text)); }

    // Display names of the shown rows, top to bottom.
    std::vector<std::string> ShownNames() {
        std::vector<std::string> names;
        for (int r = 0; r < Shown().rowCount(); ++r)
            names.push_back(Shown().Record(r)->displayName);
        return names;
    }
    std::string ShownCell(int row, int column) {
        return Shown().index(row, column).data().toString().toStdString();
    }
    void ClickHeader(int column) {
        QHeaderView* header = View().horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(FindPoints, FilterMatchesEveryWordInAnyColumnIgnoringCase) {
    struct Case {
        const char* text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"pump", {"Pump speed", "Pump Running"}},
        {"PUMP run", {"Pump Running"}},  // every word must match
        {"tank 1", {"Tank name"}},       // "1" from the value, "tank" from the name
        {"boolean", {"Pump Running"}},   // data type
        {"ns=2;i=4", {"Valve"}},         // NodeId text
        {"-3", {"Tank level"}},          // value
        {"pump valve", {}},
        {"   ", {"Pump speed", "Tank level", "Pump Running", "Valve", "Tank name", "Counter"}},
    };
    for (const Case& c : cases) {
        Type(c.text);
        EXPECT_EQ(ShownNames(), c.names) << c.text;
    }
}

TEST_F(FindPoints, StatusLineCountsShownAndAllInBothLanguages) {
    Type("tank");
    EXPECT_EQ(TextOf(window, "statusLine"), "显示 2 个点，共 6 个点");
    language = 1;
    Type("int32");
    EXPECT_EQ(TextOf(window, "statusLine"), "showing 4 of 6 points");
}

TEST_F(FindPoints, EscapeInTheBoxClearsTheFilter) {
    Type("pump");
    FilterBox().setFocus();
    QTest::keyClick(&FilterBox(), Qt::Key_Escape);
    EXPECT_EQ(FilterBox().text(), QString());
    EXPECT_EQ(Shown().rowCount(), 6);
    EXPECT_TRUE(window.isVisible());  // Escape still does not close the window
}

TEST_F(FindPoints, IdStaysTheRunningNumberInTheWholeList) {
    Type("valve");
    ASSERT_EQ(Shown().rowCount(), 1);
    EXPECT_EQ(ShownCell(0, 0), "4");
    EXPECT_EQ(ShownCell(0, 1), "ns=2;i=4");
}

TEST_F(FindPoints, CommandsActOnTheShownRowUnderTheCursor) {
    Type("tank");  // Tank level (2), Tank name (5)
    ChooseFromMenu(window, RowCentre(window, 1), 3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ns=2;i=5"));

    View().setCurrentIndex(Shown().index(0, 1));
    View().setFocus();
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ns=2;i=2"));

    View().selectionModel()->select(
        Shown().index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ChooseFromMenu(window, RowCentre(window, 1), 2);
    ASSERT_NE(window.Menu().WriteDialog(), nullptr);
    EXPECT_EQ(NodeIdToText(window.Menu().WriteDialog()->NodeId()), "ns=2;i=5");

    ChooseFromMenu(window, RowCentre(window, 1), 0);  // delete the selected shown row
    EXPECT_EQ(ShownNames(), std::vector<std::string>{"Tank level"});
    Type("");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Pump speed", "Tank level", "Pump Running",
                                                      "Valve", "Counter"}));
}

TEST_F(FindPoints, SelectionStaysOnItsPointsWhileTyping) {
    View().selectionModel()->select(
        Shown().index(3, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    View().setCurrentIndex(Shown().index(3, 0));
    View().selectionModel()->select(
        Shown().index(3, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Type("int32");  // Valve is now the third shown row
    ASSERT_EQ(View().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(View().selectionModel()->selectedRows()[0].row(), 2);
    EXPECT_EQ(View().currentIndex().row(), 2);
}

TEST_F(FindPoints, HeaderClicksSortUpDownAndBackToScanOrder) {
    ClickHeader(3);  // Value: Int32 values as numbers, texts after the numbers
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Tank level", "Pump Running", "Counter",
                                                      "Valve", "Pump speed", "Tank name"}));
    EXPECT_TRUE(View().horizontalHeader()->isSortIndicatorShown());
    ClickHeader(3);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Tank name", "Pump speed", "Valve", "Counter",
                                                      "Pump Running", "Tank level"}));
    ClickHeader(3);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Pump speed", "Tank level", "Pump Running",
                                                      "Valve", "Tank name", "Counter"}));
    EXPECT_FALSE(View().horizontalHeader()->isSortIndicatorShown());

    ClickHeader(2);  // Name, and the filter keeps the sort
    Type("pump");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Pump Running", "Pump speed"}));
}

TEST_F(FindPoints, RowsArrivingWhileSortedTakeTheirPlaces) {
    Shown().SetSort(3, PointFilterModel::Order::Ascending);
    auto* r = new OPCUAItemData(NumericId(2, 99), "2", "Int32", "Late", "", "");
    r->typeIndex = 5;
    window.Model()->AppendRows({r});
    EXPECT_EQ(ShownNames()[2], "Late");
    EXPECT_EQ(ShownCell(2, 0), "7");
}

TEST_F(FindPoints, SortedByValueTheSelectionFollowsItsPoint) {
    Shown().SetSort(3, PointFilterModel::Order::Ascending);
    ASSERT_EQ(ShownNames()[3], "Valve");
    View().setCurrentIndex(Shown().index(3, 2));
    View().selectionModel()->select(
        Shown().index(3, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    window.Rows()[3]->value = "-100";  // as a refresh pass writes it, then says so
    emit window.Model()->dataChanged(window.Model()->index(0, 3), window.Model()->index(5, 3));
    QApplication::processEvents();  // rows told of one by one are placed together, afterwards
    EXPECT_EQ(ShownNames().front(), "Valve");
    EXPECT_EQ(View().currentIndex().row(), 0);
    ASSERT_EQ(View().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(View().selectionModel()->selectedRows()[0].row(), 0);
}

TEST_F(FindPoints, TheProxyPassesQtsModelChecks) {
    QAbstractItemModelTester tester(&Shown(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    Type("pump");
    Shown().SetSort(2, PointFilterModel::Order::Descending);
    Type("");
    window.Model()->DeleteRows(1, 2);
    Shown().SetSort(2, PointFilterModel::Order::Scan);
    window.Model()->DeleteAll();
    EXPECT_EQ(Shown().rowCount(), 0);
}

class FilteredRefresh : public ScannedWindowTest {};

TEST_F(FilteredRefresh, RefreshReadsOnlyTheShownRows) {
    DemoServerOptions o;
    o.points = 3000;
    ScanServer(o);
    Find<QLineEdit>(window, "filterBox")->setText(QStringLiteral("p00002"));
    const int shown = window.Shown()->rowCount();
    ASSERT_EQ(shown, 100);  // P0000200 ... P0000299
    for (OPCUAItemData* r : window.Rows()) r->time = "untouched";
    server->ResetValueReads();
    ASSERT_TRUE(RunRefreshPass(window));
    const int perPage = View().RowsInSight();  // a row cut at the bottom counts
    EXPECT_EQ(server->ValueReads(), static_cast<std::uint64_t>(perPage));
    int touched = 0;
    for (const OPCUAItemData* r : window.Rows()) {
        if (r->time == "untouched") continue;
        ++touched;
        EXPECT_NE(r->displayName.find("P00002"), std::string::npos) << r->displayName;
    }
    EXPECT_EQ(touched, perPage);
    EXPECT_EQ(window.VisibleRecords().front(), window.Shown()->Record(0));
}

}  // namespace
