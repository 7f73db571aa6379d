#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include "session/scan_session.h"
#include "tests/ui/options_helpers.h"

namespace {

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override { dialog.show(); }

    QComboBox& Policy() { return *Find<QComboBox>(dialog, "policyList"); }
    QComboBox& Mode() { return *Find<QComboBox>(dialog, "modeList"); }
    QLineEdit& Box(const char* name) { return *Find<QLineEdit>(dialog, name); }
    bool Enabled(const char* name) { return Find<QWidget>(dialog, name)->isEnabled(); }

    // What a user's pick in a list does: select the entry and report it as activated.
    static void Pick(QComboBox& list, int index) {
        list.setCurrentIndex(index);
        emit list.activated(index);
    }

    void SetTimeoutAndOk(const char* text) {
        Box("timeoutBox").setText(QString::fromLatin1(text));
        Click(dialog, "okButton");
    }

    PromptScript prompts;
    ScanSession session;
    CLoginOptionDlg dialog{nullptr, session};
};

TEST_F(OptionsDialog, FreshDialog) {
    EXPECT_EQ(dialog.authKind, 1);
    EXPECT_EQ(dialog.GetSecurityPolicy(), "");
    EXPECT_EQ(dialog.GetSecurityMode(), "");
    EXPECT_EQ(dialog.GetTimeout(), "10");
    EXPECT_EQ(Box("timeoutBox").text(), QStringLiteral("10"));
    // The older entries keep their places; the deprecated ones say so.
    const QStringList policies{"None",           "Basic128Rsa15 (已弃用)", "Basic256 (已弃用)",
                               "Basic256Sha256", "Aes128_Sha256_RsaOaep",  "Aes256_Sha256_RsaPss"};
    const QStringList modes{"None", "Sign", "Sign & Encrypt"};
    ASSERT_EQ(Policy().count(), 6);
    ASSERT_EQ(Mode().count(), 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Policy().itemText(i), policies[i]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Mode().itemText(i), modes[i]);
    EXPECT_EQ(Policy().currentIndex(), 0);
    EXPECT_EQ(Mode().currentIndex(), 0);
    EXPECT_TRUE(Find<QRadioButton>(dialog, "anonymousChoice")->isChecked());
    for (const char* off :
         {"userBox", "passwordBox", "certificateBox", "keyBox", "certificateBrowse", "keyBrowse"}) {
        EXPECT_FALSE(Enabled(off)) << off;
    }
    EXPECT_TRUE(Enabled("revealButton"));
    EXPECT_EQ(Box("passwordBox").echoMode(), QLineEdit::Password);
}

TEST_F(OptionsDialog, SignInChoiceEnablesItsSectionAtOnce) {
    ChooseSignIn(dialog, 2);
    EXPECT_EQ(dialog.authKind, 2);
    EXPECT_TRUE(Enabled("userBox"));
    EXPECT_TRUE(Enabled("passwordBox"));
    EXPECT_FALSE(Enabled("certificateBox"));
    EXPECT_FALSE(Enabled("keyBrowse"));
    ChooseSignIn(dialog, 3);
    EXPECT_EQ(dialog.authKind, 3);
    EXPECT_FALSE(Enabled("userBox"));
    for (const char* on : {"certificateBox", "keyBox", "certificateBrowse", "keyBrowse"}) {
        EXPECT_TRUE(Enabled(on)) << on;
    }
    ChooseSignIn(dialog, 1);
    EXPECT_EQ(dialog.authKind, 1);
    EXPECT_FALSE(Enabled("certificateBox"));
    EXPECT_FALSE(Enabled("passwordBox"));
}

