#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QTableWidget>
#include <QtTest/QTest>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "session/scan_session.h"
#include "tests/support/silent_server.h"
#include "tests/ui/options_helpers.h"
#include "ui/endpoint_picker.h"
#include "ui/point_table_model.h"
#include "ui/server_box.h"
#include "ui/server_history.h"

namespace {

// Each test runs with its own empty settings directory (see main.cpp).
std::string StoredFile() { return ServerHistory::DefaultPath().toStdString(); }

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

ConnectionSettings Server(int n) {
    ConnectionSettings s;
    s.url = "opc.tcp://plc" + std::to_string(n) + ":4840";
    s.authKind = 2;
    s.userName = "user" + std::to_string(n);
    s.password = "pw-" + std::to_string(n) + "-never-stored";
    s.securityPolicy = "Basic256Sha256";
    s.securityMode = "Sign & Encrypt";
    s.timeoutSeconds = 10 + n;
    s.samplingIntervalMs = 100 * n;
    return s;
}

TEST(ServerHistoryTest, MostRecentFirstCappedAtTwentyWithoutPasswords) {
    ServerHistory history;
    for (int n = 1; n <= 21; ++n) history.Remember(Server(n));
    history.Remember(Server(5));  // used again: first once more, not twice
    ServerHistory reread;
    ASSERT_EQ(reread.Servers().size(), ServerHistory::kMaxServers);
    EXPECT_EQ(reread.Servers()[0].url, Server(5).url);
    EXPECT_EQ(reread.Servers()[1].url, Server(21).url);
    EXPECT_EQ(reread.Servers().back().url, Server(2).url);  // the oldest, 1, dropped
    EXPECT_FALSE(reread.Find(Server(1).url));
    const auto five = reread.Find(Server(5).url);
    ASSERT_TRUE(five);
    EXPECT_EQ(five->userName, "user5");
    EXPECT_EQ(five->timeoutSeconds, 15);
    EXPECT_EQ(five->securityPolicy, "Basic256Sha256");
    EXPECT_EQ(five->securityMode, "Sign & Encrypt");
    EXPECT_EQ(five->password, "");
    EXPECT_EQ(five->samplingIntervalMs, 500);
    const std::string stored = FileText(StoredFile());
    EXPECT_NE(stored.find("user5"), std::string::npos);
    EXPECT_EQ(stored.find("never-stored"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("pw-"), std::string::npos);

    reread.Forget(Server(5).url);
    EXPECT_EQ(ServerHistory().Servers().front().url, Server(21).url);
}

TEST(ServerHistoryTest, DamagedOrImplausibleFileStartsFresh) {
    std::filesystem::create_directories(std::filesystem::path(StoredFile()).parent_path());
    const char* damaged[] = {
        "\x00\xff\xfe garbage [[[ = \n\x01",
        "[servers]\n1\\url=opc.tcp://a:1\n1\\signIn=7\n1\\timeout=10\nsize=1\n",
        "[servers]\n1\\url=opc.tcp://a:1\n1\\signIn=1\n1\\timeout=9999\nsize=1\n"
        "[window]\nsize=@Size(-5 0)\ncolumns=1, 2\nlanguage=3\n",
        "[servers]\n1\\url=opc.tcp://a:1\n1\\signIn=1\n1\\timeout=10\n1\\policy=Rot13\nsize=1\n",
    };
    for (const char* text : damaged) {
        std::ofstream(StoredFile(), std::ios::binary) << std::string(text, std::strlen(text) + 1);
        ServerHistory history;
        EXPECT_TRUE(history.Servers().empty()) << text;
        EXPECT_FALSE(history.Window().size);
        EXPECT_FALSE(history.Window().columnWidths);
        EXPECT_FALSE(history.Window().language);
        // And it can be written again.
        history.Remember(Server(1));
        EXPECT_EQ(ServerHistory().Servers().size(), 1u) << text;
    }
}

TEST(RememberedServers, FirstStartLooksAsAlwaysAndLeavesTheUrlBoxPlain) {
    CQuorvaneDlg window{FastTiming()};
    EXPECT_EQ(TextOf(window, "urlBox"), "opc.tcp://127.0.0.1:4840");
    EXPECT_TRUE(window.Servers()->Servers().isEmpty());
    EXPECT_EQ(window.OptionsDialog()->GetSecurityPolicy(), "");
    EXPECT_EQ(language, 0);
}

// A first start speaks the desktop's language; after that the language last used, whatever
// the desktop says.
TEST(RememberedServers, FirstStartFollowsTheLocaleThenTheLanguageLastUsed) {
    struct Case {
        const char* lcAll;
        const char* lang;
        int expected;
    };
    const std::string before = std::getenv("LANG") != nullptr ? std::getenv("LANG") : "";
    unsetenv("LC_MESSAGES");
    for (const Case c : {Case{nullptr, "en_US.UTF-8", 1}, Case{nullptr, "zh_TW.UTF-8", 0},
                         Case{"de_DE.UTF-8", "zh_CN.UTF-8", 1}, Case{"zh_CN.UTF-8", "C", 0}}) {
        SCOPED_TRACE(c.lang);
        std::filesystem::remove(StoredFile());
        if (c.lcAll != nullptr) setenv("LC_ALL", c.lcAll, 1);
        setenv("LANG", c.lang, 1);
        {
            CQuorvaneDlg window{FastTiming()};
            EXPECT_EQ(language, c.expected);
            EXPECT_EQ(TextOf(window, "connectButton"), c.expected == 0 ? "连接" : "Connect");
            window.reject();
        }
        // The desktop changes its mind; the tool keeps what it was last used in.
        setenv("LANG", c.expected == 0 ? "en_US.UTF-8" : "zh_CN.UTF-8", 1);
        unsetenv("LC_ALL");
        CQuorvaneDlg again{FastTiming()};
        EXPECT_EQ(language, c.expected);
    }
    setenv("LANG", before.c_str(), 1);
    setenv("LC_MESSAGES", "zh_CN.UTF-8", 1);
    language = 0;
}

// The list of remembered servers is open (a remembered URL typed again): one click on Connect
// closes it and connects.
TEST(RememberedServers, OneClickOnConnectConnectsWithTheListOpen) {
    auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    CQuorvaneDlg window{FastTiming()};
    window.Servers()->SetServers({QString::fromStdString(server->Url())});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    SetUrl(window, server->Url());
    window.Servers()->ShowAll();
    QWidget* list = window.Servers()->Completer()->popup();
    ASSERT_TRUE(list->isVisible());
    auto* connectButton = Find<QPushButton>(window, "connectButton");
    const QPoint at = connectButton->mapTo(&window, connectButton->rect().center());
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(list->isVisible());
    EXPECT_NE(window.Session().State(), SessionState::Idle) << "the click was lost";
    ASSERT_TRUE(PumpUntil([&] { return window.Session().State() == SessionState::Refreshing; }));
    EXPECT_EQ(window.Rows().size(), server->Points().size());
}

TEST(RememberedServers, ConnectRemembersRestartRestoresChoiceRestoresForgetRemoves) {
    DemoServerOptions o;
    o.users = {{"operator", "secret"}};
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    {
        PromptScript prompts;
        prompts.script.questionAnswers = {true};  // the demo server takes passwords in clear
        CQuorvaneDlg window{FastTiming()};
        window.History()->Remember(Server(7));  // an older server
        SetUrl(window, server->Url());
        OptionsInput in = UserPassword("operator", "secret");
        in.timeout = "42";
        ConfirmOptions(*window.OptionsDialog(), in);
        ASSERT_TRUE(ScanToEnd(window));
        EXPECT_FALSE(window.Rows().empty());
        window.OnLanguage();
        window.resize(1000, 700);
        window.reject();  // what the close box does
    }
    EXPECT_EQ(FileText(StoredFile()).find("secret"), std::string::npos);

    CQuorvaneDlg again{FastTiming()};
    EXPECT_EQ(language, 1);
    EXPECT_EQ(again.size(), QSize(1000, 700));
    EXPECT_EQ(TextOf(again, "urlBox"), server->Url());
    CLoginOptionDlg& options = *again.OptionsDialog();
    EXPECT_EQ(options.authKind, 2);
    EXPECT_EQ(options.GetUser(), "operator");
    EXPECT_EQ(options.GetPassword(), "");
    EXPECT_EQ(options.GetTimeout(), "42");
    EXPECT_EQ(options.GetSecurityPolicy(), "None");
    ASSERT_EQ(again.Servers()->Servers(), QStringList({QString::fromStdString(server->Url()),
                                                       QString::fromStdString(Server(7).url)}));

    // Choosing the older one from the drop-down brings its options back.
    QCompleter* completer = again.Servers()->Completer();
    emit completer->activated(QString::fromStdString(Server(7).url));
    EXPECT_EQ(TextOf(again, "urlBox"), Server(7).url);
    EXPECT_EQ(options.GetUser(), "user7");
    EXPECT_EQ(options.GetSecurityPolicy(), "Basic256Sha256");
    EXPECT_EQ(options.GetTimeout(), "17");

    // Delete on the highlighted entry of the shown list forgets it.
    again.Servers()->ShowAll();
    QAbstractItemView* list = completer->popup();
    list->setCurrentIndex(completer->completionModel()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(again.Servers()->Servers(), QStringList({QString::fromStdString(server->Url())}));
    EXPECT_FALSE(ServerHistory().Find(Server(7).url));
    language = 0;
}

TEST(RememberedServers, FailedConnectKeepsTheList) {
    auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
    SetUrl(window, server->Url());
    ASSERT_TRUE(ScanToEnd(window));
    const std::size_t rows = window.Rows().size();
    ASSERT_GT(rows, 0u);
    SetUrl(window, ClosedPortUrl());
    if (TextOf(window, "connectButton") == Text(TextKey::Stop)) Click(window, "connectButton");
    ASSERT_TRUE(PressConnect(window));
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0],
              Text(TextKey::ConnectFailed) + Text(TextKey::CauseRefused));
    EXPECT_EQ(window.Rows().size(), rows);
    EXPECT_EQ(window.Model()->rowCount(), static_cast<int>(rows));
    // Only a failed attempt is kept out: the server that answered is remembered.
    EXPECT_EQ(window.Servers()->Servers(), QStringList({QString::fromStdString(server->Url())}));
}

TEST(EndpointOptions, PickedEndpointSetsModePolicyAndSignIn) {
    ScanSession session;
    CLoginOptionDlg dialog(nullptr, session);
    ChooseSignIn(dialog, 2);
    dialog.ApplyEndpoint({"Basic256Sha256", 3, 2, kTokenAnonymous, 3});
    EXPECT_EQ(Find<QComboBox>(dialog, "policyList")->currentIndex(), 3);
    EXPECT_EQ(Find<QComboBox>(dialog, "modeList")->currentIndex(), 2);
    EXPECT_TRUE(Find<QRadioButton>(dialog, "anonymousChoice")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(dialog, "userPasswordChoice")->isEnabled());
    EXPECT_TRUE(Find<QRadioButton>(dialog, "certificateChoice")->isEnabled());
    dialog.ApplyEndpoint({"None", 0, 0, kTokenAnonymous | kTokenUserName, 1});
    EXPECT_TRUE(Find<QRadioButton>(dialog, "userPasswordChoice")->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>(dialog, "certificateChoice")->isEnabled());
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.GetSecurityPolicy(), "None");
    EXPECT_EQ(dialog.GetSecurityMode(), "None");
}

