// The save dialog by purpose: its file types, the one remembered from last time with the "all
// attributes" choice, the selected rows, and the attributes read from the session into the file.
#include "ui/export_choice.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "tests/ui/point_ids.h"
#include "tests/ui/ui_test_support.h"
#include "ui/export_memory.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/server_history.h"

namespace {

using namespace std::chrono_literals;

TEST(ExportChoiceRules, FileTypesByPurposeAndTheirNames) {
    EXPECT_EQ(DialogFilters(),
              (std::vector<SaveFilter>{SaveFilter::Xls, SaveFilter::Xlsx, SaveFilter::Csv,
                                       SaveFilter::TagsCsv, SaveFilter::Json, SaveFilter::Telegraf,
                                       SaveFilter::Text, SaveFilter::All}));
    for (const SaveFilter filter : DialogFilters()) {
        EXPECT_EQ(DialogFilterAt(DialogIndexOf(filter)), filter);
        EXPECT_EQ(FilterFromName(FilterName(filter)), filter);
    }
    EXPECT_EQ(DialogFilterAt(-1), SaveFilter::Xls);
    EXPECT_EQ(DialogFilterAt(8), SaveFilter::Xls);
    EXPECT_EQ(FilterFromName("ods"), std::nullopt);
    const std::string url = "opc.tcp://plc01:4840/UA";
    EXPECT_EQ(DefaultNameFor(url, SaveFilter::Xls), "UA_plc01.xls");
    EXPECT_EQ(DefaultNameFor(url, SaveFilter::Xlsx), "UA_plc01.xlsx");
    EXPECT_EQ(DefaultNameFor(url, SaveFilter::TagsCsv), "UA_plc01.csv");
    EXPECT_EQ(DefaultNameFor(url, SaveFilter::Json), "UA_plc01.json");
    EXPECT_EQ(DefaultNameFor(url, SaveFilter::Telegraf), "UA_plc01.toml");
    EXPECT_EQ(DefaultNameFor(url, SaveFilter::All), "UA_plc01.xls");
}

class ExportChoice : public ::testing::Test {
protected:
    void SetUp() override { Memory().Remember(SaveFilter::Xls, false); }
    void TearDown() override { Memory().Remember(SaveFilter::Xls, false); }
    static ExportMemory Memory() { return ExportMemory(ServerHistory::DefaultPath()); }

    QString PathFor(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void AddRows(UA_UInt32 count) {
        std::vector<OPCUAItemData*> batch;
        for (UA_UInt32 i = 1; i <= count; ++i) {
            auto* r = new OPCUAItemData(NumericId(2, i), std::to_string(i), "Int32",
                                        "p" + std::to_string(i), "", "GOOD");
            r->typeIndex = 5;
            batch.push_back(r);
        }
        window.Model()->AppendRows(batch);
    }
    bool ExportTo(const QString& path) {
        prompts.script.fileAnswers.push_back(path);
        window.OnExport();
        return PumpUntil([&] { return !window.ExportRunning(); }, 120s);
    }
    QJsonDocument ReadJson(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll())
                                              : QJsonDocument();
    }

