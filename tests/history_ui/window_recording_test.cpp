// The window's scans in the history: one ended by Stop is kept marked cut short and never held
// against, the next complete one is compared with the last complete scan and says what it passed
// over, the Change column and the change: filter follow, and a secured scan keeps the
// certificate's fingerprint.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTableView>
#include <chrono>
#include <string>

#include "engine/certificate_facts.h"
#include "history/change_texts.h"
#include "store/inventory_store.h"
#include "store/store_location.h"
#include "tests/ui/options_helpers.h"
#include "tests/ui/ui_test_support.h"
#include "ui/cell_text.h"
#include "ui/inventory/inventory_dialog.h"
#include "ui/point_filter_model.h"
#include "ui/point_menu.h"
#include "ui/point_table_model.h"

namespace {

class WindowRecording : public ::testing::Test {
protected:
    std::vector<ScanSummary> StoredScans() {
        auto opened = InventoryStore::Open(DefaultInventoryPath());
        EXPECT_NE(opened.store, nullptr);
        return opened.store ? opened.store->Scans(server->Url()) : std::vector<ScanSummary>{};
    }
    std::string Status() const { return TextOf(window, "statusLine"); }

    PromptScript prompts;
    std::unique_ptr<DemoServer> server;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(WindowRecording, AScanEndedByStopIsKeptCutShortAndNeverABase) {
    DemoServerOptions o;
    o.points = 20000;  // the walk is still running when Stop comes
    server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    // An earlier complete scan that knew one point the server no longer has.
    const std::int64_t baseMs = 1'700'000'000'000;
    {
        auto opened = InventoryStore::Open(DefaultInventoryPath());
        ASSERT_NE(opened.store, nullptr);
        const StoredPoint retired{"ns=2;s=Retired", "Retired", "Retired", "Int32", -1, 1};
        ASSERT_TRUE(opened.store->RecordScan({server->Url(), "", "", "", ""},
                                             {baseMs, baseMs + 1000, true, 1, ""},
                                             std::vector<StoredPoint>{retired}));
    }

    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(window.WalkRunning());
    Click(window, "connectButton");  // Stop
    const std::size_t listed = window.Rows().size();
    ASSERT_TRUE(PumpUntil([&] { return window.Scans().Pending() == 0; }));
    EXPECT_EQ(Status(), "停止更新...  扫描未完成: 已记入历史并标为未完成，不作比较基准");
    auto scans = StoredScans();
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_FALSE(scans[1].facts.complete);
    EXPECT_EQ(scans[1].points, static_cast<long long>(listed));
    EXPECT_LT(listed, server->Points().size());
    EXPECT_FALSE(window.Model()->Compared());
    EXPECT_EQ(CellShown(window, 0, kChangeColumn), "");

    // The next complete scan is held against the complete one before, and says what it left out.
    ASSERT_TRUE(ScanToEnd(window));
    ASSERT_TRUE(PumpUntil([&] { return window.Scans().Pending() == 0; }));
    const std::size_t all = server->Points().size();
    EXPECT_EQ(Status(), "搜索完成 共计 " + std::to_string(all) + " 个点  比上次 (" +
                            LocalTimeText(baseMs) + "): 新增 " + std::to_string(all) +
                            "，删除 1，变化 0，其后 1 次未完成的扫描未作比较");
    scans = StoredScans();
    ASSERT_EQ(scans.size(), 3u);
    EXPECT_TRUE(scans[2].facts.complete);
    EXPECT_EQ(scans[2].points, static_cast<long long>(all));
    EXPECT_EQ(CellShown(window, 0, kChangeColumn), "新增");

    Find<QLineEdit>(window, "filterBox")->setText(QStringLiteral("change:changed"));
    EXPECT_EQ(window.Shown()->rowCount(), 0);
    Find<QLineEdit>(window, "filterBox")->setText(QString::fromUtf8("变化:新增"));
    EXPECT_EQ(window.Shown()->rowCount(), static_cast<int>(all));
}

TEST_F(WindowRecording, ACompleteScanWithOnlyCutShortOnesBeforeSaysThereIsNoBase) {
    server = StartDemoServer({});
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    {
        auto opened = InventoryStore::Open(DefaultInventoryPath());
        ASSERT_NE(opened.store, nullptr);
        ASSERT_TRUE(opened.store->RecordScan({server->Url(), "", "", "", ""},
                                             {1000, 2000, false, 1, ""},
                                             std::vector<StoredPoint>{}));
    }
    ASSERT_TRUE(ScanToEnd(window));
    ASSERT_TRUE(PumpUntil([&] { return window.Scans().Pending() == 0; }));
    EXPECT_EQ(Status(), "搜索完成 共计 " + std::to_string(server->Points().size()) +
                            " 个点  没有完整的扫描可比较 (1 次未完成)");
    EXPECT_FALSE(window.Model()->Compared());
}

TEST_F(WindowRecording, ASecuredScanKeepsTheServerCertificatesFingerprint) {
    DemoServerOptions o;
    o.secure = true;
    server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    OptionsInput in;
    in.policy = 3;  // Basic256Sha256
    in.mode = 2;    // Sign & Encrypt
    ConfirmOptions(*window.OptionsDialog(), in);
    ASSERT_TRUE(ScanToEnd(window));
    ASSERT_TRUE(PumpUntil([&] { return window.Scans().Pending() == 0; }));
    const auto& trust = window.Session().SessionTrust();
    ASSERT_TRUE(trust);
    const std::string expected = FingerprintText(trust->presented.fingerprint);
    ASSERT_FALSE(expected.empty());

    auto opened = InventoryStore::Open(DefaultInventoryPath());
    ASSERT_NE(opened.store, nullptr);
    const auto servers = opened.store->Servers();
    ASSERT_EQ(servers.size(), 1u);
    EXPECT_EQ(servers[0].endpointUrl, server->Url());
    EXPECT_EQ(servers[0].certificateFingerprint, expected);
    EXPECT_FALSE(servers[0].certificateSubject.empty());
}

TEST_F(WindowRecording, TheInventoryEntryListsTheServersAndADoubleClickTakesOne) {
    server = StartDemoServer({});
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    ASSERT_TRUE(ScanToEnd(window));
    ASSERT_TRUE(PumpUntil([&] { return window.Scans().Pending() == 0; }));
    SetUrl(window, "opc.tcp://elsewhere:4840");

    window.Menu().OnMenuCommand(PointMenu::kInventory);
    auto* dialog = window.findChild<CInventoryDlg*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isModal());
    ASSERT_TRUE(PumpUntil([&] { return !dialog->Loading(); }));
    ASSERT_EQ(dialog->Model().rowCount(), 1);
    EXPECT_EQ(dialog->Model().index(0, kInventoryPoints).data().toString().toStdString(),
              std::to_string(server->Points().size()));
    window.Menu().OnMenuCommand(PointMenu::kInventory);  // the one open is raised, not another
    EXPECT_EQ(window.findChildren<CInventoryDlg*>().size(), 1);

    auto* table = dialog->findChild<QTableView*>("inventoryServers");
    ASSERT_NE(table, nullptr);
    emit table->doubleClicked(dialog->Model().index(0, kInventoryServer));
    EXPECT_EQ(TextOf(window, "urlBox"), server->Url());
}

}  // namespace
