#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <string>
#include <utility>

#include "tests/ui/ui_test_support.h"
#include "ui/login_option_dlg.h"

// Fills the options dialog the way a user would and confirms it with OK.
struct OptionsInput {
    int authKind = 1;
    std::string user, password, certificate, key;
    int policy = 0, mode = 0;
    std::string timeout = "10";
};

// User name and password sign-in with the policy and mode left at None.
inline OptionsInput UserPassword(std::string user, std::string password) {
    OptionsInput in;
    in.authKind = 2;
    in.user = std::move(user);
    in.password = std::move(password);
    return in;
}

inline void ChooseSignIn(CLoginOptionDlg& dialog, int kind) {
    const char* names[] = {"anonymousChoice", "userPasswordChoice", "certificateChoice"};
    Find<QRadioButton>(dialog, names[kind - 1])->click();
}

inline void ConfirmOptions(CLoginOptionDlg& dialog, const OptionsInput& in) {
    ChooseSignIn(dialog, in.authKind);
    Find<QLineEdit>(dialog, "userBox")->setText(QString::fromStdString(in.user));
    Find<QLineEdit>(dialog, "passwordBox")->setText(QString::fromStdString(in.password));
    Find<QLineEdit>(dialog, "certificateBox")->setText(QString::fromStdString(in.certificate));
    Find<QLineEdit>(dialog, "keyBox")->setText(QString::fromStdString(in.key));
    Find<QComboBox>(dialog, "policyList")->setCurrentIndex(in.policy);
    Find<QComboBox>(dialog, "modeList")->setCurrentIndex(in.mode);
    Find<QLineEdit>(dialog, "timeoutBox")->setText(QString::fromStdString(in.timeout));
    Click(dialog, "okButton");
}
