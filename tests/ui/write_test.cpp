#include <gtest/gtest.h>

#include <QMenu>
#include <QPointer>
#include <QTest>

#include "tests/ui/options_helpers.h"
#include "ui/invalid_value_text.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/write_value_dlg.h"

namespace {

using namespace std::chrono_literals;

class WriteValue : public ScannedWindowTest {
protected:
    void ScanServer(DemoServerOptions o = {}) {
        ASSERT_NO_FATAL_FAILURE(ScannedWindowTest::ScanServer(o));
        Click(window, "connectButton");  // Stop: no refresh pass rewrites values under the test
    }

    // Right-clicks `row` (selected, as a user's right-click after a click would have it) and picks
    // the entry at `position`.
    void MenuOnRow(int row, int position) {
        View().selectRow(row);
        ChooseFromMenu(window, RowCentre(window, row), position);
    }

    CWriteValueDlg& OpenWriteOn(int row) {
        MenuOnRow(row, 2);
        EXPECT_NE(window.Menu().WriteDialog(), nullptr);
        return *window.Menu().WriteDialog();
    }

    // Presses OK and waits for the write to come back.
    void PressOk(CWriteValueDlg& dialog) {
        Click(dialog, "okButton");
        ASSERT_TRUE(PumpUntil([&] { return !dialog.Writing(); }));
    }

    void Type(CWriteValueDlg& dialog, const char* text) {
        Find<QLineEdit>(dialog, "valueBox")->setText(QString::fromUtf8(text));
    }

    const std::string& ValueOf(int row) const {
        return window.Rows()[static_cast<std::size_t>(row)]->value;
    }
};

TEST_F(WriteValue, DoubleShowsTheValueReadBack) {
    ScanServer();
    const int row = RowOfNumeric(demo::kWritableDouble);
    ASSERT_GE(row, 0);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    EXPECT_TRUE(dialog.isVisible());
    Type(dialog, "1.5");
    PressOk(dialog);
    EXPECT_EQ(ValueOf(row), "1.500");
    EXPECT_EQ(CellShown(window, row, 3), "1.500");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(prompts.script.messages.empty());
}

// A right-click on a read-only point says why write is grayed; a later write elsewhere says how
// it went instead of leaving that reason standing.
TEST_F(WriteValue, AWriteConfirmsInTheStatusLineReplacingAnEarlierReason) {
    ScanServer();
    const int readOnly = RowOfNumeric(demo::kReadOnly);
    ASSERT_GE(readOnly, 0);
    View().selectRow(readOnly);
    window.Menu().menuRunner = [](QMenu&, const QPoint&) -> QAction* { return nullptr; };
    window.Menu().OpenContextMenu(RowCentre(window, readOnly));
    window.Menu().menuRunner = nullptr;
    ASSERT_EQ(TextOf(window, "statusLine"), Text(TextKey::WriteRefusedReadOnly));

    const int row = RowOfNumeric(demo::kWritableDouble);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    Type(dialog, "2.5");
    PressOk(dialog);
    EXPECT_EQ(TextOf(window, "statusLine"), "已写入 2.500");
}

TEST_F(WriteValue, InvalidTextIsRefusedBeforeAnySession) {
    ScanServer();
    const int row = RowOfNumeric(demo::kWritableDouble);
    ASSERT_GE(row, 0);
    const std::string before = ValueOf(row);
    const auto type = window.Rows()[static_cast<std::size_t>(row)]->typeIndex;
    CWriteValueDlg& dialog = OpenWriteOn(row);
    for (const char* text : {"abc", "12abc", ""}) {
        SCOPED_TRACE(text);
        prompts.script.messages.clear();
        Type(dialog, text);
        Click(dialog, "okButton");
        EXPECT_FALSE(dialog.Writing());  // refused at once, no session opened
        ASSERT_EQ(prompts.script.messages.size(), 1u);
        EXPECT_EQ(prompts.script.messages[0], InvalidValueText(type));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(TextOf(dialog, "valueBox"), text);
        EXPECT_EQ(ValueOf(row), before);
    }
}

TEST_F(WriteValue, DialogTextsAndFocus) {
    ScanServer();
    const int row = RowOfNumeric(demo::kWritableDouble);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "点名[ns=2;i=1102]");
    EXPECT_EQ(TextOf(dialog, "newValueLabel"), "新值");
    EXPECT_EQ(TextOf(dialog, "okButton"), "确定");
    EXPECT_EQ(TextOf(dialog, "valueBox"), "");
    EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "valueBox"));

    language = 1;
    CWriteValueDlg& english = OpenWriteOn(row);
    EXPECT_EQ(english.windowTitle().toStdString(), "NodeId[ns=2;i=1102]");
    EXPECT_EQ(TextOf(english, "newValueLabel"), "New Value");
    EXPECT_EQ(TextOf(english, "okButton"), "OK");
    Click(window, "languageButton");  // an open dialog keeps its caption
    EXPECT_EQ(english.windowTitle().toStdString(), "NodeId[ns=2;i=1102]");
}

