#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "history/change_texts.h"
#include "store/inventory_store.h"
#include "store/store_location.h"
#include "tests/ui/options_helpers.h"
#include "tests/ui/ui_test_support.h"
#include "ui/history/history_dialog.h"
#include "ui/server_history.h"

namespace {

class ScanHistory : public ::testing::Test {
protected:
    void StartServer(DemoServerOptions o = {}) {
        server = StartDemoServer(o);
        ASSERT_NE(server, nullptr);
        SetUrl(window, server->Url());
    }
    // A whole scan, recorded.
    void ScanAndRecord() {
        // A window that refreshes stops first, as the user would.
        if (StopsOnCommand(window.Session().State())) {
            Click(window, "connectButton");
            ASSERT_TRUE(WaitIdle(window));
        }
        ASSERT_TRUE(ScanToEnd(window));
        ASSERT_TRUE(PumpUntil([&] { return window.Scans().Pending() == 0; }));
    }
    std::vector<ScanSummary> StoredScans() {
        auto opened = InventoryStore::Open(DefaultInventoryPath());
        EXPECT_NE(opened.store, nullptr);
        return opened.store ? opened.store->Scans(server->Url()) : std::vector<ScanSummary>{};
    }
    std::string Status() const { return TextOf(window, "statusLine"); }
    std::string DoneText() const {
        return "搜索完成 共计 " + std::to_string(server->Points().size()) + " 个点";
    }

    PromptScript prompts;
    std::unique_ptr<DemoServer> server;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(ScanHistory, EachScanIsRecordedAndTheNextToldWhatChanged) {
    StartServer();
    ScanAndRecord();
    EXPECT_EQ(Status(), DoneText());  // a first scan has nothing to be held against

    auto scans = StoredScans();
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_TRUE(scans[0].facts.complete);
    EXPECT_EQ(scans[0].facts.signIn, 1);
    EXPECT_EQ(scans[0].points, static_cast<long long>(server->Points().size()));
    EXPECT_LE(scans[0].facts.startedMs, scans[0].facts.endedMs);

    // A later scan of the server lacked one of its points and had one it has not now.
    const std::int64_t baseMs = scans[0].facts.endedMs + 1;
    {
        auto opened = InventoryStore::Open(DefaultInventoryPath());
        ASSERT_NE(opened.store, nullptr);
        auto points = opened.store->Points(scans[0].id);
        ASSERT_TRUE(points && points->size() > 2);
        points->erase(points->begin());
        StoredPoint gone;
        gone.nodeId = "ns=2;s=RetiredPoint";
        gone.path = "Retired";
        gone.displayName = "RetiredPoint";
        gone.dataType = "Int32";
        points->push_back(gone);
        ScanFacts facts;
        facts.startedMs = baseMs;
        facts.endedMs = baseMs + 1000;
        ServerIdentity identity;
        identity.endpointUrl = server->Url();
        ASSERT_TRUE(opened.store->RecordScan(identity, facts, *points));
    }

    ScanAndRecord();
    EXPECT_EQ(Status(),
              DoneText() + "  比上次 (" + LocalTimeText(baseMs) + "): 新增 1，删除 1，变化 0");
    // The count shown again after the filter emptied keeps it.
    Find<QLineEdit>(window, "filterBox")->setText(QStringLiteral("x"));
    Find<QLineEdit>(window, "filterBox")->clear();
    EXPECT_EQ(Status(),
              DoneText() + "  比上次 (" + LocalTimeText(baseMs) + "): 新增 1，删除 1，变化 0");
    ASSERT_EQ(StoredScans().size(), 3u);

    // The third is held against the second: nothing changed. (In the same language: the window
    // reads display names in its own, and another would show as renamed.)
    const std::int64_t secondMs = StoredScans().back().facts.startedMs;
    ScanAndRecord();
    EXPECT_EQ(Status(),
              DoneText() + "  比上次 (" + LocalTimeText(secondMs) + "): 新增 0，删除 0，变化 0");
    EXPECT_EQ(StoredScans().size(), 4u);
}

TEST_F(ScanHistory, NothingIsRecordedWithTheOptionOffAndTheChoiceIsRemembered) {
    StartServer();
    EXPECT_TRUE(window.History()->KeepScanHistory());  // on by default
    auto menu = window.Menu().BuildContextMenu();
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 10);
    EXPECT_EQ(actions[6]->text(), QString::fromUtf8("历史..."));
    EXPECT_EQ(actions[7]->text(), QString::fromUtf8("盘点..."));
    EXPECT_EQ(actions[8]->text(), QString::fromUtf8("趋势"));
    EXPECT_EQ(actions[9]->text(), QString::fromUtf8("记录扫描历史"));
    EXPECT_TRUE(actions[9]->isCheckable());
    EXPECT_TRUE(actions[9]->isChecked());

    window.Menu().OnMenuCommand(actions[9]->data().toInt());
    EXPECT_FALSE(window.History()->KeepScanHistory());
    EXPECT_FALSE(ServerHistory().KeepScanHistory());  // read back from the settings file
    EXPECT_FALSE(window.Menu().BuildContextMenu()->actions()[9]->isChecked());

    ASSERT_TRUE(ScanToEnd(window));
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(window.Scans().Pending(), 0);
    EXPECT_FALSE(std::filesystem::exists(DefaultInventoryPath()));
    EXPECT_EQ(Status(), DoneText());

    window.Menu().OnMenuCommand(PointMenu::kKeepHistory);
    EXPECT_TRUE(ServerHistory().KeepScanHistory());
    ScanAndRecord();
    EXPECT_EQ(StoredScans().size(), 1u);
}

TEST_F(ScanHistory, TheSignInIsKeptButNeverThePassword) {
    DemoServerOptions o;
    o.users = {{"operator", "pw-never-stored-7731"}};
    StartServer(o);
    ConfirmOptions(*window.OptionsDialog(), UserPassword("operator", "pw-never-stored-7731"));
    prompts.script.questionAnswers = {true};  // this server takes passwords only in clear
    ScanAndRecord();
    const auto scans = StoredScans();
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].facts.signIn, 2);
    EXPECT_EQ(scans[0].facts.userName, "operator");
    for (const char* suffix : {"", "-wal"}) {
        std::ifstream file(DefaultInventoryPath().string() + suffix, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(bytes.find("pw-never-stored-7731"), std::string::npos) << suffix;
    }
}

TEST_F(ScanHistory, HistoryEntryListsTheScansOfTheServerInTheUrlBox) {
    StartServer();
    ScanAndRecord();
    window.Menu().OnMenuCommand(PointMenu::kHistory);
    auto* dialog = window.findChild<CHistoryDlg*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !dialog->Loading(); }));
    ASSERT_EQ(dialog->Scans().size(), 1u);
    EXPECT_EQ(dialog->Scans()[0].points, static_cast<long long>(server->Points().size()));
}

}  // namespace
