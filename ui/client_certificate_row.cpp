#include "ui/client_certificate_row.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "engine/certificate_file.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"
#include "session/scan_session.h"
#include "texts/text_table.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"

ClientCertificateRow::ClientCertificateRow(ScanSession& s, QWidget* parent)
    : QWidget(parent), session(s) {
    setObjectName(QStringLiteral("clientCertificateRow"));
    caption = new QLabel(this);
    caption->setObjectName(QStringLiteral("clientCertificateLabel"));
    fingerprint = new QLabel(this);
    fingerprint->setObjectName(QStringLiteral("clientCertificateFingerprint"));
    fingerprint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fingerprint->setWordWrap(true);
    exportButton = new QPushButton(this);
    exportButton->setObjectName(QStringLiteral("exportCertificateButton"));
    renewButton = new QPushButton(this);
    renewButton->setObjectName(QStringLiteral("renewCertificateButton"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(exportButton, 0, 1);
    grid->addWidget(renewButton, 0, 2);
    grid->addWidget(fingerprint, 1, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    connect(exportButton, &QPushButton::clicked, this, &ClientCertificateRow::ExportCertificate);
    connect(renewButton, &QPushButton::clicked, this, &ClientCertificateRow::RenewCertificate);
    RefreshTexts();
}

void ClientCertificateRow::RefreshTexts() {
    caption->setText(Q(Text(TextKey::ClientCertificateLabel)));
    exportButton->setText(Q(Text(TextKey::ExportCertificate)));
    renewButton->setText(Q(Text(TextKey::RenewCertificate)));
}

void ClientCertificateRow::showEvent(QShowEvent* event) {
    if (!loaded) Reload();
    QWidget::showEvent(event);
}

ClientCertificateRow::~ClientCertificateRow() = default;

void ClientCertificateRow::Reload() {
    loaded = true;
    busy = true;
    renewButton->setEnabled(false);
    fingerprint->setText(QStringLiteral("..."));
    session.LoadIdentity(this, false, [this](const ScanSession::IdentityShown& shown) {
        Show(shown.fingerprint, shown.error);
    });
}

void ClientCertificateRow::Show(const std::optional<std::string>& fingerprintText,
                                const std::string& error) {
    busy = false;
    renewButton->setEnabled(true);
    fingerprint->setText(fingerprintText ? Q(*fingerprintText)
                                         : Q(Text(TextKey::ClientIdentityFailed) + error));
}

QString ClientCertificateRow::FingerprintShown() const { return fingerprint->text(); }

void ClientCertificateRow::ExportCertificate() {
    std::string error;
    const auto identity = LoadOrCreateIdentity(PkiRoot(), &error);
    if (!identity) {
        Prompts::Message(this, Text(TextKey::ClientIdentityFailed) + error);
        return;
    }
    const QString path = Prompts::SaveFile(this, Q(Text(TextKey::CertificateFilter)),
                                           QStringLiteral("quorvane.der"));
    if (path.isEmpty()) return;
    if (!WriteCertificateFile(identity->certificate, path.toStdString()))
        Prompts::Message(this, Text(TextKey::CertificateWriteFailed));
}

void ClientCertificateRow::RenewCertificate() {
    if (busy || !Prompts::Question(this, Text(TextKey::RenewConfirm))) return;
    busy = true;
    renewButton->setEnabled(false);
    fingerprint->setText(QStringLiteral("..."));
    session.LoadIdentity(this, true, [this](const ScanSession::IdentityShown& shown) {
        Show(shown.fingerprint, shown.error);
        if (!shown.fingerprint)
            Prompts::Message(this, Text(TextKey::ClientIdentityFailed) + shown.error);
    });
}
