// Knowing each point from the window: its path in the list and the filter, why it cannot be
// written, its details, the write dialog's lines, and a list that keeps Enter and its counts.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <map>

#include "engine/node_id_text.h"
#include "engine/value_from_text.h"
#include "tests/ui/ui_test_support.h"
#include "ui/cell_text.h"
#include "ui/detail_rows.h"
#include "ui/point_details_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/write_value_dlg.h"

namespace {

class KnowPoints : public ScannedWindowTest {
protected:
    int RowOf(const std::string& idText) const {
        for (std::size_t i = 0; i < window.Rows().size(); ++i)
            if (NodeIdToText(window.Rows()[i]->nodeId) == idText) return static_cast<int>(i);
        return -1;
    }
    std::string Plant(const char* id) const {
        return "ns=" + std::to_string(server->PlantNamespace()) + ";s=" + id;
    }
    void Filter(const char* text) {
        Find<QLineEdit>(window, "filterBox")->setText(QString::fromUtf8(text));
    }
    std::vector<std::string> ShownNames() {
        std::vector<std::string> names;
        for (int r = 0; r < window.Shown()->rowCount(); ++r)
            names.push_back(window.Shown()->Record(r)->displayName);
        std::sort(names.begin(), names.end());
        return names;
    }
    // Label → text of the details dialog once it has read them.
    std::map<std::string, std::string> DetailsShown() {
        std::map<std::string, std::string> lines;
        PointDetailsDlg* dialog = window.Menu().DetailsDialog();
        if (dialog == nullptr) return lines;
        PumpUntil([&] { return dialog->Rows().size() > 2; });
        for (const auto& [label, text] : dialog->Rows()) lines[label] = text;
        return lines;
    }
};

TEST_F(KnowPoints, PathsShowInTheirColumnAndTheFilterFindsObjectNames) {
    ScanServer();
    const int level = RowOf(Plant(demo::kTankLevel));
    ASSERT_GE(level, 0);
    EXPECT_EQ(CellShown(window, level, kPathColumn), "Plant/Line1/Tank1");
    EXPECT_EQ(window.Model()->headerData(kPathColumn, Qt::Horizontal).toString().toStdString(),
              "Path");
    Filter("pump1");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Counter", "Running", "Speed"}));
    Filter("LINE1 pump1 speed");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Speed"}));
    Filter("");
    // Sorted by path, rows come in the order of their paths.
    window.Shown()->SetSort(kPathColumn, PointFilterModel::Order::Ascending);
    for (int r = 1; r < window.Shown()->rowCount(); ++r)
        ASSERT_LE(window.Shown()->Record(r - 1)->Path(), window.Shown()->Record(r)->Path()) << r;
}

TEST_F(KnowPoints, WriteIsGrayedWithTheReasonInTheStatusLine) {
    ScanServer();
    const struct {
        UA_UInt32 id;
        bool enabled;
        TextKey reason;
    } cases[] = {
        {demo::kReadOnly, false, TextKey::WriteRefusedReadOnly},
        {demo::kInt32Array, false, TextKey::WriteRefusedArray},
        {demo::kAllTypesBase + UA_TYPES_GUID, false, TextKey::WriteRefusedType},
        {demo::kWritableDouble, true, TextKey::Count},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const int row = RowOfNumeric(c.id);
        ASSERT_GE(row, 0);
        View().selectRow(row);
        bool writeEnabled = !c.enabled;
        window.Menu().menuRunner = [&](QMenu& menu, const QPoint&) -> QAction* {
            writeEnabled = menu.actions().at(2)->isEnabled();
            EXPECT_TRUE(menu.actions().at(4)->isEnabled());  // Properties
            return nullptr;
        };
        window.Menu().OpenContextMenu(RowCentre(window, row));
        EXPECT_EQ(writeEnabled, c.enabled);
        if (!c.enabled) {
            EXPECT_EQ(TextOf(window, "statusLine"), Text(c.reason));
        }
        // The command itself refuses too.
        window.Menu().OnMenuCommand(PointMenu::kWriteZh);
        EXPECT_EQ(window.Menu().WriteDialog() != nullptr, c.enabled);
    }
}

TEST_F(KnowPoints, DetailsShowRangeUnitsAccessAndPath) {
    ScanServer();
    const int row = RowOf(Plant(demo::kTankLevel));
    ASSERT_GE(row, 0);
    ChooseFromMenu(window, RowCentre(window, row), 4);
    ASSERT_NE(window.Menu().DetailsDialog(), nullptr);
    EXPECT_FALSE(window.Menu().DetailsDialog()->isModal());
    auto lines = DetailsShown();
    EXPECT_EQ(lines["NodeId"], Plant(demo::kTankLevel));
    EXPECT_EQ(lines["EURange"], "0.000 .. 100.000");
    EXPECT_EQ(lines["EngineeringUnits"], "m (metre)");
    EXPECT_EQ(lines["AccessLevel"], "读, 写");
    EXPECT_EQ(lines["Path"], "Plant/Line1/Tank1");
    // Every line copies as label and text.
    window.Menu().DetailsDialog()->CopySelected();
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_NE(copied.find("EURange\t0.000 .. 100.000\n"), std::string::npos);
}

TEST_F(KnowPoints, EnterInTheListOpensDetailsAndNeverPressesConnect) {
    ScanServer();
    const std::string caption = TextOf(window, "connectButton");
    const std::size_t count = window.Rows().size();
    const int row = RowOf(Plant(demo::kTankTemperature));
    ASSERT_GE(row, 0);
    View().setFocus();
    View().setCurrentIndex(View().model()->index(row, 1));
    QTest::keyClick(&View(), Qt::Key_Return);
    QTest::keyClick(&View(), Qt::Key_Enter, Qt::KeypadModifier);
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(TextOf(window, "connectButton"), caption);
    EXPECT_TRUE(window.Menu().DetailsDialog() != nullptr);
    EXPECT_EQ(window.Rows().size(), count);
    auto lines = DetailsShown();
    EXPECT_EQ(lines["DataType"], "Float");
    EXPECT_EQ(lines.count("EURange"), 0u);
}

TEST_F(KnowPoints, TheWriteDialogNamesThePointItsTypeValueAndRange) {
    ScanServer();
    Click(window, "connectButton");  // Stop: no refresh under the test
    const int row = RowOfNumeric(demo::kAllTypesBase + UA_TYPES_INT32);
    ASSERT_GE(row, 0);
    View().selectRow(row);
    ChooseFromMenu(window, RowCentre(window, row), 2);
    ASSERT_NE(window.Menu().WriteDialog(), nullptr);
    const CWriteValueDlg& dialog = *window.Menu().WriteDialog();
    EXPECT_EQ(TextOf(dialog, "pointLine"),
              "Int32  ns=" + std::to_string(server->PlantNamespace()) + ";i=1005");
    EXPECT_EQ(TextOf(dialog, "dataTypeLine"), "Int32");
    EXPECT_EQ(TextOf(dialog, "currentValueLine"), "-123456");
    EXPECT_EQ(TextOf(dialog, "rangeLine"), "-2147483648 ~ 2147483647");
    EXPECT_EQ(TextOf(dialog, "newValueLabel"), "新值");

    const int text = RowOfNumeric(demo::kAllTypesBase + UA_TYPES_STRING);
    View().selectRow(text);
    ChooseFromMenu(window, RowCentre(window, text), 2);
    EXPECT_EQ(Find<QLabel>(*window.Menu().WriteDialog(), "rangeLine"),
              nullptr);  // no number, no range
}

TEST_F(KnowPoints, CountsFollowAnEmptiedFilterAndDeletedRows) {
    ScanServer();
    const long long all = static_cast<long long>(window.Rows().size());
    EXPECT_EQ(TextOf(window, "statusLine"), FormatText(TextKey::SearchDone, all));
    Filter("pump1");
    Filter("");
    EXPECT_EQ(TextOf(window, "statusLine"), FormatText(TextKey::SearchDone, all));
    View().selectRow(0);
    window.Menu().OnMenuCommand(PointMenu::kDeleteZh);
    EXPECT_EQ(TextOf(window, "statusLine"), FormatText(TextKey::SearchDone, all - 1));
    Filter("pump1");
    View().selectRow(0);
    window.Menu().OnMenuCommand(PointMenu::kDeleteZh);
    EXPECT_EQ(TextOf(window, "statusLine"), "显示 2 个点，共 " + std::to_string(all - 2) + " 个点");
}

TEST_F(KnowPoints, RowsCutAtTheBottomAreRefreshedToo) {
    ScanServer();
    PointListView& view = View();
    const int rowHeight = view.verticalHeader()->defaultSectionSize();
    for (int h = 0; h < rowHeight && view.viewport()->height() % rowHeight == 0; ++h) {
        window.resize(window.width(), window.height() + 1);
        PumpFor(std::chrono::milliseconds(20));
    }
    ASSERT_NE(view.viewport()->height() % rowHeight, 0);
    EXPECT_EQ(view.RowsInSight(), view.RowsPerPage() + 1);
    EXPECT_EQ(window.VisibleRecords().size(), static_cast<std::size_t>(view.RowsInSight()));
}

TEST(PointTooltips, LongCellsTellTheirWholeText) {
    PointRows rows;
    PointTableModel model(rows, nullptr);
    auto* record =
        new OPCUAItemData(UA_NODEID_NUMERIC(2, 1), std::string(600, 'v'), "String", "n", "", "");
    model.AppendRows({record});
    const QModelIndex value = model.index(0, kValueColumn);
    EXPECT_EQ(model.data(value, Qt::DisplayRole).toString().size(), 511);
    EXPECT_EQ(model.data(value, Qt::ToolTipRole).toString().size(), 600);
    model.DeleteAll();
}

// A refresh hands back a copy; whether the value is an array comes along, so the write command
// stays grayed for an array after any number of passes.
TEST(PointRefresh, AnArrayStaysAnArrayAcrossARefresh) {
    PointRows rows;
    PointTableModel model(rows, nullptr);
    auto* record = new OPCUAItemData(UA_NODEID_NUMERIC(2, 1), "[1, 2]", "Int32", "a", "", "GOOD");
    model.AppendRows({record});
    OPCUAItemData fresh(UA_NODEID_NUMERIC(2, 1), "[1, 2, 3]", "Int32", "a", "", "GOOD");
    fresh.typeIndex = UA_TYPES_INT32;
    fresh.isArray = true;
    model.UpdateValues(0, fresh);
    EXPECT_TRUE(record->isArray);
    EXPECT_EQ(WhyNotWritable(*record), WriteRefusal::kArray);
    model.DeleteAll();
}

TEST(DetailRows, AccessInWordsFailureNamedAndPathLast) {
    PromptScript prompts;
    PointDetails details;
    details.lines.push_back({"AccessLevel", DetailLine::Kind::kAccess, "", 0x07});
    details.lines.push_back(
        {"UserAccessLevel", DetailLine::Kind::kAccess, "BadUserAccessDenied", 0, true});
    details.lines.push_back({"DataType", DetailLine::Kind::kText, "Double"});
    auto rows = DetailRows(details, "Plant/Line1");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (DetailRow{"AccessLevel", "读, 写, 读历史"}));
    EXPECT_EQ(rows[1].second, "BadUserAccessDenied");
    EXPECT_EQ(rows[3], (DetailRow{"Path", "Plant/Line1"}));
    language = 1;
    EXPECT_EQ(AccessWords(0), "none");
    EXPECT_EQ(AccessWords(UA_ACCESSLEVELMASK_WRITE | UA_ACCESSLEVELMASK_HISTORYWRITE),
              "write, history write");
    PointDetails failed;
    failed.status = UA_STATUSCODE_BADSESSIONIDINVALID;
    rows = DetailRows(failed, "");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (DetailRow{"read failed: ", "BadSessionIdInvalid"}));
    EXPECT_EQ(CopyRows({{"a", "1"}, {"b", ""}}), "a\t1\nb\t\n");
}

}  // namespace
