#include "ui/login_option_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/option_rules.h"
#include "os/secret_memory.h"
#include "texts/text_table.h"
#include "ui/client_certificate_row.h"
#include "ui/endpoint_picker.h"
#include "ui/named_control.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/session_trust.h"

namespace {

// Masks the password box with '*', so the reveal button's first press shows the text.
class StarMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

QFrame* EtchedLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

CLoginOptionDlg::CLoginOptionDlg(QWidget* parent, ScanSession& session) : QDialog(parent) {
    setObjectName(QStringLiteral("optionsDialog"));
    BuildControls(session);

    FillPolicyList();
    for (const char* m : kSecurityModes) modeList->addItem(QString::fromLatin1(m));
    modeList->setCurrentIndex(0);
    policyList->setCurrentIndex(0);
    anonymousChoice->setChecked(true);
    ChooseAuth(1);
    timeoutBox->setText(Q(timeout));
    samplingBox->setText(Q(sampling));
}

void CLoginOptionDlg::BuildControls(ScanSession& session) {
    securityFrame =
        Named(new QGroupBox(QStringLiteral("安全选项"), this), "securityFrame", kSecurityFrame);
    modeLabel =
        Named(new QLabel(QStringLiteral("安全模式"), securityFrame), "modeLabel", kModeLabel);
    modeList = Named(new QComboBox(securityFrame), "modeList", kModeList);
    policyLabel =
        Named(new QLabel(QStringLiteral("安全策略"), securityFrame), "policyLabel", kPolicyLabel);
    policyList = Named(new QComboBox(securityFrame), "policyList", kPolicyList);
    auto* securityGrid = new QGridLayout(securityFrame);
    securityGrid->addWidget(modeLabel, 0, 0);
    securityGrid->addWidget(modeList, 0, 1);
    securityGrid->addWidget(policyLabel, 1, 0);
    securityGrid->addWidget(policyList, 1, 1);
    securityGrid->setColumnStretch(1, 1);

    authorizeFrame =
        Named(new QGroupBox(QStringLiteral("授权"), this), "authorizeFrame", kAuthorizeFrame);
    anonymousChoice = Named(new QRadioButton(QStringLiteral("匿名"), authorizeFrame),
                            "anonymousChoice", kAnonymousChoice);
    userPasswordChoice =
        Named(new QRadioButton(authorizeFrame), "userPasswordChoice", kUserPasswordChoice);
    userLabel =
        Named(new QLabel(QStringLiteral("用户名"), authorizeFrame), "userLabel", kUserLabel);
    userBox = Named(new QLineEdit(authorizeFrame), "userBox", kUserBox);
    passwordLabel =
        Named(new QLabel(QStringLiteral("密码"), authorizeFrame), "passwordLabel", kPasswordLabel);
    passwordBox = Named(new QLineEdit(authorizeFrame), "passwordBox", kPasswordBox);
    auto* maskStyle = new StarMaskStyle;
    maskStyle->setParent(passwordBox);
    passwordBox->setStyle(maskStyle);
    passwordBox->setEchoMode(QLineEdit::Password);
    revealButton = Named(new QPushButton(QStringLiteral("..."), authorizeFrame), "revealButton",
                         kRevealButton);
    certificateChoice = Named(new QRadioButton(QStringLiteral("证书"), authorizeFrame),
                              "certificateChoice", kCertificateChoice);
    certificateLabel = Named(new QLabel(QStringLiteral("证书"), authorizeFrame), "certificateLabel",
                             kCertificateLabel);
    certificateBox = Named(new QLineEdit(authorizeFrame), "certificateBox", kCertificateBox);
    certificateBrowse = Named(new QPushButton(QStringLiteral("..."), authorizeFrame),
                              "certificateBrowse", kCertificateBrowse);
    keyLabel = Named(new QLabel(QStringLiteral("私钥"), authorizeFrame), "keyLabel", kKeyLabel);
    keyBox = Named(new QLineEdit(authorizeFrame), "keyBox", kKeyBox);
    keyBrowse =
        Named(new QPushButton(QStringLiteral("..."), authorizeFrame), "keyBrowse", kKeyBrowse);
    // Paths of certificate files are long; give the boxes room for a typical one.
    const int boxWidth = userBox->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36;
    for (QLineEdit* box : {userBox, passwordBox, certificateBox, keyBox})
        box->setMinimumWidth(boxWidth);
    for (QPushButton* small : {revealButton, certificateBrowse, keyBrowse}) {
        small->setFixedWidth(small->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    }

    auto* group = new QButtonGroup(this);
    group->addButton(anonymousChoice, 1);
    group->addButton(userPasswordChoice, 2);
    group->addButton(certificateChoice, 3);

    auto* authGrid = new QGridLayout(authorizeFrame);
    authGrid->addWidget(anonymousChoice, 0, 0, 1, 4);
    authGrid->addWidget(EtchedLine(authorizeFrame), 1, 0, 1, 4);
    authGrid->addWidget(userPasswordChoice, 2, 0, 2, 1);
    authGrid->addWidget(userLabel, 2, 1);
    authGrid->addWidget(userBox, 2, 2);
    authGrid->addWidget(passwordLabel, 3, 1);
    authGrid->addWidget(passwordBox, 3, 2);
    authGrid->addWidget(revealButton, 3, 3);
    authGrid->addWidget(EtchedLine(authorizeFrame), 4, 0, 1, 4);
    authGrid->addWidget(certificateChoice, 5, 0, 1, 4);
    authGrid->addWidget(certificateLabel, 6, 1);
    authGrid->addWidget(certificateBox, 6, 2);
    authGrid->addWidget(certificateBrowse, 6, 3);
    authGrid->addWidget(keyLabel, 7, 1);
    authGrid->addWidget(keyBox, 7, 2);
    authGrid->addWidget(keyBrowse, 7, 3);
    authGrid->setColumnStretch(2, 1);

    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(
        Named(new QLabel(QStringLiteral("超时时间"), this), "timeoutLabel", 1032));
    timeoutBox = Named(new QLineEdit(this), "timeoutBox", kTimeoutBox);
    timeoutBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), timeoutBox));
    timeoutRow->addWidget(timeoutBox);
    timeoutRow->addWidget(Named(new QLabel(QStringLiteral("秒"), this), "secondsLabel", 1033));
    timeoutRow->addStretch(1);

    auto* samplingRow = new QHBoxLayout;
    samplingLabel =
        Named(new QLabel(QStringLiteral("采样间隔"), this), "samplingLabel", kSamplingLabel);
    samplingRow->addWidget(samplingLabel);
    samplingBox = Named(new QLineEdit(this), "samplingBox", kSamplingBox);
    samplingBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), samplingBox));
    samplingRow->addWidget(samplingBox);
    samplingUnit = Named(new QLabel(QStringLiteral("毫秒"), this), "samplingUnit", kSamplingUnit);
    samplingRow->addWidget(samplingUnit);
    samplingRow->addStretch(1);

    okButton = Named(new QPushButton(QStringLiteral("确定"), this), "okButton", 1);
    okButton->setDefault(true);
    cancelButton = Named(new QPushButton(QStringLiteral("取消"), this), "cancelButton", 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    endpointPicker = new EndpointPicker(
        [this] {
            // The timeout as typed, held to what OK would accept.
            const int typed = TimeoutFromText(timeoutBox->text().toStdString());
            return EndpointPicker::Target{
                urlSource ? urlSource() : std::string(),
                std::clamp(typed, kMinTimeoutSeconds, kMaxTimeoutSeconds)};
        },
        session, this);
    securityGrid->addWidget(endpointPicker, 2, 0, 1, 2);
    connect(endpointPicker, &EndpointPicker::Picked, this, &CLoginOptionDlg::ApplyEndpoint);

    auto* page = new QVBoxLayout(this);
    page->addWidget(securityFrame);
    page->addWidget(authorizeFrame);
    page->addLayout(timeoutRow);
    page->addLayout(samplingRow);
    certificateRow = new ClientCertificateRow(session, this);
    page->addWidget(certificateRow);
    page->addLayout(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);

    // Only the user's own choices couple the two lists; activated() is not sent for
    // setCurrentIndex.
    connect(policyList, &QComboBox::activated, this, &CLoginOptionDlg::OnPolicyActivated);
    connect(modeList, &QComboBox::activated, this, &CLoginOptionDlg::OnModeActivated);
    connect(group, &QButtonGroup::idClicked, this, &CLoginOptionDlg::ChooseAuth);
    connect(revealButton, &QPushButton::clicked, this, &CLoginOptionDlg::OnReveal);
    connect(certificateBrowse, &QPushButton::clicked, this,
            [this] { Browse(certificatePath, certificateBox); });
    connect(keyBrowse, &QPushButton::clicked, this, [this] { Browse(privateKeyPath, keyBox); });
    connect(okButton, &QPushButton::clicked, this, &CLoginOptionDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CLoginOptionDlg::reject);
}

