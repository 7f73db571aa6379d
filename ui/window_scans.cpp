#include "ui/window_scans.h"

#include <chrono>

#include "history/change_texts.h"
#include "store/point_snapshot.h"
#include "store/store_location.h"
#include "ui/history/history_dialog.h"
#include "ui/history/scan_recorder.h"

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

void WindowScans::Record(const std::optional<ConnectionSettings>& settings, bool keep,
                         const std::vector<OPCUAItemData*>& rows, bool lost,
                         std::function<void(const std::string&)> onError,
                         std::function<void(const std::string&)> onSince) {
    sinceLastScanText.clear();
    if (!settings || !keep) return;
    ServerIdentity server;
    server.endpointUrl = settings->url;
    ScanFacts facts;
    facts.startedMs = scanStartedMs;
    facts.endedMs = NowMs();
    facts.complete = !lost;  // the store keeps a cut-short scan marked as such
    facts.signIn = settings->authKind;
    if (settings->authKind == 2) facts.userName = settings->userName;  // never the password
    const int scan = attemptOfScan;
    Recorder().Record(std::move(server), facts, SnapshotOf(rows),
                      [this, scan, onError = std::move(onError),
                       onSince = std::move(onSince)](const ScanRecorder::Outcome& outcome) {
                          // A newer scan started meanwhile: its status line is not this one's.
                          if (scan != attemptOfScan) return;
                          if (!outcome.error.empty()) {
                              onError(outcome.error);
                              return;
                          }
                          if (!outcome.since) return;
                          sinceLastScanText = SinceLastScanText(outcome.since->baseStartedMs,
                                                                outcome.since->comparison);
                          onSince(sinceLastScanText);
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
