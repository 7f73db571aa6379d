// The window's status line warns of a sign-in that fell back to a channel without security
// (tests/session has that case: the options dialog always stores a policy and mode with a
// password), and never of a secure one or of None chosen.
#include <gtest/gtest.h>

#include "tests/ui/options_helpers.h"

namespace {

class UnsecuredWarning : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        if (GetParam() == 1) Click(window, "languageButton");
    }
    bool Warned() const {
        return TextOf(window, "statusLine").find(Text(TextKey::CliNoSecureEndpoint, GetParam())) !=
               std::string::npos;
    }

    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_P(UnsecuredWarning, NotShownOverASecureChannelNorAfterIt) {
    DemoServerOptions options;
    options.secure = true;
    options.users = {{"operator", "secret"}};
    auto secure = StartDemoServer(options);
    ASSERT_NE(secure, nullptr);
    SetUrl(window, secure->Url());
    ConfirmOptions(*window.OptionsDialog(), UserPassword("operator", "secret"));
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_FALSE(Warned()) << TextOf(window, "statusLine");
    // A None/None sign-in asked for is what the user chose: nothing to warn of either.
    options.secure = false;
    auto plain = StartDemoServer(options);
    ASSERT_NE(plain, nullptr);
    SetUrl(window, plain->Url());
    OptionsInput none = UserPassword("operator", "secret");
    none.policy = 0;
    none.mode = 0;
    ConfirmOptions(*window.OptionsDialog(), none);
    prompts.script.questionAnswers = {true};
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_FALSE(Warned()) << TextOf(window, "statusLine");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, UnsecuredWarning, ::testing::Values(0, 1));

}  // namespace