ConnectionSettings CLoginOptionDlg::Settings(const std::string& url) const {
    ConnectionSettings s;
    s.url = url;
    s.authKind = authKind;
    s.userName = userName;
    s.password = password;
    s.certificatePath = certificatePath;
    s.privateKeyPath = privateKeyPath;
    s.timeoutSeconds = TimeoutFromText(timeout);
    s.samplingIntervalMs = SamplingFromText(sampling);
    s.securityPolicy = securityPolicy;
    s.securityMode = securityMode;
    // Localised names in the program's language, the other one next.
    s.localeIds = language == 0 ? std::vector<std::string>{"zh-CN", "en"}
                                : std::vector<std::string>{"en", "zh-CN"};
    return WithServersAcceptedThisRun(s);
}

void CLoginOptionDlg::ChooseAuth(int kind) {
    authKind = kind;
    const SignInSections on = SectionsFor(kind);
    userBox->setEnabled(on.userPassword);
    passwordBox->setEnabled(on.userPassword);
    certificateBox->setEnabled(on.certificate);
    keyBox->setEnabled(on.certificate);
    certificateBrowse->setEnabled(on.certificate);
    keyBrowse->setEnabled(on.certificate);
}

void CLoginOptionDlg::OnPolicyActivated(int index) {
    modeList->setCurrentIndex(ModeAfterPolicyChoice(index, modeList->currentIndex()));
    EnableSignIn(7);  // a choice by hand is no longer the picked endpoint
}

