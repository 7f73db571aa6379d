#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/opcua_item_data.h"
#include "history/since_last_scan.h"
#include "session/session_worker.h"
#include "store/stored_scan.h"

class PointRows;

// Records the window's scans in the history, each held against the server's last complete scan
// first, on a thread of its own so that a large scan never stalls the window. Scans are recorded
// in the order they were handed over.
class ScanRecorder : public QObject {
    Q_OBJECT
public:
    // What became of one scan: the comparison (none for a first scan or one cut short), and why
    // it could not be recorded when it could not.
    struct Outcome {
        std::optional<SinceLastScan> since;
        bool cutShort = false;  // stored marked so, and compared with nothing
        // A complete scan without a base: the scans cut short stored before it (never a base).
        std::size_t cutShortUnused = 0;
        std::string error;
        // RecordRows: the records the points were copied from, in order; compared, never read.
        std::vector<const OPCUAItemData*> copiedFrom;
    };

    explicit ScanRecorder(std::filesystem::path store, QObject* parent = nullptr);
    // Waits for the scans handed over to be recorded.
    ~ScanRecorder() override;

    // `done` runs on this object's thread once the scan is stored.
    void Record(ServerIdentity server, ScanFacts facts, std::vector<StoredPoint> points,
                std::function<void(const Outcome&)> done);
    // The same with the points copied from `rows`, a slice per turn of the event loop; rows
    // that go meanwhile are copied before they go.
    void RecordRows(ServerIdentity server, ScanFacts facts, const PointRows& rows,
                    std::function<void(const Outcome&)> done);
    // Scans handed over and not yet answered.
    int Pending() const { return pending_; }
    const std::filesystem::path& StorePath() const { return store_; }

private:
    std::filesystem::path store_;
    int pending_ = 0;
    // One after another: a scan's base is the one before it. Last: its jobs end before the
    // rest goes.
    SessionWorker worker_{this};
};
