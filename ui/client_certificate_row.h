#pragma once

#include <QWidget>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class ScanSession;

// The options dialog's line about this installation's own certificate: its SHA-256
// fingerprint, "export..." to hand it to a server's administrator and "renew" to replace it.
// The certificate is read (or first made, which takes a good part of a second) on the scan
// session's thread when the line is first shown, not at start-up and never on the window's thread.
class ClientCertificateRow : public QWidget {
    Q_OBJECT
public:
    ClientCertificateRow(ScanSession& session, QWidget* parent);
    ~ClientCertificateRow() override;

    void RefreshTexts();
    // Reads the certificate again and shows its fingerprint once it is there.
    void Reload();
    QString FingerprintShown() const;
    // Reading, making or renewing is under way.
    bool Busy() const { return busy; }

    void ExportCertificate();
    void RenewCertificate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* caption = nullptr;
    QLabel* fingerprint = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* renewButton = nullptr;
    void Show(const std::optional<std::string>& fingerprintText, const std::string& error);

    ScanSession& session;
    bool loaded = false;
    bool busy = false;
};
