#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest/QTest>

#include "discovery/endpoint_choice.h"
#include "store/inventory_store.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"
#include "tests/ui/ui_test_support.h"
#include "ui/discovery/discovery_choice.h"
#include "ui/discovery/discovery_dlg.h"
#include "ui/discovery/discovery_table_model.h"
#include "ui/login_option_dlg.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_history.h"

namespace {

const std::string kPolicy = "http://opcfoundation.org/UA/SecurityPolicy#";

TEST(DiscoveryChoice, EndpointBecomesTheWindowsSettings) {
    DiscoveredServer server;
    server.foundAt = "opc.tcp://10.0.0.7:4840";
    const struct {
        EndpointOffer endpoint;
        bool resolves;
        const char* url;
        const char* mode;
        const char* policy;
        int authKind;
    } cases[] = {
        {{"opc.tcp://plc:4840", 1, kPolicy + "None", 0, {{0, {}}}},
         true,
         "opc.tcp://plc:4840",
         "None",
         "None",
         1},
        {{"opc.tcp://plc:4840/ua", 2, kPolicy + "Basic256Sha256", 0, {{1, {}}, {0, {}}}},
         true,
         "opc.tcp://plc:4840/ua",
         "Sign",
         "Basic256Sha256",
         1},
        {{"opc.tcp://plc:4840", 3, kPolicy + "Basic256Sha256", 0, {{1, {}}}},
         true,
         "opc.tcp://plc:4840",
         "Sign & Encrypt",
         "Basic256Sha256",
         2},
        {{"opc.tcp://plc:4840", 3, kPolicy + "Aes256_Sha256_RsaPss", 0, {{2, {}}}},
         true,
         "opc.tcp://plc:4840",
         "Sign & Encrypt",
         "Aes256_Sha256_RsaPss",
         3},
        // A name that does not resolve: the address it was found at instead.
        {{"opc.tcp://plc.invalid:4840/ua", 1, "", 0, {}},
         false,
         "opc.tcp://10.0.0.7:4840/ua",
         "None",
         "None",
         1},
    };
    for (const auto& c : cases) {
        server.advertisedResolves = c.resolves;
        const ConnectionSettings s = SettingsForEndpoint(server, c.endpoint);
        EXPECT_EQ(s.url, c.url);
        EXPECT_EQ(s.securityMode, c.mode) << c.url;
        EXPECT_EQ(s.securityPolicy, c.policy) << c.url;
        EXPECT_EQ(s.authKind, c.authKind) << c.url;
    }
    server.foundAt = "opc.tcp://[fe80::1]:4840";
    server.advertisedResolves = false;
    EXPECT_EQ(SettingsForEndpoint(server, {"opc.tcp://plc:4840", 1, "", 0, {}}).url,
              "opc.tcp://[fe80::1]:4840");
    server.endpoints = {{"a", 1, "", 5, {}}, {"b", 3, "", 1, {}}, {"c", 3, "", 2, {}}};
    EXPECT_EQ(PreferredEndpoint(server)->url, "c");
    EXPECT_EQ(SplitList(QStringLiteral(" 10.0.0.0/24,plc-1;  ::1\n")),
              (std::vector<std::string>{"10.0.0.0/24", "plc-1", "::1"}));
}

TEST(DiscoveryModel, RowsArriveReplaceAndDimOtherPorts) {
    DiscoveryTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    DiscoveredServer s;
    s.applicationName = "Line 1";
    s.applicationUri = "urn:line1";
    s.foundAt = s.advertisedUrl = "opc.tcp://10.0.0.1:4840";
    s.endpoints = {{s.foundAt, 1, "", 0, {{0, {}}}}};
    model.Put(s);
    model.AddOther({"10.0.0.2", 80, PortState::NotOpcUa});
    s.endpoints.push_back({s.foundAt, 3, kPolicy + "Basic256Sha256", 0, {}});
    s.findings = {{FindingKind::NoneBesideSecure, Severity::Medium, {}}};
    model.Put(s);  // the same server, now with more
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0, DiscoveryTableModel::Server).data().toString(), "Line 1");
    EXPECT_EQ(model.index(0, DiscoveryTableModel::Port).data().toString(), "4840");
    EXPECT_EQ(model.index(0, DiscoveryTableModel::Endpoints).data().toInt(), 2);
    EXPECT_EQ(model.index(0, DiscoveryTableModel::Security).data().toString(),
              "None/None, Basic256Sha256/SignAndEncrypt");
    EXPECT_FALSE(model.index(0, DiscoveryTableModel::Findings)
                     .data(Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
    language = 1;
    EXPECT_EQ(model.index(1, DiscoveryTableModel::Server).data().toString(), "not OPC UA");
    EXPECT_EQ(model.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), "Trust");
    language = 0;
    EXPECT_TRUE(model.index(1, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model.index(0, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.ServerAt(1), nullptr);
    EXPECT_FALSE(model.index(5, 0).data().isValid());
}

TEST(DiscoveryDialog, FindsUsesAndRemembersAServer) {
    const auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    ServerHistory history;
    CDiscoveryDlg dialog(&history);
    dialog.show();
    Find<QLineEdit>(dialog, "rangesBox")->setText(QStringLiteral("127.0.0.1"));
    Find<QLineEdit>(dialog, "portsBox")->setText(QString::number(server->Port()));
    Find<QLineEdit>(dialog, "ldsBox")->clear();
    Find<QCheckBox>(dialog, "mdnsBox")->setChecked(false);
    Click(dialog, "startButton");
    EXPECT_TRUE(dialog.Running());
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Running(); }));
    ASSERT_EQ(dialog.Model()->Servers().size(), 1u);
    EXPECT_NE(TextOf(dialog, "progressLine").find("1 个服务器"), std::string::npos);
    EXPECT_TRUE(history.Find(server->Url())) << "found servers join the remembered ones";

    // The remembered servers as a source: found again without any sweep.
    Find<QLineEdit>(dialog, "rangesBox")->clear();
    Find<QCheckBox>(dialog, "rememberedBox")->setChecked(true);
    Click(dialog, "startButton");
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Running(); }));
    ASSERT_EQ(dialog.Model()->Servers().size(), 1u);
    EXPECT_EQ(dialog.Model()->Servers()[0].sources, kSourceGiven);

    QSignalSpy used(&dialog, &CDiscoveryDlg::UseServer);
    auto* table = Find<QTableView>(dialog, "serverTable");
    table->setCurrentIndex(dialog.Model()->index(0, 0));
    Click(dialog, "useButton");
    ASSERT_EQ(used.count(), 1);
    const auto settings = used.at(0).at(0).value<ConnectionSettings>();
    EXPECT_EQ(settings.url, server->Url());
    EXPECT_EQ(settings.securityMode, "None");
}