    PromptScript prompts;
    QTemporaryDir dir;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(ExportChoice, TheLastFileTypeAndAttributeChoiceComeBack) {
    SetUrl(window, "opc.tcp://plc01:4840");
    AddRows(3);
    prompts.script.filterAnswers.push_back(DialogIndexOf(SaveFilter::Json));
    prompts.script.optionAnswers.push_back(true);
    ASSERT_TRUE(ExportTo(PathFor("points")));
    ASSERT_EQ(prompts.script.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.script.fileRequests[0].shownFilter, 0);
    EXPECT_EQ(prompts.script.fileRequests[0].optionText, QStringLiteral("导出全部属性"));
    EXPECT_FALSE(prompts.script.fileRequests[0].optionShown);
    EXPECT_TRUE(ReadJson(PathFor("points")).isObject()) << "the JSON type chosen, no extension";

    window.OnExport();  // cancelled: shows what was chosen last
    ASSERT_EQ(prompts.script.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.script.fileRequests[1].shownFilter, DialogIndexOf(SaveFilter::Json));
    EXPECT_EQ(prompts.script.fileRequests[1].initialName, QStringLiteral("UA_plc01.json"));
    EXPECT_TRUE(prompts.script.fileRequests[1].optionShown);
    EXPECT_EQ(Memory().LastFilter(), SaveFilter::Json);
    EXPECT_TRUE(Memory().AllAttributes());
}

TEST_F(ExportChoice, SelectedRowsAreOfferedFirst) {
    AddRows(5);
    auto* selection = ListView(window).selectionModel();
    for (int row : {3, 1}) {
        selection->select(window.Shown()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    prompts.script.choiceAnswers = {0, 1, 2};
    ASSERT_TRUE(ExportTo(PathFor("selected.json")));
    ASSERT_EQ(prompts.script.choices.size(), 1u);
    EXPECT_EQ(prompts.script.choices[0].buttons,
              (std::vector<std::string>{"导出选中的 2 个点", "导出全部 5 个点", "取消"}));
    const QJsonArray selected = ReadJson(PathFor("selected.json"))["points"].toArray();
    ASSERT_EQ(selected.size(), 2);
    EXPECT_EQ(selected[0]["DisplayName"].toString(), QStringLiteral("p2"));  // in list order
    EXPECT_EQ(selected[1]["DisplayName"].toString(), QStringLiteral("p4"));
    EXPECT_EQ(selected[1]["Value"].toInt(), 4);

    ASSERT_TRUE(ExportTo(PathFor("all.json")));
    EXPECT_EQ(ReadJson(PathFor("all.json"))["points"].toArray().size(), 5);
    prompts.script.fileAnswers.clear();
    window.OnExport();  // the third answer cancels before the dialog
    EXPECT_EQ(prompts.script.fileRequests.size(), 2u);
}

TEST_F(ExportChoice, AllAttributesAreReadFromTheSession) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    SetUrl(window, server->Url());
    ASSERT_TRUE(ScanToEnd(window));
    prompts.script.optionAnswers.push_back(true);
    ASSERT_TRUE(ExportTo(PathFor("all.json")));
    EXPECT_TRUE(prompts.script.messages.empty());
    const QJsonDocument doc = ReadJson(PathFor("all.json"));
    EXPECT_EQ(doc["server"]["endpoint"].toString().toStdString(), server->Url());
    const QJsonArray points = doc["points"].toArray();
    ASSERT_EQ(static_cast<std::size_t>(points.size()), server->Points().size());
    bool sawLevel = false;
    for (const auto& value : points) {
        const QJsonObject p = value.toObject();
        ASSERT_TRUE(p.contains("BrowseName"));
        if (p["RegAddress"].toString() != QStringLiteral("ns=2;s=Plant.Line1.Tank1.Level"))
            continue;
        sawLevel = true;
        EXPECT_EQ(p["EngineeringUnits"].toString(), QStringLiteral("m"));
        EXPECT_EQ(p["EURangeHigh"].toDouble(), 100.0);
        EXPECT_EQ(p["BrowseName"].toString(), QStringLiteral("2:Level"));
    }
    EXPECT_TRUE(sawLevel);

    // Without the choice the file has the list's columns only.
    prompts.script.optionAnswers.push_back(false);
    ASSERT_TRUE(ExportTo(PathFor("plain.json")));
    EXPECT_FALSE(ReadJson(PathFor("plain.json"))["points"][0].toObject().contains("BrowseName"));
}

TEST_F(ExportChoice, TheButtonCancelsTheAttributeRead) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    SetUrl(window, server->Url());
    ASSERT_TRUE(ScanToEnd(window));
    Click(window, "connectButton");  // Stop: the button exports only then; the session stays
    ASSERT_TRUE(PumpUntil([&] { return window.Session().State() == SessionState::Idle; }, 30s));
    prompts.script.optionAnswers.push_back(true);
    prompts.script.fileAnswers.push_back(PathFor("cancelled.json"));
    window.OnExport();
    ASSERT_TRUE(window.ExportRunning());
    EXPECT_TRUE(window.Session().RowsHeld());
    EXPECT_EQ(TextOf(window, "statusLine"), "正在读取属性...");
    EXPECT_EQ(TextOf(window, "exportButton"), "取消");

    Click(window, "exportButton");
    ASSERT_TRUE(PumpUntil([&] { return !window.ExportRunning(); }, 60s));
    EXPECT_FALSE(QFile::exists(PathFor("cancelled.json")));
    EXPECT_EQ(TextOf(window, "statusLine"), "导出已取消，文件未改变");
    EXPECT_EQ(TextOf(window, "exportButton"), "导出");
    EXPECT_FALSE(window.Session().RowsHeld());
}

TEST_F(ExportChoice, WithoutASessionTheTagListHasTheListsColumns) {
    SetUrl(window, "opc.tcp://127.0.0.1:4840");
    AddRows(2);
    bool called = false;
    const auto records = std::make_shared<const std::vector<OPCUAItemData*>>(window.Rows());
    EXPECT_FALSE(window.Session().ReadAttributes(
        records, [] { return false; }, [&](const auto&) { called = true; }));
    prompts.script.filterAnswers.push_back(DialogIndexOf(SaveFilter::TagsCsv));
    ASSERT_TRUE(ExportTo(PathFor("tags.csv")));
    PumpUntil([] { return false; }, 50ms);
    EXPECT_FALSE(called);
    EXPECT_TRUE(prompts.script.messages.empty());
    QFile file(PathFor("tags.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), 3) << "a header and one line per point";
    EXPECT_FALSE(window.Session().RowsHeld());
}

}  // namespace
