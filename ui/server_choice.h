#pragma once

#include <QObject>
#include <QString>

class CLoginOptionDlg;
class QLineEdit;
class QWidget;
class ServerBox;
class ServerHistory;

// The URL box's choice of server: the servers remembered with their options, forgetting one,
// and the Find servers command that opens the discovery dialog.
class ServerChoice : public QObject {
    Q_OBJECT
public:
    // All of them outlive the choice; `window` is the discovery dialog's parent.
    ServerChoice(QLineEdit& urlBox, ServerHistory& history, CLoginOptionDlg& options,
                 QWidget& window);

    ServerBox* Box() const { return serverBox; }
    // The history's servers offered in the URL box again.
    void ShowRememberedServers();
    // Takes the options remembered for `url`, when there are any.
    void RestoreServer(const QString& url);
    void ForgetServer(const QString& url);
    // A first start finds nothing; later ones start with the server used last.
    void RestoreLastServer();
    // The forget entry's caption in the current language.
    void RefreshTexts();

private:
    void AddFindServers();

    QLineEdit& urlBox;
    ServerHistory& history;
    CLoginOptionDlg& optionsDialog;
    QWidget& window;
    ServerBox* serverBox = nullptr;
};
