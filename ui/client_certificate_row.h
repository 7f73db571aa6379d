#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The options dialog's line about this installation's own certificate: its SHA-256
// fingerprint, "export..." to hand it to a server's administrator and "renew" to replace it.
// The certificate is read (or first made) when the line is first shown, not at start-up.
class ClientCertificateRow : public QWidget {
    Q_OBJECT
public:
    explicit ClientCertificateRow(QWidget* parent);

    void RefreshTexts();
    // Reads the certificate again and shows its fingerprint.
    void Reload();
    QString FingerprintShown() const;

    void ExportCertificate();
    void RenewCertificate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* caption = nullptr;
    QLabel* fingerprint = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* renewButton = nullptr;
    bool loaded = false;
};
