#include <gtest/gtest.h>

#include <fstream>

#include "engine/certificate_facts.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "session/scan_session.h"
#include "tests/support/test_trust.h"
#include "tests/ui/options_helpers.h"
#include "tests/ui/ui_test_support.h"
#include "ui/client_certificate_row.h"
#include "ui/session_trust.h"

namespace {

using namespace std::chrono_literals;

// The window signing in with a password over Sign & Encrypt to a server this home has never
// seen; every prompt answered by the test.
class TrustInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        UseFreshHome();
        ForgetServersAcceptedThisRun();
        options.secure = true;
        options.users = {{"operator", "secret"}};
        server = StartUntrustedDemoServer(options);
        ASSERT_TRUE(server);
        SetUrl(window, server->Url());
        OptionsInput in = UserPassword("operator", "secret");
        in.policy = 3;  // Basic256Sha256
        in.mode = 2;    // Sign & Encrypt
        ConfirmOptions(*window.OptionsDialog(), in);
        window.show();
    }
    void TearDown() override { ForgetServersAcceptedThisRun(); }

    std::string Fingerprint() const {
        return FingerprintText(ServerCertificate(*server).fingerprint);
    }
    std::size_t Trusted() const { return TrustStore(PkiRoot()).Load().certificates.size(); }
    bool Scanned() {
        return PumpUntil([&] {
                   return !window.Connecting() && !window.WalkRunning() &&
                          !window.ScanPollPending();
               }) &&
               window.Rows().size() == server->Points().size();
    }

    PromptScript prompts;
    DemoServerOptions options;
    std::unique_ptr<DemoServer> server;
    CQuorvaneDlg window{FastTiming()};
};

}  // namespace

TEST_F(TrustInWindow, FirstContactAsksWithTheFactsAndCancelIsTheDefault) {
    ASSERT_TRUE(PressConnect(window));
    ASSERT_EQ(prompts.script.choices.size(), 1u);
    const auto& asked = prompts.script.choices[0];
    EXPECT_EQ(asked.title, "未知的服务器证书");
    EXPECT_EQ(asked.buttons, (std::vector<std::string>{"始终信任", "仅本次", "取消"}));
    EXPECT_EQ(asked.cancelIndex, 2);
    for (const std::string& fact :
         {Fingerprint(), std::string("urn:open62541.server.application"),
          std::string("CN=Quorvane demo server"), std::string("有效期: ")})
        EXPECT_NE(asked.text.find(fact), std::string::npos) << fact << "\n" << asked.text;
    // Nothing answered: cancelled, nothing listed, nothing trusted, nothing else said.
    EXPECT_TRUE(window.Rows().empty());
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    EXPECT_EQ(Trusted(), 0u);
    EXPECT_TRUE(ServersAcceptedThisRun().empty());
}

TEST_F(TrustInWindow, TrustThisTimeHoldsForThisRunOnly) {
    prompts.script.choiceAnswers = {1};
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(Scanned());
    EXPECT_EQ(Trusted(), 0u);
    EXPECT_EQ(ServersAcceptedThisRun(), std::vector<std::string>{Fingerprint()});
    // The same certificate again in this run: no question.
    Click(window, "connectButton");  // Stop
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(Scanned());
    EXPECT_EQ(prompts.script.choices.size(), 1u);
    // A new run asks again.
    ForgetServersAcceptedThisRun();
    Click(window, "connectButton");
    ASSERT_TRUE(PressConnect(window));
    EXPECT_EQ(prompts.script.choices.size(), 2u);
}

TEST_F(TrustInWindow, TrustAlwaysIsRemembered) {
    prompts.script.choiceAnswers = {0};
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(Scanned());
    EXPECT_EQ(Trusted(), 1u);
    ForgetServersAcceptedThisRun();  // as if the program started again
    Click(window, "connectButton");
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(Scanned());
    EXPECT_EQ(prompts.script.choices.size(), 1u);
}

// Another certificate at the address: the refresh cycle does not reconnect to it by itself, it
// stops retrying and says so; Connect shows the changed-certificate warning with both
// fingerprints.
TEST_F(TrustInWindow, ChangedCertificateIsNeverAcceptedSilently) {
    TrustDemoServer(*server);
    const std::string before = Fingerprint();
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(Scanned());
    ASSERT_TRUE(prompts.script.choices.empty());

    options.port = server->Port();
    server->Stop();
    server = StartUntrustedDemoServer(options);
    ASSERT_TRUE(server);
    // The refresh reads, fails, reconnects, meets the new certificate and stops there.
    ASSERT_TRUE(PumpUntil([&] { return window.Rows()[0]->quality == "UNCERTAIN"; }, 20s));
    ASSERT_TRUE(PumpUntil([&] { return window.Session().State() == SessionState::Idle; }, 5s));
    EXPECT_EQ(TextOf(window, "statusLine"), "服务器证书已改变，请重新连接以查看");
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    PumpFor(1500ms);
    EXPECT_FALSE(window.RefreshPending()) << "still retrying";
    EXPECT_EQ(window.LastReadResult(), -1);
    EXPECT_TRUE(prompts.script.choices.empty());
    EXPECT_EQ(server->ValueReads(), 0u) << "a session was opened with the new certificate";

    ASSERT_TRUE(PressConnect(window));  // one press: the question
    ASSERT_EQ(prompts.script.choices.size(), 1u);
    const auto& asked = prompts.script.choices[0];
    EXPECT_EQ(asked.title, "服务器证书已改变");
    EXPECT_EQ(asked.cancelIndex, 2);
    EXPECT_NE(asked.text.find("以前信任的指纹: " + before), std::string::npos) << asked.text;
    EXPECT_NE(asked.text.find(Fingerprint()), std::string::npos) << asked.text;
    EXPECT_FALSE(window.Rows().empty()) << "a connect given up keeps the last scan";

    // Accepting replaces the old trust.
    prompts.script.choiceAnswers = {0};
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(Scanned());
    const auto trusted = TrustStore(PkiRoot()).Load().certificates;
    ASSERT_EQ(trusted.size(), 1u);
    EXPECT_EQ(FingerprintText(trusted[0].facts.fingerprint), Fingerprint());
}

TEST(ClientCertificateLine, ShowsExportsAndRenewsAfterAsking) {
    UseFreshHome();
    PromptScript prompts;
    ScanSession session;
    CLoginOptionDlg dialog(nullptr, session);
    dialog.show();
    auto* row = Find<ClientCertificateRow>(dialog, "clientCertificateRow");
    ASSERT_NE(row, nullptr);
    // Made on the row's own thread, shown when done.
    ASSERT_TRUE(PumpUntil([&] { return !row->Busy(); }));
    EXPECT_EQ(TextOf(dialog, "clientCertificateLabel"), "客户端证书");
    EXPECT_EQ(TextOf(dialog, "exportCertificateButton"), "导出...");
    EXPECT_EQ(TextOf(dialog, "renewCertificateButton"), "重新生成");
    const auto identity = LoadOrCreateIdentity(PkiRoot());
    ASSERT_TRUE(identity);
    const std::string shown = row->FingerprintShown().toStdString();
    EXPECT_EQ(shown, FingerprintText(Sha256Of(identity->certificate)));

    const std::string path = (PkiRoot().parent_path() / "given.der").string();
    prompts.script.fileAnswers = {QString::fromStdString(path)};
    Click(dialog, "exportCertificateButton");
    EXPECT_EQ(ReadSmallFile(path), identity->certificate);

    Click(dialog, "renewCertificateButton");  // not confirmed: Cancel is the default
    EXPECT_EQ(row->FingerprintShown().toStdString(), shown);
    prompts.script.questionAnswers = {true};
    Click(dialog, "renewCertificateButton");
    ASSERT_TRUE(PumpUntil([&] { return !row->Busy(); }));
    EXPECT_EQ(prompts.script.questions.size(), 2u);
    EXPECT_NE(row->FingerprintShown().toStdString(), shown);
    EXPECT_EQ(row->FingerprintShown().toStdString(),
              FingerprintText(Sha256Of(LoadOrCreateIdentity(PkiRoot())->certificate)));

    language = 1;
    dialog.RefreshTexts();
    EXPECT_EQ(TextOf(dialog, "clientCertificateLabel"), "client certificate");
    EXPECT_EQ(TextOf(dialog, "exportCertificateButton"), "export...");
    EXPECT_EQ(TextOf(dialog, "renewCertificateButton"), "renew");
}

// Cancel on the question about another server: the list of the server scanned before does not
// stay under the new URL as if it were its list.
TEST_F(TrustInWindow, CancelAtANewServerClearsTheListOfTheOldOne) {
    auto plain = StartDemoServer();
    ASSERT_TRUE(plain);
    SetUrl(window, plain->Url());
    ConfirmOptions(*window.OptionsDialog(), OptionsInput{});
    ASSERT_TRUE(ScanToEnd(window));
    ASSERT_EQ(window.Rows().size(), plain->Points().size());
    SetUrl(window, server->Url());
    OptionsInput in = UserPassword("operator", "secret");
    in.policy = 3;
    in.mode = 2;
    ConfirmOptions(*window.OptionsDialog(), in);
    ASSERT_TRUE(PressConnect(window));  // Stop
    ASSERT_TRUE(PumpUntil([&] { return window.Session().State() == SessionState::Idle; }));
    ASSERT_TRUE(PressConnect(window));
    ASSERT_EQ(prompts.script.choices.size(), 1u);  // not answered: Cancel
    EXPECT_TRUE(window.Rows().empty());
    EXPECT_EQ(TextOf(window, "statusLine"), "未连接");
    EXPECT_EQ(window.Session().State(), SessionState::Idle);
}
