// The window's side of its scan session: Connect / Stop by the session's state, and what the
// session says shown in the buttons, the status line and the title.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "engine/pki_files.h"
#include "texts/text_table.h"
#include "ui/export_command.h"
#include "ui/list_counts.h"
#include "ui/login_option_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_menu.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_choice.h"
#include "ui/server_history.h"
#include "ui/status_line.h"
#include "ui/trend/open_trends.h"
#include "ui/trust_prompt.h"
#include "ui/visible_rows.h"
#include "ui/whose_list.h"

void CQuorvaneDlg::ConnectSession() {
    decider = std::make_unique<WindowDecider>(this);
    session->SetDecider(decider.get());
    session->SetVisibleRecords([this] {
        std::vector<VisibleRow> visible = RecordsInSight(*filterModel, *listView);
        if (menu) menu->Trends().AddTo(visible);
        return visible;
    });
    connect(session.get(), &ScanSession::StateChanged, this, &CQuorvaneDlg::OnSessionState);
    connect(session.get(), &ScanSession::StatusChanged, this, [this](const QString& text) {
        std::string status = text.toStdString();
        // The command line says it on standard error; here it goes with every status the
        // session gives while that session is up.
        if (session->SessionUnsecured() && !session->Connecting())
            status += "  " + Text(TextKey::CliNoSecureEndpoint);
        statusLine->SetStatus(status);
    });
    connect(session.get(), &ScanSession::ConnectFailed, this, [this](const QString& text) {
        ShowWhoseList(*this, *session, urlBox->text().toStdString(), *statusLine);
        Prompts::Message(this, text.toStdString());
    });
    connect(session.get(), &ScanSession::Connected, this, &CQuorvaneDlg::OnSessionConnected);
    connect(session.get(), &ScanSession::WalkEnded, this,
            [this](bool lost, std::size_t) { OnWalkEnded(lost); });
    connect(urlBox, &QLineEdit::textChanged, this,
            [this] { ShowWhoseList(*this, *session, urlBox->text().toStdString(), *statusLine); });
    // Whatever changes the rows on screen lets the subscription follow them.
    OnRowsInSightChanged(*filterModel, *listView, *session,
                         [this] { session->VisibleRowsChanged(); });
}

std::vector<OPCUAItemData*> CQuorvaneDlg::VisibleRecords() const {
    std::vector<OPCUAItemData*> records;
    for (const VisibleRow& row : session->VisibleRecords()) records.push_back(row.record);
    return records;
}

void CQuorvaneDlg::OnConnect() {
    if (StopsOnCommand(session->State())) {
        const bool walking = WalkRunning();
        session->Stop();
        if (walking) RecordScan(true);  // what the walk found until now, marked cut short
    } else if (ExportRunning()) {
        // A new scan empties the rows the export reads: end the export first.
        exportCommand->Cancel();
        exportCommand->WhenDone([this] { Connect(); });
    } else {
        Connect();
    }
}

void CQuorvaneDlg::Connect() {
    const std::string url = urlBox->text().toStdString();
    scans.BeginAttempt();
    ConnectionSettings settings = optionsDialog->Settings(url);
    settings.pkiRoot = PkiRoot();  // the user's, for the engine and the trust prompt alike
    session->Connect(settings);
    if (connectButton->isVisible()) connectButton->repaint();
}

void CQuorvaneDlg::OnSessionState(SessionState state) {
    connectButton->setText(Q(Text(StopsOnCommand(state) ? TextKey::Stop : TextKey::Connect)));
    const bool idle = !StopsOnCommand(state);
    SetCommandButtonsEnabled(idle);
    exportButton->setToolTip(idle ? QString() : Q(Text(TextKey::ExportNeedsStop)));
    if (session->Connecting()) {
        listView->setCursor(Qt::BusyCursor);
    } else {
        listView->unsetCursor();
    }
    ShowWhoseList(*this, *session, urlBox->text().toStdString(), *statusLine);
}

void CQuorvaneDlg::OnSessionConnected(const ConnectionSettings& settings) {
    history->Remember(settings);
    servers->ShowRememberedServers();
    scans.WalkStarted();
}

void CQuorvaneDlg::OnWalkEnded(bool lost) {
    counts->WalkEnded(lost);
    RecordScan(lost);
}
