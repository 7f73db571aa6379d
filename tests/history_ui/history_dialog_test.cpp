// The History dialog over a history seeded here: its scans, a comparison, the kind filter, the
// export.
#include "ui/history/history_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QSignalSpy>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "history/change_texts.h"
#include "store/inventory_store.h"

namespace {

namespace fs = std::filesystem;

class HistoryDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("quorvane-history-ui-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        path = dir / "quorvane" / "inventory.sqlite";
        auto opened = InventoryStore::Open(path);
        ASSERT_TRUE(opened.store);
        const ServerIdentity server{kUrl, "", "", "", ""};
        const StoredPoint a{"ns=2;i=1", "Plant", "A", "Int32", -1, 1};
        const StoredPoint b{"ns=2;i=2", "Plant", "B", "Double", -1, 3};
        const StoredPoint bArray{"ns=2;i=2", "Plant", "B", "Double", 0, 3};
        const StoredPoint c{"ns=2;i=3", "Plant", "C", "Int32", -1, 1};
        ids.push_back(*opened.store->RecordScan(server, {1000, 3000, true, 1, ""},
                                                std::vector<StoredPoint>{a, b}));
        ids.push_back(*opened.store->RecordScan(server, {5000, 6000, false, 1, ""},
                                                std::vector<StoredPoint>{a}));
        ids.push_back(*opened.store->RecordScan(server, {9000, 9500, true, 1, ""},
                                                std::vector<StoredPoint>{bArray, c}));
        opened.store->RecordScan({"opc.tcp://other:1", "", "", "", ""}, {0, 1, true, 1, ""},
                                 std::vector<StoredPoint>{a});
        language = 1;
    }
    void TearDown() override {
        fs::remove_all(dir);
        language = 0;
    }

    static constexpr const char* kUrl = "opc.tcp://plc:4840";
    fs::path dir, path;
    std::vector<long long> ids;
};

TEST_F(HistoryDialog, ListsScansComparesFiltersAndExports) {
    CHistoryDlg dialog(path, kUrl);
    QSignalSpy scansLoaded(&dialog, &CHistoryDlg::ScansLoaded);
    ASSERT_TRUE(scansLoaded.wait(10000));
    auto* list = dialog.findChild<QTreeWidget*>("historyScans");
    auto* compare = dialog.findChild<QPushButton*>("historyCompare");
    auto* kinds = dialog.findChild<QComboBox*>("historyKindFilter");
    auto* exportButton = dialog.findChild<QPushButton*>("historyExport");
    ASSERT_TRUE(list && compare && kinds && exportButton);
    ASSERT_EQ(list->topLevelItemCount(), 3);  // the other server's scan is not among them
    EXPECT_EQ(list->topLevelItem(0)->text(1), "2");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "complete");
    EXPECT_EQ(list->topLevelItem(0)->text(3), "2.0");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "cut short");
    EXPECT_FALSE(compare->isEnabled());
    EXPECT_FALSE(exportButton->isEnabled());

    list->topLevelItem(2)->setSelected(true);
    EXPECT_FALSE(compare->isEnabled()) << "one scan is not two";
    list->topLevelItem(0)->setSelected(true);
    ASSERT_TRUE(compare->isEnabled());
    QAbstractItemModelTester tester(&dialog.Changes(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy compared(&dialog, &CHistoryDlg::ComparisonLoaded);
    compare->click();
    ASSERT_TRUE(compared.wait(10000));
    // The older scan is the base whatever the order of selection.
    ChangeTableModel& model = dialog.Changes();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(0, ChangeTableModel::kChange).data().toString(), "changed: array/scalar");
    EXPECT_EQ(model.index(0, ChangeTableModel::kBefore).data().toString(),
              "Double, scalar, access 3");
    EXPECT_EQ(model.index(0, ChangeTableModel::kAfter).data().toString(),
              "Double, array, access 3");
    EXPECT_EQ(model.index(1, ChangeTableModel::kChange).data().toString(), "added");
    EXPECT_EQ(model.index(2, ChangeTableModel::kChange).data().toString(), "removed");
    EXPECT_EQ(model.index(2, ChangeTableModel::kNodeId).data().toString(), "ns=2;i=1");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Change");

    kinds->setCurrentIndex(kinds->findData(int(kChangeRemoved)));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, ChangeTableModel::kNodeId).data().toString(), "ns=2;i=1");
    kinds->setCurrentIndex(kinds->findData(int(kChangeDataType)));
    EXPECT_EQ(model.rowCount(), 0);
    kinds->setCurrentIndex(0);
    EXPECT_EQ(model.rowCount(), 3);

    ASSERT_TRUE(exportButton->isEnabled());
    const fs::path csv = dir / "changes.csv";
    ASSERT_TRUE(dialog.ExportComparison(csv.string()));
    std::ifstream in(csv, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF"
                         "change,node_id,previous_node_id,",
                         0),
              0u);
    EXPECT_NE(text.find("\r\narray,ns=2;i=2,ns=2;i=2,"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nadded,ns=2;i=3,,"), std::string::npos);
    EXPECT_NE(text.find("\r\nremoved,,ns=2;i=1,"), std::string::npos);
    EXPECT_FALSE(dialog.ExportComparison((dir / "no" / "such" / "dir" / "x.csv").string()));

    // The workbook, read back by an independent reader.
    const fs::path xlsx = dir / "changes.xlsx";
    ASSERT_TRUE(dialog.ExportComparison(xlsx.string()));
    const std::string command =
        "/usr/bin/python3 -c \"import openpyxl,sys; s=openpyxl.load_workbook(sys.argv[1]).active; "
        "print('|'.join(str(r[0].value)+','+str(r[1].value) for r in s.iter_rows()))\" " +
        xlsx.string();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(pipe);
    char buffer[512] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, pipe.get());
    EXPECT_EQ(std::string(buffer, n),
              "change,node_id|array,ns=2;i=2|added,ns=2;i=3|removed,None\n");
}

TEST_F(HistoryDialog, AServerWithoutScansShowsAnEmptyList) {
    CHistoryDlg dialog(path, "opc.tcp://never:1");
    QSignalSpy scansLoaded(&dialog, &CHistoryDlg::ScansLoaded);
    ASSERT_TRUE(scansLoaded.wait(10000));
    EXPECT_EQ(dialog.findChild<QTreeWidget*>("historyScans")->topLevelItemCount(), 0);
}

}  // namespace

int main(int argc, char** argv) {
    // Listing the tests happens without a display too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