// The menu grays writing a read-only point; a dialog opened on it anyway (the access level can
// change) hears the server's refusal and names it.
TEST_F(WriteValue, ReadOnlyPointFailsNamingTheStatusAndKeepsItsValue) {
    ScanServer();
    const int row = RowOfNumeric(demo::kReadOnly);
    ASSERT_GE(row, 0);
    const OPCUAItemData& record = *window.Rows()[static_cast<std::size_t>(row)];
    const std::string before = ValueOf(row);
    for (const char* expected :
         {"写值失败! BadNotWritable", "write value failure! BadNotWritable"}) {
        SCOPED_TRACE(expected);
        prompts.script.messages.clear();
        CWriteValueDlg dialog(
            &window, record, record.typeIndex, window.OptionsDialog(), server->Url(),
            [this](const UA_NodeId& id, std::string& text, bool failed) {
                window.Menu().OnWriteResult(id, text, failed);
            },
            window.Session());
        dialog.show();
        Type(dialog, "7");
        PressOk(dialog);
        ASSERT_EQ(prompts.script.messages.size(), 1u);
        EXPECT_EQ(prompts.script.messages[0], expected);
        EXPECT_EQ(ValueOf(row), before);
        EXPECT_FALSE(dialog.isVisible());
        language = 1;
    }
}

TEST_F(WriteValue, EmptyPasswordIsReportedBeforeAnyConnection) {
    ScanServer();
    const int row = RowOfNumeric(demo::kWritableDouble);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    ConfirmOptions(*window.OptionsDialog(), UserPassword("operator", ""));
    Type(dialog, "2");
    PressOk(dialog);
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0], "用户名/密码不能为空!");
    EXPECT_TRUE(dialog.isVisible());  // stays open with the typed text
    EXPECT_EQ(TextOf(dialog, "valueBox"), "2");
    EXPECT_EQ(ValueOf(row), "0.000");
}

// Policy and mode left open are a choice of their own; files that cannot be read are not.
TEST_F(WriteValue, CertificateFilesThatCannotBeReadAreReported) {
    ScanServer();
    const int row = RowOfNumeric(demo::kWritableDouble);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    CLoginOptionDlg& options = *window.OptionsDialog();
    ChooseSignIn(options, 3);
    prompts.script.fileAnswers = {QStringLiteral("/c.der"), QStringLiteral("/k.der")};
    Click(options, "certificateBrowse");
    Click(options, "keyBrowse");
    options.reject();  // paths stored, policy and mode left open
    language = 1;
    Type(dialog, "2");
    PressOk(dialog);
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0], "certificate or private key not match!");
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(WriteValue, UsesTheUrlOfTheMomentItOpened) {
    ScanServer();
    const int row = RowOfNumeric(demo::kWritableDouble);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    SetUrl(window, ClosedPortUrl());
    EXPECT_EQ(dialog.Url(), server->Url());
    Type(dialog, "2.25");
    PressOk(dialog);
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_EQ(ValueOf(row), "2.250");
}

