#include "ui/window_scans.h"

#include <chrono>

#include "history/change_texts.h"
#include "history/scan_facts.h"
#include "store/store_location.h"
#include "texts/text_table.h"
#include "ui/history/history_dialog.h"
#include "ui/inventory/inventory_dialog.h"

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

std::int64_t WindowScans::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

WindowScans::WindowScans() = default;

WindowScans::~WindowScans() = default;

void WindowScans::SetStore(const std::filesystem::path& path) {
    recorder = std::make_unique<ScanRecorder>(path);
}

ScanRecorder& WindowScans::Recorder() {
    if (!recorder) recorder = std::make_unique<ScanRecorder>(DefaultInventoryPath());
    return *recorder;
}

int WindowScans::Pending() const { return recorder ? recorder->Pending() : 0; }

void WindowScans::BeginAttempt() {
    ++attemptOfScan;
    sinceLastScanText.clear();
}

void WindowScans::Record(const std::optional<ConnectionSettings>& settings,
                         const std::optional<ServerTrust>& trust, bool keep, const PointRows& rows,
                         bool cutShort, std::function<void(const std::string&)> onError,
                         std::function<void(const ScanRecorder::Outcome&)> onRecorded) {
    sinceLastScanText.clear();
    if (!settings || !keep) return;
    // The store keeps a cut-short scan marked as such, and never holds another against it.
    const ScanFacts facts = FactsOf(*settings, scanStartedMs, NowMs(), !cutShort);
    const int scan = attemptOfScan;
    Recorder().RecordRows(
        IdentityOf(settings->url, trust), facts, rows,
        [this, scan, onError = std::move(onError),
         onRecorded = std::move(onRecorded)](const ScanRecorder::Outcome& outcome) {
            // A newer scan started meanwhile: its list is not this one's.
            if (scan != attemptOfScan) return;
            if (!outcome.error.empty()) {
                onError(outcome.error);
                return;
            }
            sinceLastScanText = RecordedText(outcome);
            onRecorded(outcome);
        });
}

void WindowScans::OpenHistory(QWidget* parent, const std::string& url) {
    const std::filesystem::path path = Recorder().StorePath();
    auto* dialog = new CHistoryDlg(path, url, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("historyDialog"));
    dialog->show();
    dialog->raise();
}

void WindowScans::OpenInventory(QWidget* parent, std::function<void(const QString&)> useUrl) {
    auto* dialog = parent->findChild<CInventoryDlg*>();
    if (dialog == nullptr) {
        dialog = new CInventoryDlg(Recorder().StorePath(), parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setObjectName(QStringLiteral("inventoryDialog"));
        QObject::connect(dialog, &CInventoryDlg::UseUrl, parent, std::move(useUrl));
    }
    dialog->show();
    dialog->raise();
}