TEST_F(OptionsDialog, UserChoicesCoupleModeAndPolicy) {
    Pick(Policy(), 2);  // Basic256 while the mode is None
    EXPECT_EQ(Mode().currentIndex(), 1);
    Pick(Mode(), 2);  // policy stays Basic256
    EXPECT_EQ(Policy().currentIndex(), 2);
    Pick(Policy(), 3);  // mode already Sign & Encrypt
    EXPECT_EQ(Mode().currentIndex(), 2);
    Pick(Mode(), 0);
    EXPECT_EQ(Policy().currentIndex(), 0);
    Pick(Mode(), 2);  // Sign & Encrypt while the policy is None: the strongest usual one
    EXPECT_EQ(Policy().currentIndex(), 3);
    Pick(Policy(), 0);
    EXPECT_EQ(Mode().currentIndex(), 0);
}

TEST_F(OptionsDialog, ProgramChangesDoNotCouple) {
    Policy().setCurrentIndex(3);
    EXPECT_EQ(Mode().currentIndex(), 0);
    Mode().setCurrentIndex(2);
    EXPECT_EQ(Policy().currentIndex(), 3);
}

TEST_F(OptionsDialog, KeyboardChoiceInAListCouples) {
    Policy().setFocus();
    QTest::keyClick(&Policy(), Qt::Key_Down);
    EXPECT_EQ(Policy().currentIndex(), 1);
    EXPECT_EQ(Mode().currentIndex(), 1);
}

TEST_F(OptionsDialog, TimeoutLimitsAreAccepted) {
    for (const char* ok : {"5", "600", "0010"}) {
        dialog.show();
        SetTimeoutAndOk(ok);
        EXPECT_EQ(dialog.GetTimeout(), ok);
        EXPECT_FALSE(dialog.isVisible()) << ok;
    }
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(OptionsDialog, TimeoutOutsideTheLimitsIsRefused) {
    for (const char* bad : {"4", "601", "0", "", "99999999999999"}) {
        SetTimeoutAndOk(bad);
        EXPECT_TRUE(dialog.isVisible()) << bad;
        EXPECT_EQ(dialog.GetTimeout(), "10") << bad;
        EXPECT_EQ(Box("timeoutBox").text().toStdString(), bad);
    }
    ASSERT_EQ(prompts.script.messages.size(), 5u);
    EXPECT_EQ(prompts.script.messages[0], "超时时间必须在5秒~600秒之间");
    EXPECT_EQ(dialog.GetSecurityPolicy(), "");  // nothing stored by a refused OK
}

TEST_F(OptionsDialog, SamplingIntervalIsCheckedStoredAndRestored) {
    EXPECT_EQ(dialog.GetSamplingInterval(), "1000");
    EXPECT_EQ(dialog.Settings("u").samplingIntervalMs, 1000);
    language = 1;
    for (const char* bad : {"99", "60001", ""}) {
        Box("samplingBox").setText(QString::fromLatin1(bad));
        Click(dialog, "okButton");
        EXPECT_TRUE(dialog.isVisible()) << bad;
        EXPECT_EQ(dialog.GetSamplingInterval(), "1000") << bad;
    }
    ASSERT_EQ(prompts.script.messages.size(), 3u);
    EXPECT_EQ(prompts.script.messages[0], Text(TextKey::SamplingOutOfRange, 1));
    language = 0;
    Box("samplingBox").setText(QStringLiteral("250"));
    Click(dialog, "okButton");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Settings("u").samplingIntervalMs, 250);
    // Cancel shows the stored value again; a remembered server brings its own.
    dialog.show();
    Box("samplingBox").setText(QStringLiteral("5000"));
    Click(dialog, "cancelButton");
    EXPECT_EQ(Box("samplingBox").text(), QStringLiteral("250"));
    ConnectionSettings remembered = dialog.Settings("u");
    remembered.samplingIntervalMs = 2000;
    dialog.Restore(remembered);
    EXPECT_EQ(Box("samplingBox").text(), QStringLiteral("2000"));
    EXPECT_EQ(dialog.Settings("u").samplingIntervalMs, 2000);
}

TEST_F(OptionsDialog, TimeoutMessageIsChineseInEnglishMode) {
    language = 1;
    SetTimeoutAndOk("3");
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_EQ(prompts.script.messages[0], "超时时间必须在5秒~600秒之间");
}