TEST_F(WriteValue, UserPasswordSessionUsesTheChosenSecurity) {
    DemoServerOptions o;  // offers only the policy None
    o.users = {{"operator", "secret"}};
    ScanServer(o);
    const int row = RowOfNumeric(demo::kWritableDouble);
    OptionsInput in = UserPassword("operator", "secret");
    in.policy = 3;
    in.mode = 2;
    ConfirmOptions(*window.OptionsDialog(), in);
    CWriteValueDlg& dialog = OpenWriteOn(row);
    Type(dialog, "3");
    PressOk(dialog);
    // Signed and encrypted as chosen, which this server does not offer: said as such.
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0], Text(TextKey::PolicyNotOffered));
    EXPECT_EQ(ValueOf(row), "0.000");

    in.policy = 0;
    in.mode = 0;
    ConfirmOptions(*window.OptionsDialog(), in);
    prompts.script.questionAnswers = {true};  // the password may go in clear to this server
    PressOk(dialog);                          // OK again tries with the options of now
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Writing(); }));
    EXPECT_EQ(prompts.script.questions.size(), 1u);
    EXPECT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(ValueOf(row), "3.000");
}

TEST_F(WriteValue, ResultGoesToThePointWrittenNotTheLastRightClick) {
    ScanServer();
    const int target = RowOfNumeric(demo::kWritableDouble);
    const int other = RowOfNumeric(demo::kReadOnly);
    ASSERT_GE(target, 0);
    ASSERT_GE(other, 0);
    UA_NodeId targetId;
    UA_NodeId_copy(&window.Rows()[static_cast<std::size_t>(target)]->nodeId, &targetId);
    CWriteValueDlg& dialog = OpenWriteOn(target);
    const std::string otherBefore = ValueOf(other);
    MenuOnRow(other, -1);  // a right-click elsewhere, nothing chosen
    MenuOnRow(0, 0);       // and a delete of the first row, which moves every row up
    Type(dialog, "4.5");
    PressOk(dialog);
    const auto it = std::find_if(
        window.Rows().begin(), window.Rows().end(),
        [&](const OPCUAItemData* r) { return UA_NodeId_equal(&r->nodeId, &targetId); });
    ASSERT_NE(it, window.Rows().end());
    EXPECT_EQ((*it)->value, "4.500");
    EXPECT_EQ(ValueOf(other - 1), otherBefore);
    UA_NodeId_clear(&targetId);
}

TEST_F(WriteValue, DeletedPointGetsNothing) {
    ScanServer();
    const int target = RowOfNumeric(demo::kWritableDouble);
    CWriteValueDlg& dialog = OpenWriteOn(target);
    const auto before = window.Rows().size();
    window.Model()->DeleteRows(static_cast<std::size_t>(target), 1);
    Type(dialog, "5");
    PressOk(dialog);
    EXPECT_EQ(window.Rows().size(), before - 1);
    EXPECT_TRUE(prompts.script.messages.empty());
    for (const auto* r : window.Rows()) EXPECT_NE(r->value, "5.000");
}

TEST_F(WriteValue, OneDialogAtATimeAndHidingKeepsIt) {
    ScanServer();
    QPointer<CWriteValueDlg> first = &OpenWriteOn(RowOfNumeric(demo::kWritableDouble));
    QTest::keyClick(first.data(), Qt::Key_Escape);
    EXPECT_FALSE(first->isVisible());
    first->show();
    first->close();
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->isVisible());
    CWriteValueDlg& second = OpenWriteOn(RowOfNumeric(demo::kAllTypesBase + UA_TYPES_INT32));
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(window.Menu().WriteDialog(), &second);
    EXPECT_EQ(second.windowTitle().toStdString(), "点名[ns=2;i=1005]");
}

TEST_F(WriteValue, WriteOverEmptySpaceDoesNothing) {
    ScanServer();
    window.Model()->DeleteRows(3, window.Rows().size() - 3);
    View().selectRow(0);
    const QRect last = View().visualRect(View().model()->index(2, 1));
    ChooseFromMenu(
        window, View().viewport()->mapToGlobal(QPoint(last.center().x(), last.bottom() + 40)), 2);
    EXPECT_EQ(window.Menu().WriteDialog(), nullptr);
}

}  // namespace