// A sweep's findings go into the history as it ends, unless the history is switched off.
TEST(DiscoveryDialog, RecordsWhatASweepFoundUnlessTheHistoryIsOff) {
    const auto server = StartDemoServer();  // no security at all: a high finding
    ASSERT_NE(server, nullptr);
    const auto store = std::filesystem::path(::testing::TempDir()) / "findings.sqlite";
    std::filesystem::remove(store);
    ServerHistory history;
    CDiscoveryDlg dialog(&history);
    dialog.SetFindingsStore(store);
    Find<QLineEdit>(dialog, "rangesBox")->clear();
    Find<QLineEdit>(dialog, "urlsBox")->setText(QString::fromStdString(server->Url()));
    Find<QLineEdit>(dialog, "ldsBox")->clear();
    Find<QCheckBox>(dialog, "mdnsBox")->setChecked(false);
    Find<QCheckBox>(dialog, "rememberedBox")->setChecked(false);
    const auto findings = [&] {
        auto opened = InventoryStore::Open(store);
        return opened.store ? opened.store->Findings(server->Url()) : std::nullopt;
    };

    history.SetKeepScanHistory(false);
    Click(dialog, "startButton");
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Running(); }));
    ASSERT_EQ(dialog.Model()->Servers().size(), 1u);
    EXPECT_FALSE(findings());

    history.SetKeepScanHistory(true);
    Click(dialog, "startButton");
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Running(); }));
    const auto stored = findings();
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->findings.size(), dialog.Model()->Servers()[0].findings.size());
    EXPECT_EQ(stored->findings[0].kind, "noSecureEndpoint");
    EXPECT_EQ(stored->findings[0].severity, 3);
}

TEST(DiscoveryDialog, CancelEndsTheRunAndBadRangesAreRefused) {
    Prompts::Script script;
    Prompts::Intercept(&script);
    CDiscoveryDlg dialog(nullptr);
    Find<QLineEdit>(dialog, "rangesBox")->setText(QStringLiteral("10.1.2.0/33"));
    Click(dialog, "startButton");
    EXPECT_FALSE(dialog.Running());
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0], "无法识别的地址范围: 10.1.2.0/33");

    SilentServer silent;
    Find<QLineEdit>(dialog, "rangesBox")->setText(QStringLiteral("127.0.0.1"));
    Find<QLineEdit>(dialog, "portsBox")->setText(QString::number(silent.Port()));
    Find<QLineEdit>(dialog, "ldsBox")->clear();
    Find<QCheckBox>(dialog, "mdnsBox")->setChecked(false);
    Click(dialog, "startButton");
    ASSERT_TRUE(dialog.Running());
    Click(dialog, "startButton");  // now Cancel
    EXPECT_TRUE(PumpUntil([&] { return !dialog.Running(); }, std::chrono::milliseconds(900)));
    Prompts::Intercept(nullptr);
}

TEST(DiscoveryDialog, WindowOpensItFromTheUrlBoxAndTakesTheChoice) {
    CQuorvaneDlg window{FastTiming()};
    auto* find = window.findChild<QAction*>(QStringLiteral("findServersAction"));
    ASSERT_NE(find, nullptr);
    find->trigger();
    auto* dialog = window.findChild<CDiscoveryDlg*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    ConnectionSettings s;
    s.url = "opc.tcp://127.0.0.1:48123";
    s.securityMode = "Sign & Encrypt";
    s.securityPolicy = "Basic256Sha256";
    emit dialog->UseServer(s);
    EXPECT_EQ(TextOf(window, "urlBox"), s.url);
    find->trigger();
    EXPECT_EQ(window.findChildren<CDiscoveryDlg*>().size(), 1);
}

}  // namespace
