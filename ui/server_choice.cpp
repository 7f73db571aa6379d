#include "ui/server_choice.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>

#include "texts/text_table.h"
#include "ui/discovery/discovery_dlg.h"
#include "ui/login_option_dlg.h"
#include "ui/qt_text.h"
#include "ui/server_box.h"
#include "ui/server_history.h"

ServerChoice::ServerChoice(QLineEdit& box, ServerHistory& h, CLoginOptionDlg& options, QWidget& w)
    : QObject(&w), urlBox(box), history(h), optionsDialog(options), window(w) {
    serverBox = new ServerBox(&urlBox);
    serverBox->SetForgetText(Q(Text(TextKey::ForgetServer)));
    connect(serverBox, &ServerBox::Chosen, this, &ServerChoice::RestoreServer);
    connect(serverBox, &ServerBox::ForgetRequested, this, &ServerChoice::ForgetServer);
    AddFindServers();
    ShowRememberedServers();
}

// Find servers: a command in the URL box that opens the (non-modal) discovery dialog.
void ServerChoice::AddFindServers() {
    QAction* findServers =
        urlBox.addAction(window.style()->standardIcon(QStyle::SP_FileDialogContentsView),
                         QLineEdit::TrailingPosition);
    findServers->setObjectName(QStringLiteral("findServersAction"));
    findServers->setToolTip(
        Q(Text(TextKey::FindServers, 0) + " / " + Text(TextKey::FindServers, 1)));
    connect(findServers, &QAction::triggered, this, [this] {
        auto* dialog = window.findChild<CDiscoveryDlg*>();
        if (dialog == nullptr) {
            dialog = new CDiscoveryDlg(&history, &window);
            connect(dialog, &CDiscoveryDlg::UseServer, this, [this](const ConnectionSettings& s) {
                urlBox.setText(Q(s.url));
                optionsDialog.Restore(s);
                ShowRememberedServers();
            });
        }
        dialog->show();
        dialog->raise();
    });
}

void ServerChoice::ShowRememberedServers() {
    QStringList urls;
    for (const ConnectionSettings& s : history.Servers()) urls << Q(s.url);
    serverBox->SetServers(urls);
}

void ServerChoice::RestoreServer(const QString& url) {
    if (const auto remembered = history.Find(url.toStdString())) {
        urlBox.setText(url);
        optionsDialog.Restore(*remembered);
    }
}

void ServerChoice::ForgetServer(const QString& url) {
    history.Forget(url.toStdString());
    ShowRememberedServers();
}

void ServerChoice::RestoreLastServer() {
    if (!history.Servers().empty()) RestoreServer(Q(history.Servers().front().url));
}

void ServerChoice::RefreshTexts() { serverBox->SetForgetText(Q(Text(TextKey::ForgetServer))); }
