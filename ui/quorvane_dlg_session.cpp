// The window's side of its scan session: Connect / Stop by the session's state, and what the
// session says shown in the buttons, the status line and the title.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "engine/pki_files.h"
#include "texts/text_table.h"
#include "ui/export_command.h"
#include "ui/login_option_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_choice.h"
#include "ui/server_history.h"
#include "ui/status_line.h"
#include "ui/trust_prompt.h"
#include "ui/visible_rows.h"
#include "ui/window_title.h"

void CQuorvaneDlg::ConnectSession() {
    decider = std::make_unique<WindowDecider>(this);
    session->SetDecider(decider.get());
    session->SetVisibleRecords([this] {
        // The rows on screen are rows of the filtered, sorted list; a row cut at the bottom is
        // on screen too, and would keep a stale value and quality.
        const int shownRows = filterModel->rowCount();
        const RowRange range = VisibleRows(listView->FirstVisibleRow(), listView->RowsInSight(),
                                           shownRows, static_cast<std::size_t>(shownRows));
        std::vector<VisibleRow> visible;
        visible.reserve(range.count);
        for (std::size_t i = range.first; i < range.first + range.count; ++i) {
            const int shown = static_cast<int>(i);
            OPCUAItemData* record = filterModel->Record(shown);
            // A row whose type was never read is left out for good.
            if (record != nullptr && !record->dataType.empty())
                visible.push_back({record, filterModel->SourceRow(shown)});
        }
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
        ShowWhoseList();
        Prompts::Message(this, text.toStdString());
    });
    connect(session.get(), &ScanSession::Connected, this, &CQuorvaneDlg::OnSessionConnected);
    connect(session.get(), &ScanSession::WalkEnded, this,
            [this](bool lost, std::size_t) { OnWalkEnded(lost); });
    connect(urlBox, &QLineEdit::textChanged, this, [this] { ShowWhoseList(); });
    // Whatever changes the rows on screen lets the subscription follow them.
    const auto screenChanged = [this] { session->VisibleRowsChanged(); };
    connect(listView->verticalScrollBar(), &QScrollBar::valueChanged, this, screenChanged);
    connect(listView->verticalScrollBar(), &QScrollBar::rangeChanged, this, screenChanged);
    connect(filterModel, &QAbstractItemModel::layoutChanged, this, screenChanged);
    connect(filterModel, &QAbstractItemModel::modelReset, this, screenChanged);
    connect(filterModel, &QAbstractItemModel::rowsRemoved, this, screenChanged);
    connect(filterModel, &QAbstractItemModel::rowsInserted, this, screenChanged);
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
    ShowWhoseList();
}

void CQuorvaneDlg::OnSessionConnected(const ConnectionSettings& settings) {
    history->Remember(settings);
    servers->ShowRememberedServers();
    scans.WalkStarted();
}

void CQuorvaneDlg::OnWalkEnded(bool lost) {
    totalCountKey = lost ? TextKey::SearchLost : TextKey::SearchDone;
    statusLine->MarkCount();
    if (!filterBox->text().trimmed().isEmpty()) ShowFilterCount();
    RecordScan(lost);
}

void CQuorvaneDlg::ShowWhoseList() {
    const auto& from = session->SessionSettings();
    const bool other =
        from && !session->Rows().Empty() && from->url != urlBox->text().toStdString();
    std::string title = MainWindowTitle();
    if (other) {
        std::string mark = Text(TextKey::ListOfOtherServer);
        const auto at = mark.find("%s");
        if (at != std::string::npos) mark.replace(at, 2, from->url);
        title += " - " + mark;
        // A failed or declined connect leaves the old list: the status line says whose it is.
        if (!session->Connecting() && !statusLine->text().contains(Q(mark)))
            statusLine->Append(mark);
    }
    if (windowTitle() != Q(title)) setWindowTitle(Q(title));
}
