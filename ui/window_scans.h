#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"
#include "ui/history/scan_recorder.h"

class PointRows;
class QString;
class QWidget;

// The window's side of the scan history: each scan recorded and held against the one before,
// and the "History..." and "Inventory..." dialogs.
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

    // After a walk of the server `settings` name, or when Stop ended it (`cutShort`): the scan
    // recorded when `keep`, then `onError` with a failure of the store or `onRecorded` with the
    // outcome (SinceLastScan() then tells it), unless a newer scan has started.
    void Record(const std::optional<ConnectionSettings>& settings,
                const std::optional<ServerTrust>& trust, bool keep, const PointRows& rows,
                bool cutShort, std::function<void(const std::string&)> onError,
                std::function<void(const ScanRecorder::Outcome&)> onRecorded);
    // "History...": the stored scans of `url`'s server.
    void OpenHistory(QWidget* parent, const std::string& url);
    // "Inventory...": every server of the history, one dialog at a time; a double-click hands
    // its URL to `useUrl`.
    void OpenInventory(QWidget* parent, std::function<void(const QString&)> useUrl);

    // Milliseconds since 1970, as the history keeps times.
    static std::int64_t NowMs();

private:
    std::unique_ptr<ScanRecorder> recorder;  // made on the first scan it records
    std::int64_t scanStartedMs = 0;
    int attemptOfScan = 0;  // counts scans, so a late comparison knows it is stale
    std::string sinceLastScanText;
};