void CLoginOptionDlg::OnModeActivated(int index) {
    const std::vector<int> offered = endpointPicker->PoliciesOffered(index);
    policyList->setCurrentIndex(PolicyAfterModeChoice(index, policyList->currentIndex(), offered));
    EnableSignIn(7);
}

void CLoginOptionDlg::FillPolicyList() {
    const int current = policyList->currentIndex();
    policyList->clear();
    for (std::size_t i = 0; i < std::size(kSecurityPolicies); ++i) {
        std::string shown = kSecurityPolicies[i];
        if (kPolicyDeprecated[i]) shown += Text(TextKey::DeprecatedMark);
        policyList->addItem(Q(shown), QString::fromLatin1(kSecurityPolicies[i]));
    }
    policyList->setCurrentIndex(std::max(current, 0));
}

void CLoginOptionDlg::EnableSignIn(unsigned allowedKinds) {
    QRadioButton* choices[] = {anonymousChoice, userPasswordChoice, certificateChoice};
    for (int kind = 1; kind <= 3; ++kind)
        choices[kind - 1]->setEnabled((allowedKinds & (1u << (kind - 1))) != 0);
    if (allowedKinds & (1u << (authKind - 1))) return;
    for (int kind = 1; kind <= 3; ++kind) {
        if ((allowedKinds & (1u << (kind - 1))) == 0) continue;
        choices[kind - 1]->setChecked(true);
        ChooseAuth(kind);
        return;
    }
}

void CLoginOptionDlg::ApplyEndpoint(const EndpointInfo& endpoint) {
    if (endpoint.modeIndex >= 0) modeList->setCurrentIndex(endpoint.modeIndex);
    if (endpoint.policyIndex >= 0) policyList->setCurrentIndex(endpoint.policyIndex);
    unsigned allowed = 0;
    for (int kind = 1; kind <= 3; ++kind)
        if (SignInAllowed(kind, endpoint.tokens, endpoint.modeIndex)) allowed |= 1u << (kind - 1);
    EnableSignIn(allowed);
}

CLoginOptionDlg::~CLoginOptionDlg() { Wipe(password); }

void CLoginOptionDlg::Restore(const ConnectionSettings& s) {
    Wipe(password);
    ShowStored(s);
}

void CLoginOptionDlg::ClearPasswordBox() {
    // Qt keeps no way to overwrite the box's own buffer; emptying it at least lets it go as
    // soon as the value is stored, instead of for the life of the window.
    passwordBox->clear();
    passwordBox->setPlaceholderText(password.empty() ? QString() : Q(Text(TextKey::PasswordKept)));
}

