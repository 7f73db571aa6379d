#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/ui/point_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/export_memory.h"
#include "ui/point_table_model.h"
#include "ui/server_history.h"

namespace {

// Reads sheet 0 back with xlrd, an independent reader: one line per row, cells joined by tabs.
std::vector<std::string> ReadSheet(const QString& path) {
    QProcess python;
    python.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral(
             "import sys, xlrd\n"
             "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
             "for r in range(s.nrows):\n"
             "    print('\\t'.join(str(s.cell_value(r, c)) for c in range(min(s.ncols, 5))))\n"),
         path});
    python.waitForFinished(120000);
    std::vector<std::string> lines;
    if (python.exitCode() != 0) {
        ADD_FAILURE() << "xlrd: " << python.readAllStandardError().toStdString();
        return lines;
    }
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty()) lines.push_back(line.toStdString());
    }
    return lines;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
        cells.push_back(line.substr(from, tab - from));
    }
    cells.push_back(line.substr(from));
    return cells;
}

class Export : public ::testing::Test {
protected:
    // Every test starts from the file type a new installation shows first.
    void SetUp() override {
        ExportMemory(ServerHistory::DefaultPath()).Remember(SaveFilter::Xls, false);
    }

    QString PathFor(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Exports on the window's worker and waits for the outcome to be shown.
    void ExportTo(const QString& path) {
        prompts.script.fileAnswers.push_back(path);
        window.OnExport();
        ASSERT_TRUE(PumpUntil([&] { return !window.ExportRunning(); }, std::chrono::seconds(120)));
    }

    PromptScript prompts;
    QTemporaryDir dir;
    CQuorvaneDlg window{FastTiming()};
};

const char kHeader[] = "ID\tName\tRegType\tRegAddress\tDataType";

TEST_F(Export, ScanExportedRowByRow) {
    auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    ASSERT_TRUE(ScanToEnd(window));
    Click(window, "connectButton");  // Stop gives Export back
    ASSERT_TRUE(Find<QPushButton>(window, "exportButton")->isEnabled());
    const QString path = PathFor("scan.xls");
    ExportTo(path);
    EXPECT_TRUE(prompts.script.messages.empty());

    const auto lines = ReadSheet(path);
    ASSERT_EQ(lines.size(), window.Rows().size() + 1);
    EXPECT_EQ(lines[0], kHeader);
    bool sawGuid = false, sawOpaque = false;
    for (std::size_t i = 0; i < window.Rows().size(); ++i) {
        const OPCUAItemData& r = *window.Rows()[i];
        const std::string address = CellShown(window, static_cast<int>(i), 1);
        const auto cells = Split(lines[i + 1]);
        ASSERT_GE(cells.size(), 4u) << lines[i + 1];
        EXPECT_EQ(cells[0], std::to_string(i + 1));
        if (r.nodeId.identifierType == UA_NODEIDTYPE_BYTESTRING) {
            sawOpaque = true;  // opaque identifiers leave Name, RegType and RegAddress empty
            EXPECT_EQ(cells[1] + cells[2] + cells[3], "") << lines[i + 1];
            continue;
        }
        EXPECT_EQ(cells[1], address.substr(address.find(';') + 3));
        EXPECT_EQ(cells[2], "ItemID");
        EXPECT_EQ(cells[3], address);
        if (r.nodeId.identifierType == UA_NODEIDTYPE_GUID) {
            sawGuid = true;
            EXPECT_EQ(cells[1], "01000000-0200-0300-aabb-ccddeeff0011");
        }
        if (r.dataType == "Double" || r.dataType == "Float" || r.dataType == "Boolean") {
            ASSERT_EQ(cells.size(), 5u);
            EXPECT_EQ(cells[4], r.dataType);
        }
    }
    EXPECT_TRUE(sawGuid);
    EXPECT_TRUE(sawOpaque);
}

TEST_F(Export, DefaultNameAndFilters) {
    SetUrl(window, "opc.tcp://plc01:4840/UA/Server");
    window.OnExport();  // cancelled: nothing written
    ASSERT_EQ(prompts.script.fileRequests.size(), 1u);
    EXPECT_TRUE(prompts.script.fileRequests[0].save);
    EXPECT_EQ(prompts.script.fileRequests[0].initialName, QStringLiteral("UA_plc01.xls"));
    // The workbook comes first, as the default name says; then the types by purpose.
    EXPECT_EQ(prompts.script.fileRequests[0].filter,
              QStringLiteral("Excel 97-2003 工作簿(*.xls);;Excel 工作簿(*.xlsx);;CSV UTF-8(*.csv);;"
                             "通用点表 CSV(*.csv);;JSON(*.json);;Telegraf 配置 (*.toml);;"
                             "Text File(*.txt);;All File(*.*)"));
    language = 1;
    window.OnExport();
    ASSERT_EQ(prompts.script.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.script.fileRequests[1].filter,
              QStringLiteral("Excel 97-2003 Workbook(*.xls);;Excel Workbook(*.xlsx);;"
                             "CSV UTF-8(*.csv);;Tag list CSV(*.csv);;JSON(*.json);;"
                             "Telegraf configuration (*.toml);;Text File(*.txt);;All File(*.*)"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// The content follows the chosen file type, or a typed .xls, .xlsx or .csv extension.
TEST_F(Export, ContentFollowsTheChosenTypeOrTheExtension) {
    window.Model()->AppendRows({new OPCUAItemData(NumericId(2, 1001), "5", "Int32", "P", "", "")});
    window.Rows()[0]->typeIndex = 5;
    const struct {
        int filter;
        const char* name;
        QByteArray magic;
    } cases[] = {
        {1, "chosen", QByteArray("PK\x03\x04", 4)},            // .xlsx chosen, no extension
        {2, "chosen.txt", QByteArray("\xEF\xBB\xBFID,Name")},  // .csv chosen
        {0, "typed.csv", QByteArray("\xEF\xBB\xBFID,Name")},   // typed over the filter
        {2, "typed.xlsx", QByteArray("PK\x03\x04", 4)},
        {7, "other.dat", QByteArray::fromHex("d0cf11e0a1b11ae1")},  // anything else: .xls
    };
    for (const auto& c : cases) {
        prompts.script.filterAnswers.push_back(c.filter);
        ExportTo(PathFor(c.name));
        QFile file(PathFor(c.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(file.read(c.magic.size()), c.magic) << c.name;
    }
    QFile csv(PathFor("typed.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(),
              QByteArray("\xEF\xBB\xBFID,Name,RegType,RegAddress,DataType,Description,Path,"
                         "DisplayName,Value,Quality,Time,OpcUaType\r\n"
                         "1,1001,ItemID,ns=2;i=1001,Long,,,P,5,,,Int32\r\n"));
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(Export, EmptyUrlDoesNothing) {
    SetUrl(window, "");
    window.OnExport();
    EXPECT_TRUE(prompts.script.fileRequests.empty());
}

TEST_F(Export, TextFileNameStillHoldsAWorkbook) {
    window.Model()->AppendRows({new OPCUAItemData(NumericId(2, 1001), "5", "Int32", "P", "", "")});
    window.Rows()[0]->typeIndex = 5;
    const QString path = PathFor("points.txt");
    ExportTo(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(8), QByteArray::fromHex("d0cf11e0a1b11ae1"));  // compound document
    const auto lines = ReadSheet(path);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "1\t1001\tItemID\tns=2;i=1001\tLong");
}

TEST_F(Export, NoRowsGivesTheHeaderOnly) {
    const QString path = PathFor("empty.xls");
    ExportTo(path);
    EXPECT_EQ(ReadSheet(path), (std::vector<std::string>{kHeader}));
}

TEST_F(Export, UnwritablePathIsReported) {
    ExportTo(PathFor("no/such/folder/x.xls"));
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0], "导出数据失败!");
    language = 1;
    ExportTo(PathFor("no/such/folder/x.xls"));
    ASSERT_EQ(prompts.script.messages.size(), 2u);
    EXPECT_EQ(prompts.script.messages[1], "export data error!");
}

TEST_F(Export, MoreThanASheetHoldsIsCappedAndTold) {
    std::vector<OPCUAItemData*> batch;
    for (UA_UInt32 i = 1; i <= 70000; ++i)
        batch.push_back(new OPCUAItemData(NumericId(2, i), "", "", "", "", ""));
    window.Model()->AppendRows(batch);
    const QString path = PathFor("big.xls");
    ExportTo(path);
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0], "已导出前 65535 个点，4465 个点未导出");
    const auto lines = ReadSheet(path);
    ASSERT_EQ(lines.size(), 65536u);
    EXPECT_EQ(lines.back().substr(0, 12), "65535\t65535\t");

    language = 1;
    ExportTo(PathFor("big2.xls"));
    ASSERT_EQ(prompts.script.messages.size(), 2u);
    EXPECT_EQ(prompts.script.messages[1],
              "exported the first 65535 points, 4465 points not exported");
}

}  // namespace
