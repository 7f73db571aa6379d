#include "tests/ui/point_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A window holding points made here, without any server.
class ListCommands : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        std::vector<OPCUAItemData*> batch;
        for (UA_UInt32 i = 1; i <= count; ++i) {
            batch.push_back(new OPCUAItemData(NumericId(2, i), "", "", "P" + std::to_string(i), "", ""));
        }
        batch.push_back(new OPCUAItemData(GuidId(2), "", "", "G", "", ""));
        batch.push_back(new OPCUAItemData(ByteStringId(2, "\x01\x02\x03"), "", "", "B", "", ""));
        window.Model()->AppendRows(batch);
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    }

    PointListView& View() { return *Find<PointListView>(window, "pointList"); }

    QPoint RowCentre(int row) {
        View().scrollTo(window.Model()->index(row, 1));
        const QRect cell = View().visualRect(window.Model()->index(row, 1));
        return View().viewport()->mapToGlobal(cell.center());
    }

    void Select(std::initializer_list<int> rowsToSelect) {
        View().clearSelection();
        for (int r : rowsToSelect) {
            View().selectionModel()->select(window.Model()->index(r, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // Opens the menu at `at` and picks the entry at `position` (or nothing).
    void Choose(const QPoint& at, int position) {
        window.menuRunner = [position](QMenu& menu, const QPoint&) -> QAction* {
            return position < 0 ? nullptr : menu.actions().at(position);
        };
        window.OpenContextMenu(at);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto* r : window.Rows()) names.push_back(r->displayName);
        return names;
    }

    static constexpr UA_UInt32 count = 8;
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(ListCommands, MenuInChineseWithoutSelection) {
    View().clearSelection();
    auto menu = window.BuildContextMenu();
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("删除"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("写值"));
    EXPECT_EQ(actions[3]->text(), QStringLiteral("复制点名"));
    EXPECT_EQ(actions[0]->data().toInt(), 32776);
    EXPECT_EQ(actions[2]->data().toInt(), 32778);
    EXPECT_EQ(actions[3]->data().toInt(), 32785);
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_FALSE(actions[2]->isEnabled());
    EXPECT_TRUE(actions[3]->isEnabled());
}

TEST_F(ListCommands, MenuInEnglishWithSelection) {
    language = 1;
    Select({2});
    auto menu = window.BuildContextMenu();
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("delete"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("write value"));
    EXPECT_EQ(actions[3]->text(), QStringLiteral("copy name"));
    EXPECT_EQ(actions[0]->data().toInt(), 32782);
    EXPECT_EQ(actions[2]->data().toInt(), 32783);
    EXPECT_EQ(actions[3]->data().toInt(), 32786);
    EXPECT_TRUE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[2]->isEnabled());
}

TEST_F(ListCommands, DeleteRemovesExactlyTheSelectedRows) {
    Select({0, 3, 4, 7});
    Choose(RowCentre(1), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"P2", "P3", "P6", "P7", "G", "B"}));
    for (int r = 0; r < window.Model()->rowCount(); ++r) {
        EXPECT_EQ(CellShown(window, r, 0), std::to_string(r + 1));
    }
    EXPECT_EQ(CellShown(window, 2, 1), "ns=2;i=6");
}

TEST_F(ListCommands, DeleteKeyDeletesTheSelection) {
    Select({1, 2});
    View().setFocus();
    QTest::keyClick(&View(), Qt::Key_Delete);
    EXPECT_EQ(Names(), (std::vector<std::string>{"P1", "P4", "P5", "P6", "P7", "P8", "G", "B"}));
}

TEST_F(ListCommands, DeleteWithNothingSelectedDoesNothing) {
    View().clearSelection();
    window.OnMenuCommand(CQuorvaneDlg::kDeleteEn);
    EXPECT_EQ(window.Rows().size(), count + 2);
}

TEST_F(ListCommands, CopyTakesTheRowUnderTheMenuNotTheSelection) {
    Select({0});
    Choose(RowCentre(count), 3);  // the GUID row
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("ns=2;g=01000000-0200-0300-aabb-ccddeeff0011"));
    Choose(RowCentre(count + 1), 3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ns=2;b=AQID"));
}

TEST_F(ListCommands, CopyOnEmptySpaceCopiesNothing) {
    const QRect last = View().visualRect(window.Model()->index(count + 1, 1));
    ASSERT_LT(last.bottom() + 30, View().viewport()->height());
    const QPoint below = View().viewport()->mapToGlobal(QPoint(last.center().x(), last.bottom() + 20));
    Choose(below, 3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    // Opening the menu and choosing nothing changes nothing either.
    Choose(RowCentre(0), -1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

TEST_F(ListCommands, CtrlCCopiesTheCurrentRow) {
    View().setCurrentIndex(window.Model()->index(4, 2));
    View().setFocus();
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ns=2;i=5"));
}

TEST_F(ListCommands, GrayedEntriesDoNothing) {
    View().clearSelection();
    window.menuRunner = [](QMenu& menu, const QPoint&) { return menu.actions().at(0); };
    window.OpenContextMenu(RowCentre(0));
    EXPECT_EQ(window.Rows().size(), count + 2);
}

}  // namespace
