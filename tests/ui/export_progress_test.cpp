// Export on its worker: the window shows progress, the button cancels, a cancelled export leaves
// the old file and no temporary; the rows stay as they are meanwhile; with a filter the user may
// export only the rows shown.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "tests/ui/point_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/export_memory.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/server_history.h"

namespace {

using namespace std::chrono_literals;

class ExportProgress : public ::testing::Test {
protected:
    // Every test starts from the file type a new installation shows first.
    void SetUp() override {
        ExportMemory(ServerHistory::DefaultPath()).Remember(SaveFilter::Xls, false);
    }

    void AddRows(UA_UInt32 count) {
        std::vector<OPCUAItemData*> batch;
        batch.reserve(count);
        for (UA_UInt32 i = 1; i <= count; ++i) {
            auto* r = new OPCUAItemData(NumericId(2, i), std::to_string(i), "Int32",
                                        "p" + std::to_string(i), "", "GOOD");
            r->typeIndex = 5;
            batch.push_back(r);
        }
        window.Model()->AppendRows(batch);
    }
    QString PathFor(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray Read(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool WaitEnd() {
        return PumpUntil([&] { return !window.ExportRunning(); }, 120s);
    }

    PromptScript prompts;
    QTemporaryDir dir;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(ExportProgress, TheButtonCancelsAndTheOldFileStays) {
    AddRows(300000);
    const QString path = PathFor("old.xlsx");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the previous export");
    }
    prompts.script.fileAnswers.push_back(path);
    window.OnExport();
    ASSERT_TRUE(window.ExportRunning());
    EXPECT_EQ(TextOf(window, "exportButton"), "取消");
    // The status line counts the rows as they go out.
    ASSERT_TRUE(PumpUntil(
        [&] {
            const std::string status = TextOf(window, "statusLine");
            return status.rfind("正在导出... ", 0) == 0 && status != "正在导出... 0/300000";
        },
        60s))
        << TextOf(window, "statusLine");
    EXPECT_NE(TextOf(window, "statusLine").find("/300000"), std::string::npos);

    const auto pressed = std::chrono::steady_clock::now();
    Click(window, "exportButton");
    ASSERT_TRUE(WaitEnd());
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 1s * kSlowdown);
    EXPECT_EQ(TextOf(window, "exportButton"), "导出");
    EXPECT_EQ(TextOf(window, "statusLine"), "导出已取消，文件未改变");
    EXPECT_TRUE(prompts.script.messages.empty()) << "a cancel is not a failure";
    EXPECT_EQ(Read(path), QByteArray("the previous export"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("old.xlsx")});
    EXPECT_EQ(window.Rows().size(), 300000u);
}

TEST_F(ExportProgress, RowsStayPutWhileExportedAndTheEndIsTold) {
    AddRows(200000);
    const QString path = PathFor("all.csv");
    prompts.script.fileAnswers.push_back(path);
    window.OnExport();
    ASSERT_TRUE(window.ExportRunning());
    // Deleting would free records the export is reading: it waits for nothing, it is refused.
    ListView(window).selectRow(0);
    QTest::keyClick(&ListView(window), Qt::Key_Delete);
    EXPECT_EQ(window.Rows().size(), 200000u);
    // The language toggle keeps the button a cancel button.
    Click(window, "languageButton");
    EXPECT_EQ(TextOf(window, "exportButton"), "Cancel");
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(TextOf(window, "exportButton"), "Export");
    EXPECT_EQ(TextOf(window, "statusLine"), "200000 points exported");
    const QByteArray csv = Read(path);
    EXPECT_EQ(csv.count('\n'), 200001);
    EXPECT_TRUE(
        csv.endsWith("200000,200000,ItemID,ns=2;i=200000,Long,,,p200000,200000,GOOD,,Int32\r\n"));
    EXPECT_TRUE(prompts.script.messages.empty());
}

// With a filter the user picks: only the rows shown, all of them, or nothing (the default:
// closing the question or Escape exports nothing).
TEST_F(ExportProgress, WithAFilterTheUserPicksShownAllOrNothing) {
    AddRows(30);
    Find<QLineEdit>(window, "filterBox")->setText(QStringLiteral("p2"));  // p2, p20 ... p29
    ASSERT_EQ(window.Shown()->rowCount(), 11);

    prompts.script.choiceAnswers.push_back(0);
    prompts.script.fileAnswers.push_back(PathFor("shown.csv"));
    window.OnExport();
    ASSERT_TRUE(WaitEnd());
    ASSERT_EQ(prompts.script.choices.size(), 1u);
    const auto& asked = prompts.script.choices[0];
    EXPECT_EQ(asked.text, "显示 11 个点，共 30 个点。导出哪些？");
    EXPECT_EQ(asked.buttons,
              (std::vector<std::string>{"只导出显示的 11 个点", "全部 30 个点", "取消"}));
    EXPECT_EQ(asked.cancelIndex, 2);
    EXPECT_EQ(Read(PathFor("shown.csv")).count('\n'), 12);
    EXPECT_EQ(TextOf(window, "statusLine"), "已导出 11 个点");

    prompts.script.choiceAnswers.push_back(1);
    prompts.script.fileAnswers.push_back(PathFor("all.csv"));
    window.OnExport();
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(Read(PathFor("all.csv")).count('\n'), 31);
    EXPECT_EQ(TextOf(window, "statusLine"), "已导出 30 个点");

    // Not answered (Escape, the close box): nothing is asked for a file, nothing exported.
    prompts.script.fileAnswers.push_back(PathFor("never.csv"));
    window.OnExport();
    EXPECT_FALSE(window.ExportRunning());
    EXPECT_EQ(prompts.script.choices.size(), 3u);
    EXPECT_FALSE(QFile::exists(PathFor("never.csv")));
    prompts.script.fileAnswers.clear();

    // One row shown, in English: the singular.
    Click(window, "languageButton");
    Find<QLineEdit>(window, "filterBox")->setText(QStringLiteral("p29"));
    ASSERT_EQ(window.Shown()->rowCount(), 1);
    window.OnExport();
    ASSERT_EQ(prompts.script.choices.size(), 4u);
    EXPECT_EQ(prompts.script.choices[3].buttons,
              (std::vector<std::string>{"Only the 1 point shown", "All 30", "Cancel"}));
    Click(window, "languageButton");

    // No filter: no question.
    Find<QLineEdit>(window, "filterBox")->clear();
    prompts.script.fileAnswers.push_back(PathFor("plain.csv"));
    window.OnExport();
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(prompts.script.choices.size(), 4u);
}

// A new scan empties the rows the export reads: the export is cancelled and the scan starts
// once it has ended.
TEST_F(ExportProgress, ConnectDuringAnExportCancelsItFirst) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    SetUrl(window, server->Url());
    AddRows(300000);
    prompts.script.fileAnswers.push_back(PathFor("never.xlsx"));
    window.OnExport();
    ASSERT_TRUE(window.ExportRunning());
    Click(window, "connectButton");
    EXPECT_EQ(window.Rows().size(), 300000u) << "emptied while the export still reads them";
    ASSERT_TRUE(PumpUntil(
        [&] {
            return !window.ExportRunning() && !window.Connecting() && !window.WalkRunning() &&
                   !window.ScanPollPending();
        },
        60s));
    EXPECT_EQ(window.Rows().size(), server->Points().size());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(ExportProgress, ClosingDuringAnExportLeavesNoFileBehind) {
    window.show();
    AddRows(300000);
    prompts.script.fileAnswers.push_back(PathFor("never.xlsx"));
    window.OnExport();
    ASSERT_TRUE(window.ExportRunning());
    const auto closing = std::chrono::steady_clock::now();
    window.close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 1s * kSlowdown);
    EXPECT_FALSE(window.ExportRunning());
    PumpFor(50ms);  // a late outcome, if any, is dropped
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace
