#include <gtest/gtest.h>

#include <optional>

#include "tests/ui/options_helpers.h"

namespace {

// Runs each failure once in Chinese and once in English.
class ConnectFailure : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        if (GetParam() == 1) Click(window, "languageButton");
    }

    // Presses Connect and checks the Failed state with `expected` as status and message.
    void ExpectFailure(TextKey expected, std::optional<TextKey> cause = std::nullopt) {
        ASSERT_TRUE(PressConnect(window));
        const std::string text =
            Text(expected, GetParam()) + (cause ? Text(*cause, GetParam()) : "");
        EXPECT_EQ(TextOf(window, "statusLine"), text);
        ASSERT_EQ(prompts.script.messages.size(), 1u);
        EXPECT_EQ(prompts.script.messages[0], text);
        EXPECT_EQ(TextOf(window, "connectButton"), Text(TextKey::Connect, GetParam()));
        ExpectButtonsEnabled(
            window, {"connectButton", "optionButton", "exportButton", "languageButton"}, true);
        EXPECT_FALSE(window.ScanPollPending());
        EXPECT_FALSE(window.WalkRunning());
    }

    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_P(ConnectFailure, AnonymousToNothingListening) {
    SetUrl(window, ClosedPortUrl());
    ExpectFailure(TextKey::ConnectFailed, TextKey::CauseRefused);
}

TEST_P(ConnectFailure, MalformedUrl) {
    SetUrl(window, "");
    ExpectFailure(TextKey::ConnectFailed, TextKey::CauseBadUrl);
}

TEST_P(ConnectFailure, EmptyPassword) {
    ConfirmOptions(*window.OptionsDialog(), UserPassword("operator", ""));
    ExpectFailure(TextKey::UserPasswordEmpty);
}

TEST_P(ConnectFailure, WrongPassword) {
    DemoServerOptions o;
    o.users = {{"operator", "secret"}};
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    ConfirmOptions(*window.OptionsDialog(), UserPassword("operator", "wrong"));
    prompts.script.questionAnswers = {true};  // this server takes passwords only in clear
    ExpectFailure(TextKey::UserPasswordWrong);
}

// Without files this installation's own pair signs in, on the strongest endpoint: the connect
// goes to the server instead of stopping at the empty fields.
TEST_P(ConnectFailure, CertificateWithoutFilesGoesToTheServerWithTheOwnPair) {
    ChooseSignIn(*window.OptionsDialog(), 3);
    window.OptionsDialog()->reject();
    ExpectFailure(TextKey::ConnectFailed, TextKey::CauseRefused);
}

TEST_P(ConnectFailure, CertificateRejected) {
    auto server = StartDemoServer();  // offers no encrypting policy
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    OptionsInput in;
    in.authKind = 3;
    in.certificate = "/nonexistent/client.der";
    in.key = "/nonexistent/client.key.der";
    in.policy = 3;
    in.mode = 2;
    ConfirmOptions(*window.OptionsDialog(), in);
    ExpectFailure(TextKey::CertKeyWrong);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ConnectFailure, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Chinese" : "English"; });

TEST(ConnectSuccess, UserPasswordInClearOnlyAfterOk) {
    PromptScript prompts;
    DemoServerOptions o;  // takes passwords only unencrypted
    o.users = {{"operator", "secret"}};
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    CQuorvaneDlg window(FastTiming());
    SetUrl(window, server->Url());
    ConfirmOptions(*window.OptionsDialog(), UserPassword("operator", "secret"));

    // Cancel, the default: nothing is sent and the window is idle again without a message.
    ASSERT_TRUE(PressConnect(window));
    ASSERT_EQ(prompts.script.questions.size(), 1u);
    EXPECT_EQ(prompts.script.questions[0], Text(TextKey::PlainPasswordPrompt));
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    EXPECT_TRUE(window.Rows().empty());
    EXPECT_FALSE(window.SessionSettings().has_value());

    prompts.script.questionAnswers = {true};
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(prompts.script.questions.size(), 2u);
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_EQ(window.Rows().size(), server->Points().size());
    // The refresh's reconnect may do what the user allowed for this scan.
    ASSERT_TRUE(window.SessionSettings().has_value());
    EXPECT_TRUE(window.SessionSettings()->allowPlainPassword);
}

}  // namespace
