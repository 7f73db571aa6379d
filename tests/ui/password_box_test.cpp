// The options dialog's password: stored once OK takes it, and from then on never in the box
// again; the box says a password is kept, and left empty keeps it.
#include <gtest/gtest.h>

#include "session/scan_session.h"
#include "tests/ui/options_helpers.h"

namespace {

class PasswordBox : public ::testing::Test {
protected:
    void SetUp() override { dialog.show(); }
    QLineEdit& Box() { return *Find<QLineEdit>(dialog, "passwordBox"); }
    void Type(const char* text) { Box().setText(QString::fromLatin1(text)); }

    PromptScript prompts;
    ScanSession session;
    CLoginOptionDlg dialog{nullptr, session};
};

TEST_F(PasswordBox, StoredButNoLongerShown) {
    ConfirmOptions(dialog, UserPassword("operator", "secret"));
    EXPECT_EQ(dialog.GetPassword(), "secret");
    EXPECT_TRUE(Box().text().isEmpty());
    EXPECT_EQ(Box().placeholderText().toStdString(), Text(TextKey::PasswordKept, 0));
    // In the other language the hint follows.
    language = 1;
    dialog.RefreshTexts();
    EXPECT_EQ(Box().placeholderText().toStdString(), Text(TextKey::PasswordKept, 1));
}

TEST_F(PasswordBox, EmptyBoxKeepsTheStoredOneTypedOneReplacesIt) {
    ConfirmOptions(dialog, UserPassword("operator", "secret"));
    dialog.show();
    Click(dialog, "okButton");  // nothing typed
    EXPECT_EQ(dialog.GetPassword(), "secret");
    dialog.show();
    Type("changed");
    Click(dialog, "okButton");
    EXPECT_EQ(dialog.GetPassword(), "changed");
    EXPECT_TRUE(Box().text().isEmpty());
}

TEST_F(PasswordBox, CancelAndHidingForgetWhatWasTyped) {
    ConfirmOptions(dialog, UserPassword("operator", "secret"));
    dialog.show();
    Type("typed");
    Click(dialog, "cancelButton");
    EXPECT_TRUE(Box().text().isEmpty());
    EXPECT_EQ(dialog.GetPassword(), "secret");
    dialog.show();
    Type("typed");
    dialog.hide();  // the window closing it
    EXPECT_TRUE(Box().text().isEmpty());
    EXPECT_EQ(dialog.GetPassword(), "secret");
}

TEST_F(PasswordBox, RestoredServerForgetsThePassword) {
    ConfirmOptions(dialog, UserPassword("operator", "secret"));
    ConnectionSettings remembered;
    remembered.authKind = 2;
    remembered.userName = "other";
    dialog.Restore(remembered);
    EXPECT_EQ(dialog.GetPassword(), "");
    EXPECT_TRUE(Box().placeholderText().isEmpty());
}

}  // namespace