void CLoginOptionDlg::ShowStored(const ConnectionSettings& s) {
    securityPolicy = s.securityPolicy;
    securityMode = s.securityMode;
    userName = s.userName;
    certificatePath = s.certificatePath;
    privateKeyPath = s.privateKeyPath;
    timeout = std::to_string(s.timeoutSeconds);
    sampling = std::to_string(s.samplingIntervalMs);
    const auto indexOf = [](const auto& names, const std::string& name) {
        for (std::size_t i = 0; i < std::size(names); ++i)
            if (name == names[i]) return static_cast<int>(i);
        return 0;
    };
    policyList->setCurrentIndex(indexOf(kSecurityPolicies, securityPolicy));
    modeList->setCurrentIndex(indexOf(kSecurityModes, securityMode));
    userBox->setText(Q(userName));
    ClearPasswordBox();
    certificateBox->setText(Q(certificatePath));
    keyBox->setText(Q(privateKeyPath));
    timeoutBox->setText(Q(timeout));
    samplingBox->setText(Q(sampling));
    EnableSignIn(7);
    QRadioButton* choices[] = {anonymousChoice, userPasswordChoice, certificateChoice};
    const int kind = s.authKind >= 1 && s.authKind <= 3 ? s.authKind : 1;
    choices[kind - 1]->setChecked(true);
    ChooseAuth(kind);
}

void CLoginOptionDlg::reject() {
    ConnectionSettings stored = Settings(std::string());
    Wipe(stored.password);  // the stored one stays; the box forgets what was typed
    ShowStored(stored);
    QDialog::reject();
}

void CLoginOptionDlg::hideEvent(QHideEvent* event) {
    ClearPasswordBox();
    endpointPicker->Cancel();
    QDialog::hideEvent(event);
}

void CLoginOptionDlg::OnReveal() {
    passwordBox->setEchoMode(passwordBox->echoMode() == QLineEdit::Password ? QLineEdit::Normal
                                                                            : QLineEdit::Password);
    passwordBox->setFocus();
}

void CLoginOptionDlg::Browse(std::string& stored, QLineEdit* box) {
    const auto path = Prompts::OpenFile(this, QStringLiteral("der Files(*.der);;All File(*.*)"),
                                        QStringLiteral("*.der"));
    if (path.isEmpty()) return;
    stored = path.toStdString();
    box->setText(path);
}

void CLoginOptionDlg::accept() {
    const std::string typed = timeoutBox->text().toStdString();
    if (!TimeoutAcceptable(typed)) {
        Prompts::Message(this, "超时时间必须在5秒~600秒之间");
        return;
    }
    const std::string typedSampling = samplingBox->text().toStdString();
    if (!SamplingAcceptable(typedSampling)) {
        Prompts::Message(this, Text(TextKey::SamplingOutOfRange));
        return;
    }
    timeout = typed;
    sampling = typedSampling;
    securityPolicy = policyList->currentData().toString().toStdString();
    securityMode = modeList->currentText().toStdString();
    if (authKind == 2) {
        userName = userBox->text().toStdString();
        // Left empty the box keeps the stored password: it is never shown again.
        if (!passwordBox->text().isEmpty()) {
            Wipe(password);
            password = passwordBox->text().toStdString();
        }
        ClearPasswordBox();
    } else if (authKind == 3) {
        certificatePath = certificateBox->text().toStdString();
        privateKeyPath = keyBox->text().toStdString();
    }
    QDialog::accept();
}

void CLoginOptionDlg::RefreshTexts() {
    setWindowTitle(Q(Text(TextKey::Option)));
    securityFrame->setTitle(Q(Text(TextKey::SecurityOption)));
    authorizeFrame->setTitle(Q(Text(TextKey::Authorize)));
    userLabel->setText(Q(Text(TextKey::UserName)));
    passwordLabel->setText(Q(Text(TextKey::Password)));
    if (!password.empty()) passwordBox->setPlaceholderText(Q(Text(TextKey::PasswordKept)));
    policyLabel->setText(Q(Text(TextKey::SecurityPolicy)));
    modeLabel->setText(Q(Text(TextKey::SecurityMode)));
    anonymousChoice->setText(Q(Text(TextKey::Anonymous)));
    certificateChoice->setText(Q(Text(TextKey::Certificate)));
    certificateLabel->setText(Q(Text(TextKey::Certificate)));
    keyLabel->setText(Q(Text(TextKey::PrivateKey)));
    samplingLabel->setText(Q(Text(TextKey::SamplingInterval)));
    samplingUnit->setText(Q(Text(TextKey::Milliseconds)));
    okButton->setText(Q(Text(TextKey::Ok)));
    cancelButton->setText(Q(Text(TextKey::Cancel)));
    FillPolicyList();
    endpointPicker->RefreshTexts();
    certificateRow->RefreshTexts();
}
