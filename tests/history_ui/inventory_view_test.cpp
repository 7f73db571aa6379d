// The Inventory view over a history seeded here: the rows the store gives, their texts in both
// languages, the dialog's loading and its double-click.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QTableView>
#include <QtTest/QSignalSpy>
#include <filesystem>
#include <fstream>

#include "history/change_texts.h"
#include "history/inventory_summary.h"
#include "store/inventory_store.h"
#include "ui/inventory/inventory_dialog.h"

namespace {

namespace fs = std::filesystem;

const StoredPoint kA{"ns=2;i=1", "Plant", "A", "Int32", -1, 1};
const StoredPoint kB{"ns=2;i=2", "Plant", "B", "Double", -1, 3};
const StoredPoint kBRenamed{"ns=2;i=2", "Plant", "B2", "Double", -1, 3};
const StoredPoint kC{"ns=2;i=3", "Plant", "C", "Int32", -1, 1};

ScanFacts Facts(std::int64_t startedMs, bool complete) {
    return {startedMs, startedMs + 1000, complete, 1, ""};
}

// Four servers: one scanned twice with a cut-short scan between and findings, one scanned
// once, one never scanned to the end, one only a discovery knows.
class InventoryView : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("quorvane-inventory-ui-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        path = dir / "quorvane" / "inventory.sqlite";
        auto opened = InventoryStore::Open(path);
        ASSERT_TRUE(opened.store);
        InventoryStore& store = *opened.store;
        const ServerIdentity plc{kPlc, "urn:plc", "", "CN=plc", "AB:CD"};
        ASSERT_TRUE(store.RecordScan(plc, Facts(1000, true), std::vector<StoredPoint>{kA, kB}));
        ASSERT_TRUE(store.RecordScan(plc, Facts(2000, false), std::vector<StoredPoint>{kA}));
        ASSERT_TRUE(
            store.RecordScan(plc, Facts(3000, true), std::vector<StoredPoint>{kBRenamed, kC}));
        ASSERT_TRUE(
            store.RecordFindings(kPlc, 500,
                                 std::vector<StoredFinding>{{2, "deprecatedPolicy", "Basic256"},
                                                            {3, "anonymousOffered", ""}}));
        ASSERT_TRUE(store.RecordScan({kOnce, "", "", "", ""}, Facts(4000, true),
                                     std::vector<StoredPoint>{kA, kB, kC}));
        ASSERT_TRUE(store.RecordScan({kCut, "", "", "", ""}, Facts(5000, false),
                                     std::vector<StoredPoint>{kA}));
        ASSERT_TRUE(store.RecordFindings(kFound, 600, std::vector<StoredFinding>{}));
    }
    void TearDown() override {
        fs::remove_all(dir);
        language = 0;
    }

    static constexpr const char* kPlc = "opc.tcp://a-plc:4840";
    static constexpr const char* kOnce = "opc.tcp://b-once:4840";
    static constexpr const char* kCut = "opc.tcp://c-cut:4840";
    static constexpr const char* kFound = "opc.tcp://d-found:4840";
    fs::path dir, path;
};

TEST_F(InventoryView, EachServerWithItsLastScanChangesAndFindings) {
    auto opened = InventoryStore::Open(path);
    ASSERT_TRUE(opened.store);
    const std::vector<InventoryEntry> entries = LoadInventory(*opened.store);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].server.certificateFingerprint, "AB:CD");

    struct Case {
        std::size_t entry;
        int column;
        std::string chinese;
        std::string english;
    };
    const Case cases[] = {
        {0, kInventoryServer, kPlc, kPlc},
        {0, kInventoryLastScan, LocalTimeText(3000), LocalTimeText(3000)},
        {0, kInventoryPoints, "2", "2"},
        // Held against the complete scan before it, never the cut-short one between.
        {0, kInventoryChanges, "新增 1，删除 1，变化 1", "1 added, 1 removed, 1 changed"},
        {0, kInventoryFindings, "2 项 (最高: 高)", "2 (worst: high)"},
        {1, kInventoryChanges, "首次完整扫描", "first complete scan"},
        {1, kInventoryPoints, "3", "3"},
        {1, kInventoryFindings, "", ""},  // no discovery judged it
        {2, kInventoryLastScan, LocalTimeText(5000) + " (未完成)",
         LocalTimeText(5000) + " (cut short)"},
        {2, kInventoryPoints, "1", "1"},
        {2, kInventoryChanges, "没有完整的扫描", "no complete scan"},
        {3, kInventoryServer, kFound, kFound},
        {3, kInventoryLastScan, "", ""},
        {3, kInventoryPoints, "", ""},
        {3, kInventoryFindings, "无", "none"},
    };
    for (const Case& c : cases) {
        language = 0;
        EXPECT_EQ(InventoryCellText(entries[c.entry], c.column), c.chinese)
            << c.entry << "/" << c.column;
        language = 1;
        EXPECT_EQ(InventoryCellText(entries[c.entry], c.column), c.english)
            << c.entry << "/" << c.column;
    }
    EXPECT_EQ(InventoryFindingLines(entries[0]),
              "[high] anonymousOffered\n[medium] deprecatedPolicy: Basic256");
    EXPECT_EQ(InventoryHeader(kInventoryFindings), "Security findings");
}

TEST_F(InventoryView, TheDialogLoadsOffTheWindowsThreadAndHandsTheUrlOn) {
    language = 1;
    CInventoryDlg dialog(path);
    EXPECT_TRUE(dialog.Loading());
    QSignalSpy loaded(&dialog, &CInventoryDlg::Loaded);
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_FALSE(dialog.Loading());
    InventoryTableModel& model = dialog.Model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), kInventoryColumnCount);
    EXPECT_EQ(model.headerData(kInventoryServer, Qt::Horizontal).toString(), "Server");
    EXPECT_EQ(model.index(2, kInventoryChanges).data().toString(), "no complete scan");
    EXPECT_EQ(model.index(0, kInventoryServer).data(Qt::ToolTipRole).toString(), "AB:CD");
    EXPECT_FALSE(model.index(4, 0).isValid());

    auto* table = dialog.findChild<QTableView*>("inventoryServers");
    ASSERT_NE(table, nullptr);
    QSignalSpy chosen(&dialog, &CInventoryDlg::UseUrl);
    emit table->doubleClicked(model.index(1, kInventoryPoints));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), kOnce);
}

TEST_F(InventoryView, AHistoryThatCannotBeOpenedSaysSo) {
    fs::create_directories(dir);
    const fs::path notADatabase = dir / "broken.sqlite";
    { std::ofstream(notADatabase) << "not a database at all, long enough to be read as one"; }
    CInventoryDlg dialog(notADatabase);
    QSignalSpy loaded(&dialog, &CInventoryDlg::Loaded);
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(dialog.Model().rowCount(), 0);
    EXPECT_NE(dialog.findChild<QLabel*>("inventoryStatus")
                  ->text()
                  .toStdString()
                  .find(notADatabase.string()),
              std::string::npos);
}

}  // namespace