TEST_F(OptionsDialog, TimeoutBoxTakesDigitsOnly) {
    Box("timeoutBox").clear();
    QTest::keyClicks(&Box("timeoutBox"), "1a2-3");
    EXPECT_EQ(Box("timeoutBox").text(), QStringLiteral("123"));
}

TEST_F(OptionsDialog, OkStoresTheValuesOfTheChosenKind) {
    OptionsInput in = UserPassword("operator", "secret");
    in.certificate = "/tmp/c.der";
    in.policy = 3;
    in.mode = 2;
    ConfirmOptions(dialog, in);
    EXPECT_EQ(dialog.GetUser(), "operator");
    EXPECT_EQ(dialog.GetPassword(), "secret");
    EXPECT_EQ(dialog.GetCertificatePath(), "");  // kind 2 leaves the paths alone
    EXPECT_EQ(dialog.GetSecurityPolicy(), "Basic256Sha256");
    EXPECT_EQ(dialog.GetSecurityMode(), "Sign & Encrypt");

    OptionsInput anon;  // kind 1 touches none of the four
    anon.policy = 0;
    ConfirmOptions(dialog, anon);
    EXPECT_EQ(dialog.GetUser(), "operator");
    EXPECT_EQ(dialog.GetPassword(), "secret");
    EXPECT_EQ(dialog.GetSecurityPolicy(), "None");
    EXPECT_EQ(dialog.authKind, 1);
}

TEST_F(OptionsDialog, CancelStoresNothingButKeepsTheSignInChoice) {
    ChooseSignIn(dialog, 2);
    Box("userBox").setText(QStringLiteral("typed"));
    Box("passwordBox").setText(QStringLiteral("typed"));
    Box("timeoutBox").setText(QStringLiteral("30"));
    Click(dialog, "cancelButton");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.authKind, 2);
    EXPECT_EQ(dialog.GetUser(), "");
    EXPECT_EQ(dialog.GetTimeout(), "10");
    EXPECT_EQ(dialog.GetSecurityPolicy(), "");
    // The next showing shows what is stored, not the cancelled edit.
    dialog.show();
    EXPECT_EQ(Box("userBox").text(), QString());
    EXPECT_EQ(Box("passwordBox").text(), QString());
    EXPECT_EQ(Box("timeoutBox").text(), QStringLiteral("10"));
}

// The mode and policy shown after Cancel are the ones Connect uses.
TEST_F(OptionsDialog, CancelShowsTheStoredModeAndPolicyAgain) {
    Pick(Policy(), 3);
    Pick(Mode(), 2);
    Click(dialog, "okButton");
    const std::string policy = dialog.GetSecurityPolicy();
    const std::string mode = dialog.GetSecurityMode();
    const int shownPolicy = Policy().currentIndex();
    const int shownMode = Mode().currentIndex();
    dialog.show();
    Pick(Mode(), 1);
    Pick(Policy(), 1);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.show();
    EXPECT_EQ(Mode().currentIndex(), shownMode);
    EXPECT_EQ(Policy().currentIndex(), shownPolicy);
    EXPECT_EQ(dialog.GetSecurityPolicy(), policy);
    EXPECT_EQ(dialog.GetSecurityMode(), mode);
    EXPECT_EQ(dialog.Settings("u").securityMode, Mode().currentText().toStdString());
}

TEST_F(OptionsDialog, EscapeAndTheCloseBoxOnlyHide) {
    ChooseSignIn(dialog, 3);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.authKind, 3);
    EXPECT_EQ(dialog.GetCertificatePath(), "");
}

