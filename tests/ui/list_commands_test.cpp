#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>

#include "tests/ui/point_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"

namespace {

// A window holding points made here, without any server.
class ListCommands : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        std::vector<OPCUAItemData*> batch;
        for (UA_UInt32 i = 1; i <= count; ++i) {
            batch.push_back(
                new OPCUAItemData(NumericId(2, i), "", "", "P" + std::to_string(i), "", ""));
        }
        batch.push_back(new OPCUAItemData(GuidId(2), "", "", "G", "", ""));
        batch.push_back(new OPCUAItemData(ByteStringId(2, "\x01\x02\x03"), "", "", "B", "", ""));
        window.Model()->AppendRows(batch);
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    }

    PointListView& View() { return ListView(window); }

    QPoint RowCentre(int row) { return ::RowCentre(window, row); }

    void Select(std::initializer_list<int> rowsToSelect) {
        View().clearSelection();
        for (int r : rowsToSelect) {
            View().selectionModel()->select(
                View().model()->index(r, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    void Choose(const QPoint& at, int position) { ChooseFromMenu(window, at, position); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto* r : window.Rows()) names.push_back(r->displayName);
        return names;
    }

    static constexpr UA_UInt32 count = 8;
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

// Delete, separator, Write value, Copy name; each language has its own command ids, and
// Delete and Write value need a selection while Copy name does not.
TEST_F(ListCommands, MenuEntriesByLanguageAndSelection) {
    struct Case {
        int language;
        bool selection;
        const char* texts[3];
        int ids[3];
    };
    const Case cases[] = {
        {0, false, {"删除", "写值", "复制点名"}, {32776, 32778, 32785}},
        {1, true, {"delete", "write value", "copy name"}, {32782, 32783, 32786}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language == 0 ? "Chinese, nothing selected" : "English, a row selected");
        language = c.language;
        if (c.selection)
            Select({2});
        else
            View().clearSelection();
        auto menu = window.Menu().BuildContextMenu();
        const auto actions = menu->actions();
        ASSERT_EQ(actions.size(), 10);  // then History..., Inventory..., Trend, keep scan history
        EXPECT_EQ(actions[4]->text(), QString::fromUtf8(c.language == 0 ? "属性" : "Properties"));
        EXPECT_EQ(actions[4]->data().toInt(), c.language == 0 ? 32790 : 32791);
        EXPECT_TRUE(actions[1]->isSeparator());
        for (int i = 0; i < 3; ++i) {
            QAction* action = actions[i == 0 ? 0 : i + 1];
            EXPECT_EQ(action->text(), QString::fromUtf8(c.texts[i])) << i;
            EXPECT_EQ(action->data().toInt(), c.ids[i]) << i;
        }
        EXPECT_EQ(actions[0]->isEnabled(), c.selection);
        EXPECT_EQ(actions[2]->isEnabled(), c.selection);
        EXPECT_TRUE(actions[3]->isEnabled());
    }
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
    window.Menu().OnMenuCommand(PointMenu::kDeleteEn);
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
    const QRect last = View().visualRect(View().model()->index(count + 1, 1));
    ASSERT_LT(last.bottom() + 30, View().viewport()->height());
    const QPoint below =
        View().viewport()->mapToGlobal(QPoint(last.center().x(), last.bottom() + 20));
    Choose(below, 3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    // Opening the menu and choosing nothing changes nothing either.
    Choose(RowCentre(0), -1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

TEST_F(ListCommands, CtrlCCopiesTheCurrentRow) {
    View().setCurrentIndex(View().model()->index(4, 2));
    View().setFocus();
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ns=2;i=5"));
}

TEST_F(ListCommands, GrayedEntriesDoNothing) {
    View().clearSelection();
    Choose(RowCentre(0), 0);
    EXPECT_EQ(window.Rows().size(), count + 2);
}

}  // namespace
