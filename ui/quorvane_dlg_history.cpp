// The window's side of the scan history: each scan recorded and held against the one before,
// the "History..." and "Inventory..." dialogs, and the switch that turns recording off.
#include <QLabel>
#include <QLineEdit>
#include <chrono>

#include "history/change_texts.h"
#include "history/scan_facts.h"
#include "store/store_location.h"
#include "texts/text_table.h"
#include "ui/history/history_dialog.h"
#include "ui/history/scan_recorder.h"
#include "ui/inventory/inventory_dialog.h"
#include "ui/point_table_model.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_history.h"

namespace {

// What the status line adds about a recorded scan; nothing for a first one.
std::string RecordedText(const ScanRecorder::Outcome& outcome) {
    if (outcome.since) {
        std::string text =
            SinceLastScanText(outcome.since->baseStartedMs, outcome.since->comparison);
        if (outcome.since->cutShortSince > 0) {
            text += FormatText(TextKey::CutShortPassedOver,
                               static_cast<long long>(outcome.since->cutShortSince));
        }
        return text;
    }
    if (outcome.cutShort) return Text(TextKey::ScanCutShortKept);
    if (outcome.cutShortUnused > 0)
        return FormatText(TextKey::NoCompleteBase, static_cast<long long>(outcome.cutShortUnused));
    return {};
}

}  // namespace

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

void CQuorvaneDlg::RecordScan(bool cutShort) {
    sinceLastScanText.clear();
    const auto& settings = session->SessionSettings();
    if (!settings || !history->KeepScanHistory()) return;
    // The store keeps a cut-short scan marked as such, and never holds another against it.
    const ScanFacts facts = FactsOf(*settings, scanStartedMs, NowMs(), !cutShort);
    const int scan = attemptOfScan;
    Recorder().RecordRows(
        IdentityOf(settings->url, session->SessionTrust()), facts, session->Rows(),
        [this, scan](const ScanRecorder::Outcome& outcome) {
            // A newer scan started meanwhile: its list is not this one's.
            if (scan != attemptOfScan) return;
            if (!outcome.error.empty()) {
                SetStatus(outcome.error);
                return;
            }
            if (outcome.since) model->SetChanges(outcome.copiedFrom, outcome.since->pointKinds);
            sinceLastScanText = RecordedText(outcome);
            if (sinceLastScanText.empty()) return;
            // After what the status line says now: the count, or that the scan was stopped.
            statusLine->setText(statusLine->text() + QStringLiteral("  ") + Q(sinceLastScanText));
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

void CQuorvaneDlg::OpenInventory() {
    auto* dialog = findChild<CInventoryDlg*>();
    if (dialog == nullptr) {
        dialog = new CInventoryDlg(Recorder().StorePath(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setObjectName(QStringLiteral("inventoryDialog"));
        connect(dialog, &CInventoryDlg::UseUrl, this, [this](const QString& url) {
            urlBox->setText(url);
            RestoreServer(url);  // with the options it was last connected with, if remembered
        });
    }
    dialog->show();
    dialog->raise();
}