TEST_F(OptionsDialog, BrowseStoresThePathAtOnce) {
    ChooseSignIn(dialog, 3);
    prompts.script.fileAnswers = {QStringLiteral("/certs/client.der"), QString(),
                                  QStringLiteral("/certs/client.key")};
    Click(dialog, "certificateBrowse");
    ASSERT_EQ(prompts.script.fileRequests.size(), 1u);
    EXPECT_FALSE(prompts.script.fileRequests[0].save);
    EXPECT_EQ(prompts.script.fileRequests[0].filter,
              QStringLiteral("der Files(*.der);;All File(*.*)"));
    EXPECT_EQ(prompts.script.fileRequests[0].initialName, QStringLiteral("*.der"));
    EXPECT_EQ(dialog.GetCertificatePath(), "/certs/client.der");
    EXPECT_EQ(Box("certificateBox").text(), QStringLiteral("/certs/client.der"));

    Click(dialog, "keyBrowse");  // cancelled
    EXPECT_EQ(dialog.GetPrivateKeyPath(), "");
    Click(dialog, "keyBrowse");
    EXPECT_EQ(dialog.GetPrivateKeyPath(), "/certs/client.key");

    Click(dialog, "cancelButton");  // browsed paths survive Cancel
    EXPECT_EQ(dialog.GetCertificatePath(), "/certs/client.der");
    EXPECT_EQ(dialog.authKind, 3);

    dialog.show();  // OK takes whatever the boxes hold now
    Box("certificateBox").setText(QStringLiteral("/other/c.der"));
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.GetCertificatePath(), "/other/c.der");
}

TEST_F(OptionsDialog, RevealTogglesTheMask) {
    Box("passwordBox").setText(QStringLiteral("secret"));
    Click(dialog, "revealButton");
    EXPECT_EQ(Box("passwordBox").echoMode(), QLineEdit::Normal);
    Click(dialog, "revealButton");
    EXPECT_EQ(Box("passwordBox").echoMode(), QLineEdit::Password);
    EXPECT_EQ(Box("passwordBox")
                  .style()
                  ->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &Box("passwordBox")),
              '*');
}

TEST_F(OptionsDialog, RefreshTextsInBothLanguages) {
    language = 1;
    dialog.RefreshTexts();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Option"));
    EXPECT_EQ(Find<QGroupBox>(dialog, "securityFrame")->title(), QStringLiteral("security option"));
    EXPECT_EQ(Find<QGroupBox>(dialog, "authorizeFrame")->title(), QStringLiteral("authorize"));
    EXPECT_EQ(Find<QRadioButton>(dialog, "anonymousChoice")->text(), QStringLiteral("anonymous"));
    EXPECT_EQ(Find<QRadioButton>(dialog, "certificateChoice")->text(),
              QStringLiteral("certificate"));
    const std::pair<const char*, const char*> english[] = {
        {"userLabel", "user name"},
        {"passwordLabel", "password"},
        {"policyLabel", "security policy"},
        {"modeLabel", "security mode"},
        {"certificateLabel", "certificate"},
        {"keyLabel", "private key"},
        {"okButton", "OK"},
        {"cancelButton", "Cancel"},
        {"timeoutLabel", "超时时间"},  // not translated
    };
    for (const auto& [control, text] : english) EXPECT_EQ(TextOf(dialog, control), text) << control;
    language = 0;
    dialog.RefreshTexts();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选项"));
    EXPECT_EQ(TextOf(dialog, "keyLabel"), "私钥");
    EXPECT_EQ(TextOf(dialog, "cancelButton"), "取消");
}

TEST_F(OptionsDialog, SettingsCarryTheStoredValues) {
    OptionsInput in;
    in.authKind = 3;
    in.certificate = "/c.der";
    in.key = "/k.der";
    in.policy = 1;
    in.mode = 1;
    in.timeout = "0045";
    ConfirmOptions(dialog, in);
    const ConnectionSettings s = dialog.Settings("opc.tcp://h:1");
    EXPECT_EQ(s.url, "opc.tcp://h:1");
    EXPECT_EQ(s.authKind, 3);
    EXPECT_EQ(s.certificatePath, "/c.der");
    EXPECT_EQ(s.privateKeyPath, "/k.der");
    EXPECT_EQ(s.timeoutSeconds, 45);
    EXPECT_EQ(s.securityPolicy, "Basic128Rsa15");
    EXPECT_EQ(s.securityMode, "Sign");
}

}  // namespace
