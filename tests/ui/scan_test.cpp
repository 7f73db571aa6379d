#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <set>

#include "engine/node_id_text.h"
#include "tests/ui/ui_test_support.h"
#include "ui/point_table_model.h"

namespace {

using namespace std::chrono_literals;

class Scan : public ::testing::Test {
protected:
    void StartServer(DemoServerOptions o = {}) {
        server = StartDemoServer(o);
        ASSERT_NE(server, nullptr);
        SetUrl(window, server->Url());
    }

    int RowNamed(const std::string& name) const {
        for (std::size_t i = 0; i < window.Rows().size(); ++i) {
            if (window.Rows()[i]->displayName == name) return static_cast<int>(i);
        }
        return -1;
    }

    PromptScript prompts;
    std::unique_ptr<DemoServer> server;
    CQuorvaneDlg window{FastTiming()};
    QAbstractItemModelTester tester{window.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(Scan, ListsExactlyTheServersPoints) {
    StartServer();
    ASSERT_TRUE(ScanToEnd(window));
    const auto& points = server->Points();
    ASSERT_EQ(window.Rows().size(), points.size());
    EXPECT_EQ(window.Model()->rowCount(), static_cast<int>(points.size()));

    std::multiset<std::string> expected, listed;
    for (const auto& p : points) expected.insert(NodeIdToText(p.nodeId));
    for (int r = 0; r < window.Model()->rowCount(); ++r) listed.insert(CellShown(window, r, 1));
    EXPECT_EQ(listed, expected);

    EXPECT_EQ(TextOf(window, "statusLine"),
              "搜索完成 共计 " + std::to_string(points.size()) + " 个点");
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(Scan, RowsShowEveryIdentifierKind) {
    StartServer();
    ASSERT_TRUE(ScanToEnd(window));
    const int guid = RowNamed("GuidPoint");
    ASSERT_GE(guid, 0);
    EXPECT_EQ(CellShown(window, guid, 0), std::to_string(guid + 1));
    EXPECT_EQ(CellShown(window, guid, 1), "ns=2;g=01000000-0200-0300-aabb-ccddeeff0011");
    EXPECT_EQ(CellShown(window, guid, 3), "7");
    EXPECT_EQ(CellShown(window, guid, 4), "GOOD");
    EXPECT_EQ(CellShown(window, guid, 6), "UInt16");

    const int opaque = RowNamed("OpaquePoint");
    ASSERT_GE(opaque, 0);
    EXPECT_EQ(CellShown(window, opaque, 1), "ns=2;b=AQID");
    EXPECT_EQ(CellShown(window, opaque, 3), "3");

    const int name = RowNamed("Name");
    ASSERT_GE(name, 0);
    EXPECT_EQ(CellShown(window, name, 1), std::string("ns=2;s=") + demo::kTankName);
    EXPECT_EQ(CellShown(window, name, 3), "Tank 1");
    EXPECT_EQ(CellShown(window, name, 6), "String");
    EXPECT_EQ(CellShown(window, 0, 0), "1");
}

TEST_F(Scan, EndOfWalkHandsOverToTheRefresh) {
    StartServer();
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(TextOf(window, "connectButton"), "停止");
    EXPECT_TRUE(Find<QPushButton>(window, "connectButton")->isEnabled());
    ExpectButtonsEnabled(window, {"optionButton", "exportButton", "languageButton"}, false);
    EXPECT_TRUE(window.RefreshPending());
    EXPECT_EQ(window.LastReadResult(), 0);
}

TEST_F(Scan, StatesWhileScanning) {
    DemoServerOptions o;
    o.points = 20000;
    StartServer(o);
    ASSERT_TRUE(PressConnect(window));
    EXPECT_EQ(TextOf(window, "statusLine"), "正在搜索...");
    EXPECT_EQ(TextOf(window, "connectButton"), "停止");
    EXPECT_TRUE(window.WalkRunning());
    EXPECT_TRUE(window.ScanPollPending());
    ExpectButtonsEnabled(window, {"optionButton", "exportButton", "languageButton"}, false);
    ASSERT_TRUE(PumpUntil([&] { return !window.WalkRunning(); }, 60s));
    EXPECT_EQ(window.Rows().size(), server->Points().size());
}

TEST_F(Scan, StopAfterTheScanKeepsTheRowsAndGivesTheButtonsBack) {
    StartServer();
    ASSERT_TRUE(ScanToEnd(window));
    const auto listed = window.Rows().size();
    Click(window, "connectButton");
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    EXPECT_EQ(TextOf(window, "statusLine"), "停止更新...");
    ExpectButtonsEnabled(window, {"optionButton", "exportButton", "languageButton"}, true);
    EXPECT_FALSE(window.RefreshPending());
    EXPECT_FALSE(window.ScanPollPending());
    EXPECT_EQ(window.Rows().size(), listed);
}

TEST_F(Scan, StopIsComparedInEnglishToo) {
    StartServer();
    Click(window, "languageButton");
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(TextOf(window, "statusLine"),
              "search total count " + std::to_string(server->Points().size()) + " points");
    EXPECT_EQ(TextOf(window, "connectButton"), "Stop");
    Click(window, "connectButton");
    EXPECT_EQ(TextOf(window, "connectButton"), "Connect");
    EXPECT_EQ(TextOf(window, "statusLine"), "stop update...");
}

TEST_F(Scan, StopDuringALargeScanReturnsPromptly) {
    DemoServerOptions o;
    o.points = 200000;
    StartServer(o);
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(window.WalkRunning());
    PumpFor(300ms);
    const auto pressed = std::chrono::steady_clock::now();
    Click(window, "connectButton");
    const auto took = std::chrono::steady_clock::now() - pressed;
    EXPECT_LT(took, 2s * kSlowdown);
    EXPECT_FALSE(window.WalkRunning());
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    EXPECT_EQ(TextOf(window, "statusLine"), "停止更新...");
    EXPECT_LT(window.Rows().size(), server->Points().size());
}

// The list goes only when the new session is up: a failed attempt leaves the last scan.
TEST_F(Scan, ConnectAfterStopEmptiesTheListOnlyOnceConnected) {
    StartServer();
    ASSERT_TRUE(ScanToEnd(window));
    Click(window, "connectButton");  // Stop
    const std::size_t rows = window.Rows().size();
    ASSERT_GT(rows, 0u);
    SetUrl(window, ClosedPortUrl());
    Click(window, "connectButton");
    EXPECT_EQ(window.Rows().size(), rows);
    ASSERT_TRUE(PumpUntil([&] { return !window.Connecting(); }));
    EXPECT_EQ(window.Model()->rowCount(), static_cast<int>(rows));
    // The list left on screen says whose it is, in the status line and the title.
    const std::string whose = "列表来自 " + server->Url();
    EXPECT_EQ(TextOf(window, "statusLine"),
              "连接服务器失败 (连接被拒绝: 该端口没有服务器在监听)  " + whose);
    EXPECT_NE(window.windowTitle().toStdString().find(whose), std::string::npos);

    SetUrl(window, server->Url());
    Click(window, "connectButton");
    EXPECT_EQ(window.Rows().size(), rows);  // still there while connecting
    ASSERT_TRUE(PumpUntil([&] { return !window.Connecting(); }));
    ASSERT_TRUE(PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); }));
    EXPECT_EQ(window.Rows().size(), server->Points().size());  // replaced, not appended
}

TEST_F(Scan, SecondScanListsThePointsOnce) {
    StartServer();
    ASSERT_TRUE(ScanToEnd(window));
    Click(window, "connectButton");  // Stop
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(window.Rows().size(), server->Points().size());
}

TEST_F(Scan, AServerWithoutVariables) {
    DemoServerOptions o;
    o.emptyObjects = true;
    StartServer(o);
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(TextOf(window, "statusLine"), "搜索完成 共计 0 个点");
    EXPECT_FALSE(window.RefreshPending());
    EXPECT_EQ(TextOf(window, "connectButton"), "停止");
}

// A large demo server for the tests below; they go without a model tester, which re-checks
// every row on each insertion.
std::unique_ptr<DemoServer> LargeServer(std::size_t points) {
    DemoServerOptions o;
    o.points = points;
    return StartDemoServer(o);
}

TEST(ScanPoll, KeepsEachHandlerShort) {
    PromptScript prompts;
    auto server = LargeServer(100000);
    ASSERT_NE(server, nullptr);
    CQuorvaneDlg window(FastTiming());
    SetUrl(window, server->Url());
    window.show();
    ASSERT_TRUE(ScanToEnd(window, 120s));
    EXPECT_EQ(window.Rows().size(), server->Points().size());
    EXPECT_LT(window.ScanPollStats().longest, 100ms * kSlowdown);
}

TEST(ScanClose, ClosingDuringAScanEndsTheWalk) {
    PromptScript prompts;
    auto server = LargeServer(200000);
    ASSERT_NE(server, nullptr);
    auto window = std::make_unique<CQuorvaneDlg>(FastTiming());
    SetUrl(*window, server->Url());
    window->show();
    ASSERT_TRUE(PressConnect(*window));
    PumpFor(300ms);
    const auto closing = std::chrono::steady_clock::now();
    window->close();
    EXPECT_FALSE(window->WalkRunning());
    EXPECT_TRUE(window->Rows().empty());
    window.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 2s * kSlowdown);
}

}  // namespace
