#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "engine/connection_settings.h"

class EndpointPicker;
struct EndpointInfo;
class ClientCertificateRow;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ScanSession;

// Non-modal options dialog: keeps how the next connection is made. OK checks the timeout and
// stores; Cancel, Escape and the close box only hide. Readers get what was stored, not what the
// controls show.
class CLoginOptionDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids of the options template.
    enum ControlId {
        kPolicyList = 1010,
        kModeList = 1011,
        kUserBox = 1014,
        kPasswordBox = 1015,
        kCertificateChoice = 1016,
        kTimeoutBox = 1017,
        kAnonymousChoice = 1018,
        kUserPasswordChoice = 1019,
        kCertificateBox = 1020,
        kCertificateBrowse = 1021,
        kKeyBox = 1022,
        kKeyBrowse = 1023,
        kUserLabel = 1024,
        kPasswordLabel = 1025,
        kPolicyLabel = 1026,
        kModeLabel = 1027,
        kSecurityFrame = 1028,
        kAuthorizeFrame = 1029,
        kCertificateLabel = 1030,
        kKeyLabel = 1031,
        kRevealButton = 1034,
        // Not in the template: the sampling interval of subscribed points.
        kSamplingLabel = 1040,
        kSamplingBox = 1041,
        kSamplingUnit = 1042,
    };

    // Endpoint listing and the certificate line run on `session`'s thread.
    CLoginOptionDlg(QWidget* parent, ScanSession& session);
    ~CLoginOptionDlg() override;  // overwrites the stored password

    // 1 anonymous, 2 user name and password, 3 certificate; set as soon as a choice is clicked.
    int authKind = 1;

    std::string GetUser() const { return userName; }
    std::string GetPassword() const { return password; }
    std::string GetSecurityPolicy() const { return securityPolicy; }
    std::string GetSecurityMode() const { return securityMode; }
    std::string GetCertificatePath() const { return certificatePath; }
    std::string GetPrivateKeyPath() const { return privateKeyPath; }
    std::string GetTimeout() const { return timeout; }
    std::string GetSamplingInterval() const { return sampling; }

    // The stored values as the engine takes them, for `url`.
    ConnectionSettings Settings(const std::string& url) const;

    // Caption and translated captions in the current language.
    void RefreshTexts();

    // Where "get endpoints" asks: the URL the main window shows.
    void SetUrlSource(std::function<std::string()> source) { urlSource = std::move(source); }
    // Takes a remembered server's options as if confirmed with OK; the password is forgotten.
    void Restore(const ConnectionSettings& settings);
    // Sets mode and policy from `endpoint` and allows only the sign-in kinds it accepts.
    void ApplyEndpoint(const EndpointInfo& endpoint);
    EndpointPicker* Endpoints() const { return endpointPicker; }

    void accept() override;
    // Cancel, Escape and the close box: the controls show the stored values again (the sign-in
    // choice is stored as it is clicked).
    void reject() override;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void EnableSignIn(unsigned allowedKinds);  // bit k-1 for kind k
    // The controls show `stored`, all but the password, which the box never shows again.
    void ShowStored(const ConnectionSettings& stored);
    // Empties the password box; its hint says whether a password is kept.
    void ClearPasswordBox();
    void FillPolicyList();
    void BuildControls(ScanSession& session);
    void ChooseAuth(int kind);
    void OnPolicyActivated(int index);
    void OnModeActivated(int index);
    void OnReveal();
    void Browse(std::string& stored, QLineEdit* box);

    std::string securityPolicy;
    std::string securityMode;
    std::string userName;
    std::string password;
    std::string certificatePath;
    std::string privateKeyPath;
    std::string timeout = "10";
    std::string sampling = "1000";  // milliseconds, as typed
    std::function<std::string()> urlSource;
    EndpointPicker* endpointPicker = nullptr;

    QGroupBox* securityFrame = nullptr;
    QGroupBox* authorizeFrame = nullptr;
    QLabel* modeLabel = nullptr;
    QLabel* policyLabel = nullptr;
    QComboBox* modeList = nullptr;
    QComboBox* policyList = nullptr;
    QRadioButton* anonymousChoice = nullptr;
    QRadioButton* userPasswordChoice = nullptr;
    QRadioButton* certificateChoice = nullptr;
    QLabel* userLabel = nullptr;
    QLabel* passwordLabel = nullptr;
    QLineEdit* userBox = nullptr;
    QLineEdit* passwordBox = nullptr;
    QPushButton* revealButton = nullptr;
    QLabel* certificateLabel = nullptr;
    QLabel* keyLabel = nullptr;
    QLineEdit* certificateBox = nullptr;
    QLineEdit* keyBox = nullptr;
    QPushButton* certificateBrowse = nullptr;
    QPushButton* keyBrowse = nullptr;
    QLineEdit* timeoutBox = nullptr;
    QLabel* samplingLabel = nullptr;
    QLineEdit* samplingBox = nullptr;
    QLabel* samplingUnit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    ClientCertificateRow* certificateRow = nullptr;
};