TEST(EndpointOptions, ListFromTheServerPickAndConnectFirstTime) {
    DemoServerOptions o;
    o.secure = true;
    o.users = {{"operator", "secret"}};
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
    SetUrl(window, server->Url());
    CLoginOptionDlg& dialog = *window.OptionsDialog();
    window.OnOption();
    Click(dialog, "endpointsButton");
    EndpointPicker& picker = *dialog.Endpoints();
    ASSERT_TRUE(PumpUntil([&] { return !picker.Asking(); }));
    auto* table = Find<QTableWidget>(dialog, "endpointList");
    ASSERT_GT(table->rowCount(), 3);
    for (int row = 1; row < table->rowCount(); ++row)
        EXPECT_GE(table->item(row - 1, 3)->text().toInt(), table->item(row, 3)->text().toInt());
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("SignAndEncrypt"));
    table->setCurrentCell(0, 0);  // the highest level
    ChooseSignIn(dialog, 2);
    Find<QLineEdit>(dialog, "userBox")->setText(QStringLiteral("operator"));
    Find<QLineEdit>(dialog, "passwordBox")->setText(QStringLiteral("secret"));
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.GetSecurityMode(), "Sign & Encrypt");
    EXPECT_EQ(dialog.GetSecurityPolicy(), table->item(0, 0)->text().toStdString());
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_FALSE(window.Rows().empty());
}

TEST(EndpointOptions, AskingIsCancelledAndFailuresAreNamed) {
    ScanSession session;
    CLoginOptionDlg dialog(nullptr, session);
    std::string url = "opc.tcp://nosuchhost.invalid:4840";
    dialog.SetUrlSource([&] { return url; });
    EndpointPicker& picker = *dialog.Endpoints();
    QString failure;
    QObject::connect(&picker, &EndpointPicker::Finished, [&](const QString& f) { failure = f; });
    picker.Ask();
    ASSERT_TRUE(PumpUntil([&] { return !picker.Asking(); }));
    EXPECT_EQ(failure.toStdString(),
              Text(TextKey::ConnectFailed) + Text(TextKey::CauseHostNotFound));

    SilentServer silent;
    url = silent.Url();
    picker.Ask();
    EXPECT_TRUE(picker.Asking());
    PumpFor(std::chrono::milliseconds(100));
    Click(dialog, "endpointsButton");  // now captioned Cancel
    EXPECT_FALSE(picker.Asking());
    EXPECT_EQ(TextOf(dialog, "endpointsButton"), Text(TextKey::GetEndpoints));
}

}  // namespace
