// The window's side of the scan history: each scan recorded and held against the one before,
// the "History..." dialog, and the switch that turns recording off.
#include <QLabel>
#include <QLineEdit>
#include <chrono>

#include "history/change_texts.h"
#include "store/point_snapshot.h"
#include "store/store_location.h"
#include "texts/text_table.h"
#include "ui/history/history_dialog.h"
#include "ui/history/scan_recorder.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_history.h"

std::int64_t CQuorvaneDlg::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void CQuorvaneDlg::SetHistoryStore(const std::filesystem::path& path) {
    recorder = std::make_unique<ScanRecorder>(path);
}

ScanRecorder& CQuorvaneDlg::Recorder() {
    if (!recorder) recorder = std::make_unique<ScanRecorder>(DefaultInventoryPath());
    return *recorder;
}

int CQuorvaneDlg::RecordingsPending() const { return recorder ? recorder->Pending() : 0; }

bool CQuorvaneDlg::KeepScanHistory() const { return history->KeepScanHistory(); }

void CQuorvaneDlg::SetKeepScanHistory(bool keep) { history->SetKeepScanHistory(keep); }

void CQuorvaneDlg::RecordScan(bool lost) {
    sinceLastScanText.clear();
    const auto& settings = session->SessionSettings();
    if (!settings || !history->KeepScanHistory()) return;
    ServerIdentity server;
    server.endpointUrl = settings->url;
    ScanFacts facts;
    facts.startedMs = scanStartedMs;
    facts.endedMs = NowMs();
    facts.complete = !lost;  // the store keeps a cut-short scan marked as such
    facts.signIn = settings->authKind;
    if (settings->authKind == 2) facts.userName = settings->userName;  // never the password
    const int scan = attemptOfScan;
    Recorder().Record(std::move(server), facts, SnapshotOf(session->Rows().View()),
                      [this, scan](const ScanRecorder::Outcome& outcome) {
                          // A newer scan started meanwhile: its status line is not this one's.
                          if (scan != attemptOfScan) return;
                          if (!outcome.error.empty()) {
                              SetStatus(outcome.error);
                              return;
                          }
                          if (!outcome.since) return;
                          sinceLastScanText = SinceLastScanText(outcome.since->baseStartedMs,
                                                                outcome.since->comparison);
                          if (statusShowsCounts) {
                              statusLine->setText(statusLine->text() + QStringLiteral("  ") +
                                                  Q(sinceLastScanText));
                          }
                      });
}

void CQuorvaneDlg::OpenHistory() {
    const std::filesystem::path path = Recorder().StorePath();
    auto* dialog = new CHistoryDlg(path, urlBox->text().trimmed().toStdString(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("historyDialog"));
    dialog->show();
    dialog->raise();
}
