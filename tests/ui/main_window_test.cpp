#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "tests/ui/ui_test_support.h"
#include "ui/cell_text.h"
#include "ui/login_option_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/window_title.h"

namespace {

class MainWindow : public ::testing::Test {
protected:
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(MainWindow, FreshStart) {
    window.show();
    EXPECT_EQ(window.windowTitle().toStdString(),
              "Quorvane[Brelmont][www.quorvane.example][ Build: " + BuildDate() + "(MBCS)]");
    EXPECT_EQ(TextOf(window, "urlBox"), "opc.tcp://127.0.0.1:4840");
    EXPECT_EQ(TextOf(window, "serverLabel"), "OPC UA 服务器：");  // the template's full-width colon
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    EXPECT_EQ(TextOf(window, "optionButton"), "选项");
    EXPECT_EQ(TextOf(window, "exportButton"), "导出");
    EXPECT_EQ(TextOf(window, "languageButton"), "中文");
    EXPECT_EQ(TextOf(window, "statusLine"), "");
    ExpectButtonsEnabled(window,
                         {"connectButton", "optionButton", "exportButton", "languageButton"}, true);
    EXPECT_TRUE(Find<QPushButton>(window, "connectButton")->isDefault());
    EXPECT_EQ(window.Model()->rowCount(), 0);
    EXPECT_EQ(window.LastReadResult(), -1);
    EXPECT_FALSE(window.ScanPollPending());
    EXPECT_FALSE(window.RefreshPending());
    EXPECT_FALSE(window.OptionsDialog()->isVisible());
    EXPECT_EQ(window.Menu().WriteDialog(), nullptr);
}

// The headers themselves are the model's (PointModel.SevenColumnsWithFixedHeaders).
TEST_F(MainWindow, SevenColumnsFillTheList) {
    window.show();
    auto* view = Find<PointListView>(window, "pointList");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->model(), window.Shown());
    ASSERT_EQ(window.Shown()->sourceModel(), window.Model());
    int sum = 0;
    for (int c = 0; c < kColumnCount; ++c) sum += view->columnWidth(c);
    EXPECT_EQ(view->columnWidth(1), 2 * view->columnWidth(0) + (view->columnWidth(1) % 2));
    EXPECT_LE(sum, view->ClientWidth());
    EXPECT_GE(sum, view->ClientWidth() - 17);
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(view->verticalHeader()->isVisible());
}

TEST_F(MainWindow, AFullListNeedsNoHorizontalScrollBar) {
    window.show();
    std::vector<OPCUAItemData*> batch;
    for (UA_UInt32 i = 0; i < 500; ++i) {
        batch.push_back(new OPCUAItemData(UA_NODEID_NUMERIC(2, i), "", "", "p", "", ""));
    }
    window.Model()->AppendRows(batch);
    auto* view = Find<PointListView>(window, "pointList");
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
}

TEST_F(MainWindow, ResizingFollowsTheRules) {
    window.show();
    window.resize(1100, 700);
    auto* view = Find<PointListView>(window, "pointList");
    EXPECT_EQ(view->width(), 1100);
    EXPECT_EQ(view->geometry().bottom() + 1, 700 - 50);
    auto* language = Find<QPushButton>(window, "languageButton");
    EXPECT_EQ(language->geometry().right() + 1, 1100);
    EXPECT_EQ(language->y(), 17);
    auto* exportButton = Find<QPushButton>(window, "exportButton");
    EXPECT_EQ(exportButton->geometry().right() + 1, 1100);
    EXPECT_EQ(exportButton->y(), 650 + 8);
    EXPECT_EQ(Find<QLabel>(window, "statusLine")->geometry(), QRect(0, 650 + 15, 1000, 24));
    EXPECT_NEAR(view->columnWidth(0) * 17, view->ClientWidth(), 17);

    // The window stops at its minimum size, where the list still shows rows.
    window.resize(500, 40);
    EXPECT_EQ(window.size(), window.minimumSize());
    EXPECT_GT(view->height(), 0);
}

// One toggle gives English, a second gives Chinese back, but with the table's ASCII colon
// instead of the full-width one the window starts with.
TEST_F(MainWindow, LanguageToggleRelabelsAndTogglesBack) {
    struct Label {
        const char* control;
        const char* english;
        const char* chinese;
    };
    const Label labels[] = {{"connectButton", "Connect", "连接"},
                            {"optionButton", "Option", "选项"},
                            {"exportButton", "Export", "导出"},
                            {"languageButton", "English", "中文"},
                            {"serverLabel", "OPC UA Server:", "OPC UA 服务器:"}};
    for (int toggled : {1, 0}) {
        SCOPED_TRACE(toggled == 1 ? "one toggle" : "two toggles");
        Click(window, "languageButton");
        EXPECT_EQ(language, toggled);
        for (const Label& l : labels)
            EXPECT_EQ(TextOf(window, l.control), toggled == 1 ? l.english : l.chinese) << l.control;
        EXPECT_EQ(window.windowTitle().toStdString(), MainWindowTitle());
        EXPECT_EQ(window.Model()->headerData(6, Qt::Horizontal).toString(),
                  QStringLiteral("DataType"));
    }
}

TEST_F(MainWindow, StatusTextKeepsItsLanguageAcrossAToggle) {
    SetUrl(window, ClosedPortUrl());
    ASSERT_TRUE(PressConnect(window));
    const std::string failed = "连接服务器失败 (连接被拒绝: 该端口没有服务器在监听)";
    ASSERT_EQ(TextOf(window, "statusLine"), failed);
    Click(window, "languageButton");
    EXPECT_EQ(TextOf(window, "statusLine"), failed);
}

TEST_F(MainWindow, F1OpensTheAboutBox) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    ASSERT_EQ(prompts.script.modalDialogs.size(), 1u);
    EXPECT_EQ(prompts.script.modalDialogs[0], QStringLiteral("关于 Quorvane"));
}

TEST_F(MainWindow, EscapeDoesNotCloseTheWindow) {
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindow, OptionShowsTheDialogCentredWithItsTexts) {
    window.show();
    Click(window, "languageButton");
    Click(window, "optionButton");
    CLoginOptionDlg* options = window.OptionsDialog();
    ASSERT_TRUE(options->isVisible());
    EXPECT_EQ(options->windowTitle(), QStringLiteral("Option"));
    EXPECT_EQ(TextOf(*options, "okButton"), "OK");
    EXPECT_EQ(TextOf(*options, "cancelButton"), "Cancel");
    const QPoint mainCentre = window.frameGeometry().center();
    EXPECT_NEAR(options->frameGeometry().center().x(), mainCentre.x(), 2);
    EXPECT_NEAR(options->frameGeometry().center().y(), mainCentre.y(), 2);
}

}  // namespace
