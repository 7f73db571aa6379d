#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/connection_settings.h"

class OPCUAItemData;
class QWidget;
class ScanRecorder;

// The window's side of the scan history: each scan recorded and held against the one before,
// and the "History..." dialog.
class WindowScans {
public:
    WindowScans();
    ~WindowScans();

    // Where the scans go; the user's history unless set before the first scan.
    void SetStore(const std::filesystem::path& path);
    ScanRecorder& Recorder();
    // Scans handed over and not yet recorded.
    int Pending() const;

    // A connect was asked for: a comparison still on its way belongs to the scan before.
    void BeginAttempt();
    // The walk starts now.
    void WalkStarted() { scanStartedMs = NowMs(); }
    // What the status line's count ends with: what changed since the last scan.
    const std::string& SinceLastScan() const { return sinceLastScanText; }

    // After a walk of the server `settings` name: the scan recorded when `keep`, then `onError`
    // with a failure of the store or `onSince` with what changed since the last scan, unless a
    // newer scan has started.
    void Record(const std::optional<ConnectionSettings>& settings, bool keep,
                const std::vector<OPCUAItemData*>& rows, bool lost,
                std::function<void(const std::string&)> onError,
                std::function<void(const std::string&)> onSince);
    // "History...": the stored scans of `url`'s server.
    void OpenHistory(QWidget* parent, const std::string& url);

    // Milliseconds since 1970, as the history keeps times.
    static std::int64_t NowMs();

private:
    std::unique_ptr<ScanRecorder> recorder;  // made on the first scan it records
    std::int64_t scanStartedMs = 0;
    int attemptOfScan = 0;  // counts scans, so a late comparison knows it is stale
    std::string sinceLastScanText;
};
